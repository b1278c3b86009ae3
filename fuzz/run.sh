#!/usr/bin/env bash
# fuzz/run.sh [SECONDS] [TARGET...]
# Builds the fuzz targets with clang (in build/fuzz, or $SKINEDIT_FUZZ_BUILD),
# writes the seed corpora and runs each target (all of them by default) for
# SECONDS (default 60). Fails when any target crashes, leaks or breaks a
# sanitizer's rule; the input is left in <build>/artifacts/<target>/ and the
# log's key lines are printed. An input that runs too long or takes too much
# memory is reported the same way but fails the run only with
# SKINEDIT_FUZZ_STRICT=1, so a slow case found by chance does not fail a
# short smoke run. Inputs worth keeping go to fuzz/regressions/<target>/,
# where the main build's tests (tests/fuzzreplay) replay them.
set -euo pipefail

seconds=${1:-60}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SKINEDIT_FUZZ_BUILD:-$root/build/fuzz}
source_targets=$(sed -n 's/^ *\(fuzz_[a-z_]*\)$/\1/p' "$root/fuzz/Targets.cmake")
targets=("$@")
[ ${#targets[@]} -eq 0 ] && read -r -d '' -a targets <<< "$source_targets" || true

mkdir -p "$build"
cmake -S "$root/fuzz" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ > "$build/configure.log" 2>&1 \
    || { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target make_fuzz_seeds "${targets[@]}" > "$build/build.log" 2>&1 \
    || { tail -40 "$build/build.log"; exit 1; }
rm -rf "$build/seeds"
"$build/make_fuzz_seeds" "$build/seeds"

# Inputs each target reads besides its seeds: files the project ships, and
# the shared movie collections when they are there (read in place, never copied).
shared=${SKINEDIT_SHARED_DIR:-$root/../shared}
extra_inputs() {
    case "$1" in
    fuzz_ini | fuzz_windows) echo "$root/sample" ;;
    fuzz_language) echo "$root/sample/Support" ;;
    fuzz_movie)
        for dir in swf-corpus avm1-conformance; do
            [ -d "$shared/$dir" ] && echo "$shared/$dir"
        done ;;
    esac
    return 0
}

failed=()
slow=()
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    artifacts="$build/artifacts/$target"
    rm -rf "$artifacts"
    mkdir -p "$corpus" "$artifacts" "$root/fuzz/regressions/$target"
    inputs=("$build/seeds/$target" "$root/fuzz/regressions/$target")
    for dir in $(extra_inputs "$target"); do inputs+=("$dir"); done
    log="$build/$target.log"
    start=$SECONDS
    if QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy UBSAN_OPTIONS=print_stacktrace=1 \
        LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp" \
        "$build/$target" \
        -max_total_time="$seconds" -timeout=20 -rss_limit_mb=3072 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$corpus" "${inputs[@]}" > "$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
        echo "fuzz: $target passed, ${runs:-?} runs in $((SECONDS - start)) s"
    else
        kind=$(ls "$artifacts" | sed -n 's/^\([a-z-]*\)-[0-9a-f]*$/\1/p' | head -1)
        echo "fuzz: $target found a ${kind:-failure} after $((SECONDS - start)) s; log $log, input in $artifacts/:"
        grep -E "ERROR|SUMMARY|fuzz target:|Test unit written" "$log" | head -5 || tail -20 "$log"
        case "$kind" in
        timeout | oom | slow-unit) slow+=("$target") ;;
        *) failed+=("$target") ;;
        esac
    fi
done

if [ ${#slow[@]} -gt 0 ]; then
    echo "fuzz: slow or memory-hungry inputs in: ${slow[*]}"
    [ "${SKINEDIT_FUZZ_STRICT:-0}" = 1 ] && failed+=("${slow[@]}")
fi
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: FAILED: ${failed[*]}"
    exit 1
fi
echo "fuzz: all ${#targets[@]} targets passed"
