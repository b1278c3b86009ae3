#!/usr/bin/env bash
# Start-up time and peak memory of the whole editor process on the sample
# skin, against the floor: a minimal Qt program that shows two windows.
# Both run in the same way under one Xvfb, alternately, N times each.
# Given a second build (BEFORE), its editor runs in turn with them too, so
# that a change is measured side by side with what it changed.
#
#   cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DSKINEDIT_BUILD_TESTS=ON
#   cmake --build build/bench --target skinedit bench_floor_two_windows
#   bench/startup/bench_startup.sh build/bench [RUNS] [BEFORE_BUILD]
#
# Start-up: from launch until both windows are mapped (viewable), polled
# with xdotool. Memory: the process's peak resident set (VmHWM) once both
# windows are up and the first paint is done. Prints medians and ratios;
# the goal is within 1.3 times the floor on both. The floor runs once more
# with a line of text in each window, for comparison: what any program that
# shows text pays for its fonts, and the bare floor does not.
set -uo pipefail
BUILD=$(cd "${1:?usage: bench_startup.sh BUILD_DIR [RUNS] [BEFORE_BUILD_DIR]}" && pwd)
RUNS=${2:-21}
BEFORE=${3:+$(cd "$3" && pwd)}
EDITOR=$BUILD/program/skinedit
FLOOR=$BUILD/bench/startup/bench_floor_two_windows
for tool in Xvfb xdotool; do
    command -v $tool >/dev/null || { echo "$tool is not installed" >&2; exit 2; }
done
[ -x "$EDITOR" ] && [ -x "$FLOOR" ] || { echo "build skinedit and bench_floor_two_windows in $BUILD" >&2; exit 2; }
[ -z "$BEFORE" ] || [ -x "$BEFORE/program/skinedit" ] || { echo "no skinedit in $BEFORE/program" >&2; exit 2; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/skinedit-bench.XXXXXX")
XVFB_PID=
cleanup() {
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

# The editor in its own program folder with the sample skin, as a user has it.
mkdir -p "$WORK/program" "$WORK/runtime"
chmod 700 "$WORK/runtime"
export XDG_RUNTIME_DIR=$WORK/runtime
cp -r "$BUILD/program/data" "$BUILD/program/Support" "$EDITOR" "$WORK/program/"
if [ -n "$BEFORE" ]; then
    mkdir -p "$WORK/before"
    cp -r "$BUILD/program/data" "$BUILD/program/Support" "$BEFORE/program/skinedit" "$WORK/before/"
fi

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$WORK/display" >/dev/null 2>&1 &
XVFB_PID=$!
for _ in $(seq 200); do grep -q '[0-9]' "$WORK/display" && break; sleep 0.05; done
export DISPLAY=:$(tr -dc '0-9' <"$WORK/display")

now_ns() { date +%s%N; }

# measure PROGRAM [ARGUMENTS]: prints "milliseconds kilobytes" of one launch.
measure() {
    local start pid mapped=0 end hwm
    start=$(now_ns)
    "$@" >>"$WORK/output.log" 2>&1 &
    pid=$!
    # xdotool answers in a few milliseconds; that is the resolution here.
    for _ in $(seq 4000); do
        mapped=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l)
        [ "$mapped" -ge 2 ] && break
        kill -0 "$pid" 2>/dev/null || break
    done
    end=$(now_ns)
    if [ "$mapped" -lt 2 ]; then
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        echo "failed"
        return
    fi
    # Let the first paint of both windows finish before reading the peak.
    sleep 0.5
    hwm=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status")
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    echo "$(((end - start) / 1000000)) $hwm"
}

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2)}'; }

: >"$WORK/editor.txt"
: >"$WORK/floor.txt"
: >"$WORK/text.txt"
: >"$WORK/before.txt"
# One warm-up each (file cache, fontconfig cache), then alternate.
measure "$WORK/program/skinedit" >/dev/null
measure "$FLOOR" >/dev/null
[ -z "$BEFORE" ] || measure "$WORK/before/skinedit" >/dev/null
for _ in $(seq "$RUNS"); do
    measure "$WORK/program/skinedit" >>"$WORK/editor.txt"
    measure "$FLOOR" >>"$WORK/floor.txt"
    measure "$FLOOR" --text >>"$WORK/text.txt"
    [ -z "$BEFORE" ] || measure "$WORK/before/skinedit" >>"$WORK/before.txt"
done
if grep -q failed "$WORK/editor.txt" "$WORK/floor.txt" "$WORK/text.txt" "$WORK/before.txt"; then
    echo "a launch did not map two windows; the programs said:" >&2
    tail -5 "$WORK/output.log" >&2
    exit 1
fi

editor_ms=$(cut -d' ' -f1 "$WORK/editor.txt" | median)
floor_ms=$(cut -d' ' -f1 "$WORK/floor.txt" | median)
editor_kb=$(cut -d' ' -f2 "$WORK/editor.txt" | median)
floor_kb=$(cut -d' ' -f2 "$WORK/floor.txt" | median)
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
verdict() { awk -v r="$1" 'BEGIN {print (r <= 1.3) ? "within 1.3x" : "OVER 1.3x"}'; }

time_ratio=$(ratio "$editor_ms" "$floor_ms")
memory_ratio=$(ratio "$editor_kb" "$floor_kb")
echo "runs: $RUNS each, medians"
printf '%-28s %8s %12s\n' "" "start-up" "peak memory"
printf '%-28s %6d ms %9d KiB\n' "skinedit (sample skin)" "$editor_ms" "$editor_kb"
printf '%-28s %6d ms %9d KiB\n' "floor (two Qt windows)" "$floor_ms" "$floor_kb"
printf '%-28s %8s %12s\n' "ratio" "$time_ratio" "$memory_ratio"
text_ms=$(cut -d' ' -f1 "$WORK/text.txt" | median)
text_kb=$(cut -d' ' -f2 "$WORK/text.txt" | median)
printf '%-28s %6d ms %9d KiB\n' "floor with a line of text" "$text_ms" "$text_kb"
printf '%-28s %8s %12s\n' "skinedit's ratio to it" "$(ratio "$editor_ms" "$text_ms")" "$(ratio "$editor_kb" "$text_kb")"
if [ -n "$BEFORE" ]; then
    before_ms=$(cut -d' ' -f1 "$WORK/before.txt" | median)
    before_kb=$(cut -d' ' -f2 "$WORK/before.txt" | median)
    printf '%-28s %6d ms %9d KiB\n' "before ($(basename "$BEFORE"))" "$before_ms" "$before_kb"
    printf '%-28s %8s %12s\n' "its ratio" "$(ratio "$before_ms" "$floor_ms")" "$(ratio "$before_kb" "$floor_kb")"
fi
echo "start-up $(verdict "$time_ratio"), memory $(verdict "$memory_ratio")"
