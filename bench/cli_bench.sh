#!/usr/bin/env bash
# Whole-program benchmark of mp4avi-cli on eight 10-second clips made with FFmpeg's
# test sources, in one run:
#   direct   the encoder run by hand, clip after clip: the probe (`-i CLIP`, its
#            standard error into a log) and the conversion (`-y -i CLIP ARGS DEST`),
#            as the engine runs them
#   jobs1    mp4avi-cli --jobs 1 on the eight clips
#   jobs2    mp4avi-cli --jobs 2 on the eight clips
# Each is run ROUNDS times (default 5), interleaved. The machine is shared, and other
# work only ever makes a run slower, so the ratios are taken from each one's best
# round (the medians are printed beside them):
#   jobs1 / direct   the tool's overhead (target: at most 1.05)
#   jobs1 / jobs2    the gain of two engines (expect at least 1.4 on two cores)
#
# Usage: bench/cli_bench.sh [PATH-TO-mp4avi-cli]   (default: build/bin/mp4avi-cli)
#        ROUNDS=5 PRESET=0 bench/cli_bench.sh ...
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
cli="$(realpath "${1:-$root/build/bin/mp4avi-cli}")"
encoder="$(dirname "$cli")/core/quentrel"
rounds="${ROUNDS:-5}"
preset="${PRESET:-0}"
[ -x "$cli" ] || { echo "No mp4avi-cli at $cli" >&2; exit 2; }
[ -x "$encoder" ] || { echo "No encoder tool at $encoder" >&2; exit 2; }

work="$(mktemp -d "${TMPDIR:-/tmp}/mconv-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data"
mkdir -p "$XDG_DATA_HOME" "$work/clips" "$work/out"

echo "Making eight 10-second clips in $work/clips"
for n in 1 2 3 4 5 6 7 8; do
    ffmpeg -v error -nostdin -y \
        -f lavfi -i "testsrc2=duration=10:size=640x360:rate=25" \
        -f lavfi -i "sine=frequency=$((220 * n)):duration=10" \
        -pix_fmt yuv420p -shortest "$work/clips/clip$n.mp4"
done
clips=("$work"/clips/clip*.mp4)
args="$("$cli" --list-presets | awk -F '\t' -v p="$preset" '$1 == p { print $3 }')"

# Arithmetic on fractions with awk, which every Debian has.
calc() { awk "BEGIN { print $1 }"; }
# Runs a command and prints its wall-clock and processor seconds (its children's included).
measure() {
    local TIMEFORMAT='%R %U %S'
    { time "$@" >/dev/null 2>&1; } 2>&1
}

run_direct() {
    local clip base
    for clip in "${clips[@]}"; do
        base="$(basename "$clip" .mp4)"
        "$encoder" -i "$clip" </dev/null 2>"$work/probe.txt" || true
        # Preset arguments are a run of options, split as the script splits them.
        # shellcheck disable=SC2086
        "$encoder" -y -i "$clip" $args "$work/out/$base.avi" </dev/null >/dev/null 2>&1
    done
    rm -f "$work/probe.txt"
}

run_cli() {
    "$cli" -q --overwrite yes --jobs "$1" -p "$preset" -o "$work/out" "${clips[@]}" </dev/null >/dev/null
}

# Other work on the machine takes cores from --jobs 2 first; the load is printed
# with the figures so a low gain can be read in its light.
load_before="$(cut -d ' ' -f 1-3 /proc/loadavg)"
declare -a direct jobs1 jobs2 cpu1
for round in $(seq 1 "$rounds"); do
    rm -f "$work"/out/*
    read -r real user sys < <(measure run_direct)
    direct+=("$real")
    rm -f "$work"/out/*
    read -r real user sys < <(measure run_cli 1)
    jobs1+=("$real")
    cpu1+=("$(calc "$user + $sys")")
    rm -f "$work"/out/*
    read -r real user sys < <(measure run_cli 2)
    jobs2+=("$real")
    printf 'round %d: direct %.2f s, --jobs 1 %.2f s (processor %.2f s), --jobs 2 %.2f s\n' \
        "$round" "${direct[-1]}" "${jobs1[-1]}" "${cpu1[-1]}" "${jobs2[-1]}"
done

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
best() { printf '%s\n' "$@" | sort -g | head -n 1; }
bd=$(best "${direct[@]}"); b1=$(best "${jobs1[@]}"); b2=$(best "${jobs2[@]}")

echo
echo "Eight 10-second clips, preset $preset ($args), $(nproc) cores, $rounds rounds:"
echo "  (load average before: $load_before, after: $(cut -d ' ' -f 1-3 /proc/loadavg))"
echo "                                          best   median"
printf '  FFmpeg directly, one after another   %7.2f s %7.2f s\n' "$bd" "$(median "${direct[@]}")"
printf '  mp4avi-cli --jobs 1                  %7.2f s %7.2f s\n' "$b1" "$(median "${jobs1[@]}")"
printf '  mp4avi-cli --jobs 2                  %7.2f s %7.2f s\n' "$b2" "$(median "${jobs2[@]}")"
printf '  --jobs 1 / direct   = %.3f   (target: at most 1.05)\n' "$(calc "$b1 / $bd")"
printf '  --jobs 1 / --jobs 2 = %.3f   (expect: at least 1.4)\n' "$(calc "$b1 / $b2")"
# FFmpeg alone keeps more than one core busy (its decoder has threads of its own), so
# two jobs cannot beat the processor time of --jobs 1 spread over every core.
c1=$(best "${cpu1[@]}")
printf '  ceiling for --jobs 2 on %d cores: processor time of --jobs 1 %.2f s / %d = %.2f s, ratio at most %.3f\n' \
    "$(nproc)" "$c1" "$(nproc)" "$(calc "$c1 / $(nproc)")" "$(calc "$b1 / ($c1 / $(nproc))")"
