#!/usr/bin/env bash
# Installs what is missing, builds, and runs the converter's main job.
#   ./run.sh FILE... [options]   converts the files with mp4avi-cli (options passed through)
#   ./run.sh                     on a display: opens the window (mp4avi);
#                                without one: makes a short sample MP4 once (samples/sample.mp4,
#                                from FFmpeg's test sources) and converts it to samples/sample.avi
set -euo pipefail
caller="$PWD"
root="$(cd "$(dirname "$0")" && pwd)"
cd "$root"
source tools/deps.sh
mconv_install_deps

build="$root/build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
cli="$build/bin/mp4avi-cli"

if [ $# -gt 0 ]; then
    # The files are named relative to where run.sh was called from.
    cd "$caller"
    exec "$cli" "$@"
fi

if { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; } && [ -x "$build/bin/mp4avi" ]; then
    exec "$build/bin/mp4avi"
fi

samples="$root/samples"
sample="$samples/sample.mp4"
mkdir -p "$samples"
if [ ! -f "$sample" ]; then
    echo "Making the sample clip $sample"
    # Made under another name first, so an interrupted run leaves no broken sample.
    ffmpeg -v error -nostdin -y \
        -f lavfi -i "testsrc=duration=5:size=640x360:rate=25" \
        -f lavfi -i "sine=frequency=440:duration=5" \
        -pix_fmt yuv420p -shortest "$samples/sample.part.mp4"
    mv "$samples/sample.part.mp4" "$sample"
fi

status=0
"$cli" --overwrite yes -o "$samples" "$sample" || status=$?
if [ "$status" -eq 0 ]; then
    echo "The AVI is at $samples/sample.avi"
fi
exit "$status"
