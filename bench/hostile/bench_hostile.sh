#!/bin/sh
# bench_hostile.sh BUILD [FRAMES]
# Plays each made-up hostile title with swfrun and draws its frame FRAMES
# (30 by default) with swf2png, from the release build in BUILD, and prints
# the CPU seconds and the peak memory each took. A run is held to 120 s of
# CPU and 3 GB of address space (CAP_SECONDS, CAP_MB) so that an engine
# without limits cannot take the machine down; such a run shows "capped".
set -eu
build=${1:?usage: bench_hostile.sh BUILD [FRAMES]}
frames=${2:-30}
cap_seconds=${CAP_SECONDS:-120}
cap_mb=${CAP_MB:-3072}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/hostile/write_hostile_movies" "$work" >/dev/null

measure() { # label command...
    label=$1
    shift
    status=0
    (
        ulimit -t "$cap_seconds"
        ulimit -v $((cap_mb * 1024))
        /usr/bin/time -f '%U %S %M' -o "$work/time" "$@" >/dev/null 2>"$work/err"
    ) || status=$?
    set -- $(tail -n 1 "$work/time")
    note=""
    [ "$status" -ne 0 ] && note=" (capped or failed: exit $status)"
    printf '%-28s %8.2f s CPU %8.1f MB%s\n' "$label" "$(echo "$1 + $2" | bc)" "$(echo "scale=1; $3 / 1024" | bc)" "$note"
    grep -v XDG_RUNTIME_DIR "$work/err" | head -n 3 | sed "s|$work/||; s/^/    /"
}

for movie in "$work"/*.swf; do
    name=$(basename "$movie" .swf)
    measure "swfrun  $name" "$build/tools/swfrun/swfrun" "$movie" --frames "$frames"
    measure "swf2png $name" "$build/tools/swf2png/swf2png" "$movie" "$work/out.png" --frame "$frames"
done
