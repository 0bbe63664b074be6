#!/usr/bin/env bash
# The browser build, run headless in node, against the native build on the same input
# scripts: the trace and every screenshot must be the same, byte for byte.
#   tests/web/web_vs_native.sh [NATIVE_BUILD_DIR [WEB_BUILD_DIR]]
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
native=${1:-$root/build}
web=${2:-$root/build/web}
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnvell-web-vs-native.XXXXXX")
trap 'rm -rf "$work"' EXIT
export NODE_PATH=/usr/share/nodejs

failures=0
# name, frames, input script, then the passes to picture
compare() {
    local name=$1 frames=$2 script=$3
    shift 3
    local shots_native=() shots_web=()
    for pass in "$@"; do
        shots_native+=(--shot "$pass:$work/$name-native-$pass.png")
        shots_web+=(--shot "$pass:/host$work/$name-web-$pass.png")
    done
    local start
    start=$(date +%s.%N)
    "$native/tarnvell" --headless --data "$native" --seed 7 --autopilot --frames "$frames" \
        --input "$script" --trace "$work/$name-native.jsonl" "${shots_native[@]}"
    local middle
    middle=$(date +%s.%N)
    node --no-experimental-fetch tests/web/node_run.js "$web" --headless --data /data --seed 7 \
        --autopilot --frames "$frames" --input "/host$script" \
        --trace "/host$work/$name-web.jsonl" "${shots_web[@]}"
    local end
    end=$(date +%s.%N)
    local lines
    lines=$(wc -l <"$work/$name-native.jsonl")
    if [ "$lines" != "$frames" ]; then
        echo "FAIL $name: the native run wrote $lines trace lines, not $frames"
        failures=$((failures + 1))
    fi
    if ! cmp "$work/$name-native.jsonl" "$work/$name-web.jsonl"; then
        echo "FAIL $name: the traces differ"
        failures=$((failures + 1))
    fi
    for pass in "$@"; do
        if ! cmp "$work/$name-native-$pass.png" "$work/$name-web-$pass.png"; then
            echo "FAIL $name: the screenshots after pass $pass differ"
            failures=$((failures + 1))
        fi
    done
    awk -v n="$name" -v f="$frames" -v a="$start" -v b="$middle" -v c="$end" \
        'BEGIN { printf "%s: %s passes; native %.1f s, wasm in node %.1f s\n", n, f, b - a, c - b }'
}

compare tour 1900 "$root/docs/screens/tour.txt" 8 80 128 150 175 240 280 330 600 1400 1900
compare whole-game 5000 "$root/tests/scripts/whole_game.txt" 100 300 900 2000 3000 4000 5000
# The whole game: every screen on the way, a race flown to its end, the results.
for state in 1 2 3 4 5 6 7 8; do
    if ! grep -q "\"state\":$state," "$work/whole-game-web.jsonl"; then
        echo "FAIL whole-game: the run never reached state $state"
        failures=$((failures + 1))
    fi
done

if [ $failures -ne 0 ]; then
    echo "web_vs_native: $failures differences"
    exit 1
fi
echo "web_vs_native: the browser build matches the native build"
