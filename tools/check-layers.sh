#!/usr/bin/env bash
# tools/check-layers.sh
# Checks that each folder of the editor includes only what its layer may
# use; lists every include that breaks the rule with its file and line.
#
# The rule, lowest layer first:
#   movie     depends on Qt only (its writer, movie/writer, on movie too)
#   base      depends on Qt only
#   settings  on base
#   platform  on base, settings and movie
#   canvas    on base, settings, platform and movie, and on options
#   options   on base, settings, platform and movie, and on canvas
#   app       on everything
# Tests, fuzz targets, benchmarks and tools may include any folder.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
    [movie]="movie"
    [base]="base"
    [settings]="settings base"
    [platform]="platform base settings movie"
    [canvas]="canvas options platform settings base movie"
    [options]="options canvas platform settings base movie"
    [app]="app canvas options platform settings base movie"
)

pathspecs=()
for layer in "${!allowed[@]}"; do pathspecs+=("$layer/*.cpp" "$layer/*.h"); done

broken=0
while IFS= read -r match; do
    # match: path:line:#include "folder/..."
    file=${match%%:*}
    rest=${match#*:}
    line=${rest%%:*}
    target=$(sed -E 's/.*#include "([^"/]+)\/.*/\1/' <<< "$rest")
    layer=${file%%/*}
    case " ${allowed[$layer]} " in
    *" $target "*) ;;
    *)
        echo "$file:$line: the $layer layer may not include $target/ (${rest#*:})"
        broken=$((broken + 1))
        ;;
    esac
done < <(git ls-files -- "${pathspecs[@]}" | xargs grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' || true)

if [ "$broken" -gt 0 ]; then
    echo "check-layers: $broken includes break the layering"
    exit 1
fi
echo "check-layers: every include keeps to its layer"
