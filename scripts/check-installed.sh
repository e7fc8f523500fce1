#!/bin/sh
# Checks an installed Kestrova the way a user meets it: kestrova-cli converts the sample
# pictures, kestrova-info decodes every file written, and the window starts (offscreen),
# loads its skin and language files from the installed data folder, not a build folder,
# and adds the sample pictures named on its command line.
#   check-installed.sh PREFIX              an installed tree (/usr for the Debian package)
#   check-installed.sh --stage BUILD_DIR   cmake --install BUILD_DIR into a temporary prefix first
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
samples=$here/samples
sandbox=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$sandbox"' EXIT
log=$sandbox/events.log

fail() {
    echo "check-installed: $*" >&2
    [ -f "$log" ] && sed 's/^/  event: /' "$log" >&2
    [ -s "$sandbox/window.err" ] && sed 's/^/  window: /' "$sandbox/window.err" >&2
    exit 1
}
# wait_for SECONDS COMMAND...: polls until the command succeeds.
wait_for() {
    limit=$1
    shift
    end=$(($(date +%s) + limit))
    until "$@" >/dev/null 2>&1; do
        [ "$(date +%s)" -lt "$end" ] || return 1
        sleep 0.2
    done
}
logged() { grep -qxF "$1" "$log"; }

if [ "${1:-}" = --stage ]; then
    [ $# -eq 2 ] || { echo "usage: check-installed.sh PREFIX | --stage BUILD_DIR" >&2; exit 2; }
    prefix=$sandbox/prefix
    cmake --install "$2" --prefix "$prefix" >/dev/null || fail "cmake --install $2 failed"
else
    [ $# -eq 1 ] || { echo "usage: check-installed.sh PREFIX | --stage BUILD_DIR" >&2; exit 2; }
    prefix=$1
fi
prefix=$(cd "$prefix" && pwd -P)
data=$prefix/share/kestrova

for f in bin/kestrova bin/kestrova-cli bin/kestrova-info share/kestrova/skins/default.zip \
    share/kestrova/help/index.html share/applications/kestrova.desktop \
    share/icons/hicolor/scalable/apps/kestrova.svg; do
    [ -e "$prefix/$f" ] || fail "$prefix/$f is not installed"
done
for size in 16 32 48 64 128 256; do
    [ -e "$prefix/share/icons/hicolor/${size}x$size/apps/kestrova.png" ] || fail "no ${size}x$size icon"
done
ls "$data"/Language/*.ini >/dev/null 2>&1 || fail "no language files in $data/Language"

expected=$(ls "$samples" | wc -l)
"$prefix/bin/kestrova-cli" --mode width --unit pixel --width 320 --output "$sandbox/out" "$samples" \
    || fail "kestrova-cli did not convert the samples"
"$prefix/bin/kestrova-info" --thumbnails "$sandbox/thumbnails" "$sandbox/out" >"$sandbox/info.txt" \
    || fail "kestrova-info could not read every converted picture"
written=$(ls "$sandbox/out" | wc -l)
[ "$written" -eq "$expected" ] || fail "$written pictures written of $expected"

# The window, from another folder, with a private home, settings and runtime folder. A
# stored language name with stray blanks is written back clean only when the installed
# language files were found and that language was selected.
mkdir -p "$sandbox/home" "$sandbox/run" "$sandbox/elsewhere" "$sandbox/config/Lumisk Studio Data"
chmod 700 "$sandbox/run"
settings="$sandbox/config/Lumisk Studio Data/settings.ini"
printf '[SETTING_INFO]\nLANGUAGE =   Deutsch  \n' >"$settings"
cd "$sandbox/elsewhere"
HOME=$sandbox/home XDG_CONFIG_HOME=$sandbox/config XDG_RUNTIME_DIR=$sandbox/run QT_QPA_PLATFORM=offscreen \
    KESTROVA_TEST_EVENT_LOG=$log "$prefix/bin/kestrova" "$samples" 2>"$sandbox/window.err" &
pid=$!
wait_for 30 logged marked || fail "the window did not come up"
logged "skin $data/skins/default.zip" || fail "the window did not load $data/skins/default.zip"
wait_for 60 logged "added $expected" || fail "the window did not add the $expected samples named on its command line"
wait_for 20 grep -qx 'LANGUAGE=Deutsch' "$settings" || fail "the window did not find its language files"
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
echo "check-installed: $prefix: $written samples converted and decoded; the window loaded its skin and languages and added $expected pictures"
