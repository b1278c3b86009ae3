#!/usr/bin/env bash
# tools/run-clang-tidy.sh [BUILD_DIR]
# clang-tidy with the project's .clang-tidy over every source file of the
# editor, its tools, tests, benchmarks and fuzz targets, using the compile
# commands the main build exports (default build/test; configure it first).
# Qt's generated moc files are made first, as the sources include them.
# Prints each warning once, then the count per check; fails on any warning.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/test}" && pwd)
[ -f "$build/compile_commands.json" ] || { echo "no compile_commands.json in $build: configure it first" >&2; exit 2; }

autogen=$(cmake --build "$build" --target help | sed -n 's/^\.\.\. \(.*_autogen\)$/\1/p')
[ -z "$autogen" ] || cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target $autogen > /dev/null

log=$(mktemp)
trap 'rm -f "$log"' EXIT
run-clang-tidy -p "$build" -j "$(nproc 2>/dev/null || echo 2)" -quiet \
    "^$root/(app|base|bench|canvas|fuzz|movie|options|platform|settings|tests|tools)/.*\.cpp$" > "$log" 2>&1 || true

# A header's warning comes once per file including it: keep one of each.
warnings=$(sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E '^/.*: (warning|error): .*\[[A-Za-z0-9.,-]+\]$' | sort -u || true)
if [ -z "$warnings" ]; then
    if grep -q "error:" "$log"; then grep "error:" "$log" | head -20; exit 1; fi
    grep -q "warnings generated" "$log" || { echo "clang-tidy checked no file" >&2; exit 1; }
    echo "clang-tidy: no warnings"
    exit 0
fi
echo "$warnings"
echo
echo "clang-tidy: warnings per check"
echo "$warnings" | sed -E 's/.*\[([A-Za-z0-9.,-]+)\]$/\1/' | sort | uniq -c | sort -rn
echo "clang-tidy: $(echo "$warnings" | wc -l) warnings"
exit 1
