#!/bin/sh
# Runs the real program on a virtual X screen the way a user would: Add Folder with the
# sample pictures, Start, then checks every written file by decoding it; then once more as WebP
# with transparency kept.
#   window-e2e.sh PROGRAM SAMPLES_DIR [SCREENSHOT_DIR]
# Exits 77 (skipped) when Xvfb or xdotool is missing.
set -eu
program=$1
samples=$2
shots=${3:-}
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null && command -v vipsheader >/dev/null || exit 77

if [ "${KESTROVA_E2E_INNER:-}" != 1 ]; then
    export KESTROVA_E2E_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

sandbox=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$sandbox"' EXIT
mkdir -p "$sandbox/home" "$sandbox/config" "$sandbox/run" "$sandbox/pictures"
chmod 700 "$sandbox/run"
cp "$samples"/* "$sandbox/pictures/"
expected=$(ls "$sandbox/pictures" | wc -l)
log=$sandbox/events.log
out="$sandbox/home/Da Varozez Evozer"

fail() {
    echo "window-e2e: $*" >&2
    [ -n "$shots" ] && import -window root "$shots/e2e-failure.png" 2>/dev/null || true
    cat "$log" >&2 2>/dev/null || true
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
logged() { grep -q "$1" "$log"; }

HOME=$sandbox/home XDG_CONFIG_HOME=$sandbox/config XDG_RUNTIME_DIR=$sandbox/run \
    KESTROVA_TEST_EVENT_LOG=$log QT_QPA_PLATFORM=xcb "$program" &
pid=$!
wait_for 30 logged marked || fail "the window did not come up"
wait_for 10 xdotool search --name "Lumisk Studio" || fail "no window named Lumisk Studio"
win=$(xdotool search --name "Lumisk Studio" | head -n 1)
sleep 1 # let the window manager-less screen map and lay it out
eval "$(xdotool getwindowgeometry --shell "$win")"
# Positions in the window's 960 x 720 layout.
click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; }

click 167 608 # Add Folder...
wait_for 10 xdotool search --name "Please select a folder" || fail "the folder chooser did not open"
sleep 0.5
xdotool type --delay 20 "$sandbox/pictures"
xdotool key Return
sleep 0.5
# The chooser may open the folder on the first Enter; choose it with a second one.
if xdotool search --name "Please select a folder" >/dev/null 2>&1; then xdotool key Return; fi
wait_for 60 logged "added $expected" || fail "expected $expected pictures to be added"
[ -n "$shots" ] && import -window root "$shots/e2e-added.png"

click 875 661 # Start
wait_for 120 logged "converted $expected failed 0" || fail "the run did not convert every picture"
# The summary follows every run; Return closes it.
wait_for 10 logged "summary shown" || fail "no summary after the run"
wait_for 10 xdotool search --name "^Summary" || fail "no summary window"
sleep 0.5
[ -n "$shots" ] && import -window root "$shots/e2e-converted.png"
xdotool key Return
wait_for 10 sh -c '! xdotool search --name "^Summary"' || fail "Return did not close the summary"

written=0
for f in "$out"/*; do
    vipsheader "$f" >/dev/null || fail "cannot decode $f"
    written=$((written + 1))
done
[ "$written" -eq "$expected" ] || fail "$written files written, expected $expected"
ls "$out" | grep -v '\.jpg$' && fail "a file that is not a .jpg was written"

# Again as WebP with transparency kept: chosen in the Save as list with the keyboard, the
# check box ticked with the mouse.
click 838 570 # Save as
sleep 0.5
xdotool type --delay 50 "WebP"
xdotool key Return
sleep 0.3
click 700 596 # Keep transparency
sleep 0.3
click 875 661 # Start
runs() { [ "$(grep -c "converted $expected failed 0" "$log")" -ge "$1" ]; }
wait_for 120 runs 2 || fail "the WebP run did not convert every picture"
shown() { [ "$(grep -c "summary shown" "$log")" -ge "$1" ]; }
wait_for 10 shown 2 || fail "no summary after the WebP run"
sleep 0.5
[ -n "$shots" ] && import -window root "$shots/e2e-webp.png"
xdotool key Escape
wait_for 10 sh -c '! xdotool search --name "^Summary"' || fail "Escape did not close the summary"
for f in "$sandbox"/pictures/*; do
    name=$(basename "${f%.*}").webp
    case $(vipsheader -f bands "$f") in 2 | 4) want=4 ;; *) want=3 ;; esac
    got=$(vipsheader -f bands "$out/$name") || fail "cannot decode $name"
    [ "$got" = "$want" ] || fail "$name has $got bands, expected $want"
done
[ "$(vipsheader -f bands "$out/alpha.webp")" = 4 ] || fail "alpha.webp lost its transparency"
echo "window-e2e: $written pictures added, converted and decoded, then written as WebP with transparency kept"
