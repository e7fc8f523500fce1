#!/bin/sh
# make-tree.sh DIR COUNT [WIDTH HEIGHT]: COUNT JPEGs in a tree of folders under DIR/pictures
# (some names with spaces), one file that only looks like a JPEG (DIR/pictures/broken/notes.jpg),
# and DIR/list.txt listing all of them relative to DIR. Eight pictures are drawn; the others are
# hard links to them, which costs the converter the same.
set -eu
dir=$1 count=$2 w=${3:-640} h=${4:-480}
mkdir -p "$dir/pictures/broken"
for i in 0 1 2 3 4 5 6 7; do
    vips gaussnoise "$dir/.noise$i.v" "$((w / 16))" "$((h / 16))" --sigma 60 --mean 128
    vips resize "$dir/.noise$i.v" "$dir/.seed$i.jpg[Q=85]" 16 --kernel cubic
done
: >"$dir/list.txt"
i=0
while [ "$i" -lt "$count" ]; do
    case $((i % 4)) in
    0) sub="pictures/2024" ;;
    1) sub="pictures/2024/summer trip" ;;
    2) sub="pictures/2025/a/b" ;;
    *) sub="pictures" ;;
    esac
    mkdir -p "$dir/$sub"
    ln -f "$dir/.seed$((i % 8)).jpg" "$dir/$sub/photo $i.jpg"
    echo "$sub/photo $i.jpg" >>"$dir/list.txt"
    i=$((i + 1))
done
echo "these are notes, not a picture" >"$dir/pictures/broken/notes.jpg"
echo "pictures/broken/notes.jpg" >>"$dir/list.txt"
rm -f "$dir"/.noise*.v
