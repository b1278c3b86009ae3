#!/usr/bin/env bash
# tools/check-layers.sh
# Checks that each folder of the editor includes only what its layer may
# use; lists every include that breaks the rule with its file and line.
#
# The rule, lowest layer first:
#   movie     depends on Qt only; inside it, by stage:
#     movie/          the limits, the error type, the display list and the
#                     check for a request to stop
#     movie/format    the file read from bytes into definitions (with the
#                     shape, text and filter definitions of movie/draw)
#     movie/draw      shapes, text, filters and the renderer of a display list
#     movie/avm1      the script interpreter and its built-in objects (text
#                     fields lay their text out with movie/draw)
#     movie/sound     decoders and the mixer (which follows the player)
#     movie/play      the player: steps the display list, runs the scripts
#     movie/writer    writes movies for tests and tools; nothing else in
#                     the engine uses it
#   base      depends on Qt only
#   settings  on base
#   platform  on base, settings and movie
#   canvas    on base, settings, platform and movie, and on options
#   options   on base, settings, platform and movie, and on canvas
#   app       on everything
# Tests, fuzz targets, benchmarks and tools may include any folder.
set -euo pipefail
cd "$(dirname "$0")/.."

engine="movie movie/format movie/draw movie/avm1 movie/sound movie/play"
declare -A allowed=(
    [movie]="movie movie/format"
    [movie/format]="movie movie/format movie/draw movie/sound"
    [movie/draw]="movie movie/format movie/draw"
    [movie/avm1]="movie movie/format movie/draw movie/avm1"
    [movie/sound]="movie movie/format movie/sound movie/play"
    [movie/play]="$engine"
    [movie/writer]="movie movie/format movie/draw movie/sound movie/writer"
    [base]="base"
    [settings]="settings base"
    [platform]="platform base settings $engine"
    [canvas]="canvas options platform settings base $engine"
    [options]="options canvas platform settings base $engine"
    [app]="app canvas options platform settings base $engine"
)

# The layer of a path: its top folder, or movie/<stage> inside the engine.
layer_of() {
    case "$1" in
    movie/*/*) local stage=${1#movie/}; echo "movie/${stage%%/*}" ;;
    *) echo "${1%%/*}" ;;
    esac
}

pathspecs=()
for folder in movie base settings platform canvas options app; do
    pathspecs+=("$folder/*.cpp" "$folder/*.h")
done

broken=0
while IFS= read -r match; do
    # match: path:line:#include "folder/..."
    file=${match%%:*}
    rest=${match#*:}
    line=${rest%%:*}
    included=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<< "$rest")
    layer=$(layer_of "$file")
    target=$(layer_of "$included")
    case " ${allowed[$layer]} " in
    *" $target "*) ;;
    *)
        echo "$file:$line: $layer may not include $target/ (${rest#*:})"
        broken=$((broken + 1))
        ;;
    esac
done < <(git ls-files -- "${pathspecs[@]}" | xargs grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' || true)

if [ "$broken" -gt 0 ]; then
    echo "check-layers: $broken includes break the layering"
    exit 1
fi
echo "check-layers: every include keeps to its layer"
