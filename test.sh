#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs every test. Ends with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
mconv_install_deps

build=build-test
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DMCONV_SANITIZE=ON -DBUILD_TESTING=ON
cmake --build "$build" -j "$(nproc)"
# Leaks of the system's own libraries (fontconfig, X) are not ours to report.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
ctest --test-dir "$build" --output-on-failure -j 2 "$@"
