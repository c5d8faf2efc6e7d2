#!/usr/bin/env bash
# Makes the PNGs under res/pictures and res/icons again from res/make_pictures.cpp.
# The build uses the committed PNGs; run this only after changing a picture's shapes.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-pictures
cmake -S . -B "$build" -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target make_pictures -j 2
QT_QPA_PLATFORM=offscreen "$build/bin/make_pictures" res
echo "Pictures written to res/pictures and res/icons."
