#!/bin/sh
# Checks that every C and C++ source of the project is formatted with the
# project's .clang-format; lists the files that are not and fails.
# tools/check-format.sh --fix formats them in place.
set -eu
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h' '*.c')
if [ "${1:-}" = "--fix" ]; then
  echo "$files" | xargs clang-format -i
  exit 0
fi
bad=""
for file in $files; do
  clang-format "$file" | cmp -s - "$file" || bad="$bad $file"
done
if [ -n "$bad" ]; then
  echo "Not formatted with .clang-format (run tools/check-format.sh --fix):"
  for file in $bad; do echo "  $file"; done
  exit 1
fi
echo "format: ok"
