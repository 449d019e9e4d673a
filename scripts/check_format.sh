#!/usr/bin/env bash
# Checks that every tracked C++ file follows the project's .clang-format.
# With --fix, rewrites the files that do not (what `make format` runs).
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v clang-format >/dev/null; then
  echo "check_format: clang-format is not installed (run scripts/deps.sh)." >&2
  exit 2
fi

mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
if [ ${#files[@]} -eq 0 ]; then
  echo "check_format: git lists no C++ files; run it inside the Corvane checkout." >&2
  exit 2
fi

if [ "${1:-}" = "--fix" ]; then
  clang-format -i --style=file "${files[@]}"
  echo "check_format: formatted ${#files[@]} files."
  exit 0
fi

# clang-format names every file:line:column that would change.
if ! report=$(clang-format --dry-run -Werror --style=file "${files[@]}" 2>&1); then
  echo "$report" >&2
  echo >&2
  echo "check_format: these files do not follow .clang-format:" >&2
  grep -oE '^[^:[:space:]]+:[0-9]+:[0-9]+: error' <<<"$report" | cut -d: -f1 | sort -u | sed 's/^/  /' >&2
  echo "Run 'make format' to fix them." >&2
  exit 1
fi
echo "check_format: ${#files[@]} files follow .clang-format."
