#!/bin/sh
# Starts the real window program under Xvfb, finds its window by its caption, saves a
# screenshot of it, closes it with Escape and checks that it ended well and saved its
# output folder. Exits 77 (skipped) only when Xvfb or the X tools are not installed.
#
# usage: smoke_test.sh PROGRAM SCREENSHOT.png
set -eu

program=$1
screenshot=$2

for tool in xvfb-run Xvfb xdotool import identify; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIPPED: $tool is not installed"
        exit 77
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/mconv-smoke-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config/Orvane Media Converter" "$work/data" "$(dirname "$screenshot")"
printf '[General]\nout_dir=/home/user/Videos/AVI\n' >"$work/config/Orvane Media Converter/avi.conf"

cat >"$work/inside.sh" <<'INSIDE'
#!/bin/sh
# Runs on the virtual display.
set -u
program=$1 screenshot=$2 work=$3
caption='^Orvane Free MP4 to AVI Converter 1\.0$'

# The command line is not read: an argument must not keep the window from opening.
XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=xcb \
    "$program" "$work/ignored.mp4" >"$work/program.log" 2>&1 &
pid=$!

window=$(timeout 30 xdotool search --sync --onlyvisible --name "$caption" | head -n 1)
if [ -z "$window" ]; then
    echo "no window with the caption appeared"; cat "$work/program.log"; kill "$pid"; exit 1
fi
eval "$(xdotool getwindowgeometry --shell "$window")"
echo "window $WINDOW at $X,$Y size ${WIDTH}x$HEIGHT"

# Wait until the window has been painted: its picture then has many colours.
deadline=$(( $(date +%s) + 30 ))
while :; do
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$screenshot"
    colours=$(identify -format '%k' "$screenshot")
    [ "$colours" -gt 64 ] && break
    if [ "$(date +%s)" -ge "$deadline" ]; then
        echo "the window was never painted ($colours colours)"; kill "$pid"; exit 1
    fi
    sleep 0.2
done
echo "screenshot: $screenshot ($colours colours)"

xdotool windowfocus --sync "$window"
xdotool key --clearmodifiers Escape
deadline=$(( $(date +%s) + 30 ))
while kill -0 "$pid" 2>/dev/null; do
    if [ "$(date +%s)" -ge "$deadline" ]; then
        echo "Escape did not close the window"; kill "$pid"; exit 1
    fi
    sleep 0.1
done
wait "$pid"
status=$?
echo "the program ended with status $status"
exit "$status"
INSIDE
chmod +x "$work/inside.sh"

xvfb-run -a -s "-screen 0 1024x768x24" "$work/inside.sh" "$program" "$screenshot" "$work"

# The close sequence saved the folder it had loaded.
grep -q '^out_dir=/home/user/Videos/AVI$' "$work/config/Orvane Media Converter/avi.conf" || {
    echo "the output folder was not saved:"; cat "$work/config/Orvane Media Converter/avi.conf"; exit 1
}
echo "smoke test passed"
