#!/usr/bin/env bash
# Runs every fuzz target of a KESTROVA_FUZZ build for a fixed time, starting from small
# inputs made here (pictures of every format the program reads, settings and language
# files in each encoding). A target that crashes leaves its input as
# BUILD/fuzz-findings/<target>/crash-*; keep it under tests/fuzz/regressions/<target>/.
# Usage: fuzz/run.sh BUILD [SECONDS]
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-30}
cd "$(dirname "$0")/.."
corpus=$build/fuzz-corpus
findings=$build/fuzz-findings
rm -rf "$findings"
mkdir -p "$corpus"/{picture,header-sniff,ini,language,metadata} "$findings"

# Small pictures through ImageMagick, so the inputs do not come from the program itself.
for seed in png:png24 gif:gif jpg:jpg bmp:bmp3 pcx:pcx tif:tif png8:png8 gray.png:png; do
    ext=${seed%%:*} kind=${seed#*:}
    out=$corpus/picture/small.$ext
    [ -e "$out" ] || convert -size 9x7 gradient:red-blue -define png:compression-level=9 "$kind:$out"
    cp "$out" "$corpus/header-sniff/"
done
[ -e "$corpus/picture/alpha.png" ] || convert -size 5x3 xc:'rgba(10,20,30,0.5)' "$corpus/picture/alpha.png"

printf '[SETTING_INFO]\nLANGUAGE=Deutsch\nLAST_FOLDER=/home/x/\n' >"$corpus/ini/utf8.ini"
printf 'SETTING_INFO/LAST_FOLDER\n[SETTING_INFO]\r\nLAST_FOLDER=/caf\xe9/\r\n' >"$corpus/ini/ansi.ini"
printf '\xef\xbb\xbfS/K\n[S]\nK=\xc3\xa9\n' >"$corpus/ini/bom.ini"
printf 'PRESET:web/MODE\n[PRESET:web]\nMODE=long-edge\nFORMAT=webp\nQUALITY=80\n' >"$corpus/ini/preset.ini"
printf '\xff\xfe[\0S\0]\0\r\0\n\0K\0=\0v\0\r\0\n\0' >"$corpus/ini/utf16.ini"
cp Language/*.ini "$corpus/language/"
cp "$corpus"/ini/* "$corpus/language/"

# XMP with location properties, and Photoshop resources with IIM place names.
printf "<x:xmpmeta><rdf:Description xmlns:e='http://ns.adobe.com/exif/1.0/' e:GPSAltitude='1' photoshop:City='P'><e:GPSLatitude>1</e:GPSLatitude><!-- c --><dc:t/></rdf:Description></x:xmpmeta>" \
    >"$corpus/metadata/xmp"
printf 'Photoshop 3.0\0008BIM\004\004\0\0\0\0\0\x17\x1c\x02\x5a\0\x01P\x1c\x02\x74\0\x02Jo\x1c\x02\x78\x80\x02\0\x01x\0008BIM\004\x25\0\0\0\0\0\x02dd' \
    >"$corpus/metadata/irb"
printf '\x1c\x02\x65\0\x02FR\x1c\x02\x05\0\x01T' >"$corpus/metadata/iim"

status=0
for target in header-sniff ini language metadata picture; do
    mkdir -p "$findings/$target"
    start=$(date +%s)
    if ! "$build/fuzz/fuzz-$target" "$corpus/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/$target/" >"$findings/$target.log" 2>&1; then
        status=1
        echo "fuzz-$target: FOUND A CRASH, see $findings/$target.log"
        tail -n 40 "$findings/$target.log"
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$findings/$target.log")
    echo "fuzz-$target: $(($(date +%s) - start)) s, ${runs:-?} inputs, $(ls "$corpus/$target" | wc -l) in the corpus"
done
exit $status
