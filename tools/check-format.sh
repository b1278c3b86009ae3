#!/usr/bin/env bash
# tools/check-format.sh
# Checks that every C++ file the project tracks is laid out as .clang-format
# says, changing nothing; lists the files that are not. Format a file with
# `clang-format -i FILE`.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t files < <(git ls-files '*.cpp' '*.h' | grep -v '^build')
bad=()
for file in "${files[@]}"; do
    clang-format --dry-run -Werror "$file" > /dev/null 2>&1 || bad+=("$file")
done
if [ ${#bad[@]} -gt 0 ]; then
    printf 'not formatted: %s\n' "${bad[@]}"
    echo "check-format: ${#bad[@]} of ${#files[@]} files need clang-format"
    exit 1
fi
echo "check-format: all ${#files[@]} files formatted"
