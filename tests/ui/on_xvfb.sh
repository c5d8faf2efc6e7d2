#!/bin/sh
# Runs a command on a virtual X display. Exits 77 (skipped) only when Xvfb or the
# X tools the suites use are not installed.
for tool in xvfb-run Xvfb import identify; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIPPED: $tool is not installed"
        exit 77
    fi
done
exec xvfb-run -a -s "-screen 0 1024x768x24" "$@"
