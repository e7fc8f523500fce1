#!/bin/sh
# Runs the real program on a virtual X screen the way a user would: Add Folder with the
# sample pictures, Start, then checks every written file by decoding it; once more as WebP
# with transparency kept; maximise and restore; a run with a picture gone and its summary;
# a run cancelled and its summary; then the German window.
#   window-e2e.sh PROGRAM SAMPLES_DIR [SCREENSHOT_DIR]
# With KESTROVA_E2E_WM=openbox the screen has that window manager.
# Exits 77 (skipped) when Xvfb, xdotool or the window manager asked for is missing.
set -eu
program=$1
samples=$2
shots=${3:-}
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null && command -v vipsheader >/dev/null || exit 77
wm=${KESTROVA_E2E_WM:-}
[ -z "$wm" ] || command -v "$wm" >/dev/null || exit 77

if [ "${KESTROVA_E2E_INNER:-}" != 1 ]; then
    export KESTROVA_E2E_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

sandbox=$(mktemp -d)
pid= wmpid=
trap 'kill $pid $wmpid 2>/dev/null || true; rm -rf "$sandbox"' EXIT
if [ -n "$wm" ]; then
    HOME=$sandbox "$wm" >/dev/null 2>&1 &
    wmpid=$!
    sleep 1
fi
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

# start LOCALE: the program in that locale's language, its events logged.
start() {
    HOME=$sandbox/home XDG_CONFIG_HOME=$sandbox/config XDG_RUNTIME_DIR=$sandbox/run \
        KESTROVA_TEST_EVENT_LOG=$log QT_QPA_PLATFORM=xcb LC_ALL=$1 "$program" &
    pid=$!
}
# The clicks and titles below are the English window's.
start C.UTF-8
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

# Options... opens its dialog; Escape leaves everything as it was.
click 434 665 # Options...
wait_for 10 xdotool search --name "^Options" || fail "Options... did not open its dialog"
sleep 0.5
[ -n "$shots" ] && import -window root "$shots/e2e-options.png"
xdotool key Escape
wait_for 10 sh -c '! xdotool search --name "^Options"' || fail "Escape did not close the options"

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

# Maximise and Restore with the caption's own button, which follows the window's state. Only a
# window manager maximises a window; on a bare X screen it stays as it is.
if [ -n "$wm" ]; then
    size() { xdotool getwindowgeometry --shell "$win" | sed -n 's/^\(WIDTH\|HEIGHT\)=//p' | paste -sd x; }
    click 903 21 # Maximise
    wait_for 10 sh -c "[ \"\$(xdotool getwindowgeometry --shell $win | sed -n 's/^WIDTH=//p')\" = 1280 ]" ||
        fail "Maximise left the window at $(size)"
    sleep 0.5
    [ -n "$shots" ] && import -window root "$shots/e2e-maximised.png"
    eval "$(xdotool getwindowgeometry --shell "$win")"
    click $((WIDTH - 57)) 21 # Restore, where the same button now is
    wait_for 10 sh -c "[ \"\$(xdotool getwindowgeometry --shell $win | sed -n 's/^WIDTH=//p')\" = 960 ]" ||
        fail "Restore left the window at $(size)"
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$win")"
fi

# A picture gone from its folder since it was added: one failure, named in the summary.
rm "$sandbox/pictures/grey.jpg"
click 875 661 # Start
wait_for 120 logged "converted $expected failed 1" || fail "the run with a picture gone did not end as expected"
wait_for 10 logged "summary shown: $((expected - 1)) of $expected pictures were written" ||
    fail "the summary did not say that one picture was not written"
wait_for 10 xdotool search --name "^Summary" || fail "no summary window"
sleep 0.5
[ -n "$shots" ] && import -window root "$shots/e2e-failed.png"
xdotool key Return
wait_for 10 sh -c '! xdotool search --name "^Summary"' || fail "Return did not close the summary"

# Cancel: large pictures make a run long enough to stop; the pictures already started are
# finished, and the summary says where it stopped.
mkdir "$sandbox/large"
for i in 1 2 3 4 5 6 7 8; do
    vips gaussnoise "$sandbox/large/noise$i.jpg" 4000 3000 --sigma 60
done
click 167 608 # Add Folder...
wait_for 10 xdotool search --name "Please select a folder" || fail "the folder chooser did not open again"
sleep 0.5
xdotool key ctrl+a
xdotool type --delay 20 "$sandbox/large"
xdotool key Return
sleep 0.5
if xdotool search --name "Please select a folder" >/dev/null 2>&1; then xdotool key Return; fi
wait_for 60 logged "added 8" || fail "the large pictures were not added"
total=$((expected + 8))
click 875 661 # Start
# The progress dialog: the one small window of the program.
progress() {
    for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$w" | sed 's/^/P/')"
        [ "$PWIDTH" -lt 800 ] && [ "$PHEIGHT" -lt 200 ] && return 0
    done
    return 1
}
wait_for 20 progress || fail "no progress dialog"
progress
xdotool mousemove $((PX + 604)) $((PY + 103)) click 1 # Cancel
wait_for 120 logged "summary shown: Stopped after" || fail "the cancelled run's summary did not say it stopped"
converted=$(sed -n 's/^converted \([0-9]*\) failed.*/\1/p' "$log" | tail -n 1)
[ "$converted" -lt "$total" ] || fail "Cancel did not stop the run ($converted of $total converted)"
grep -q "summary shown: Stopped after $converted of $total pictures" "$log" || fail "the summary counted wrongly"
sleep 0.5
[ -n "$shots" ] && import -window root "$shots/e2e-cancelled.png"
xdotool key Escape
wait_for 10 sh -c '! xdotool search --name "^Summary"' || fail "Escape did not close the summary"

# A German desktop gets the German window: its Add Folder button opens a German chooser. It is a
# restart too: the panel is as the first window left it, WebP with transparency kept.
kill "$pid"
wait "$pid" 2>/dev/null || true
: >"$log"
start de_DE.UTF-8
wait_for 30 logged marked || fail "the German window did not come up"
wait_for 10 logged "options shown: WebP.* keeping transparency" || fail "the restarted window did not show the options left: $(grep 'options shown' "$log")"
sleep 1
click 250 608 # Ordner hinzufügen...
wait_for 10 xdotool search --name "Bitte einen Ordner w" || fail "the German window's folder chooser did not open"
[ -n "$shots" ] && import -window root "$shots/e2e-german.png"
echo "window-e2e${wm:+ ($wm)}: $written pictures added, converted and decoded, written as WebP with transparency kept;${wm:+ maximised and restored;} a missing picture and a Cancel summed up; the German window showed the options left and opened its German chooser"
