#!/usr/bin/env bash
# Installs what is missing, builds, and runs the converter's main job.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
mconv_install_deps

build=build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

if [ -x "$build/bin/mp4avi-cli" ]; then
    exec "$build/bin/mp4avi-cli" "$@"
fi
echo "Built. The converter's front ends come next; the engine and presets are in $build."
