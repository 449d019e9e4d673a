#!/usr/bin/env bash
# Runs clang-tidy (checks in .clang-tidy) over every tracked C++ source and fails
# on any finding. It reads the compile commands of a clang configuration of the
# project (configured here, not built), so it also shows that clang accepts the
# build's flags.
#   scripts/check_tidy.sh [build folder, default build-tidy] [files...]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build-tidy}
shift || true

for tool in clang-tidy clang++ cmake; do
  if ! command -v "$tool" >/dev/null; then
    echo "check_tidy: $tool is not installed (run scripts/deps.sh)." >&2
    exit 2
  fi
done

mkdir -p "$build"
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DCORVANE_WERROR=ON -DCORVANE_BUILD_TESTS=ON -DCORVANE_BUILD_BENCH=ON >"$build/tidy-configure.log" 2>&1 || {
  cat "$build/tidy-configure.log" >&2
  echo "check_tidy: configuring with clang++ failed (log above)." >&2
  exit 1
}

if [ $# -gt 0 ]; then
  files=("$@")
else
  # Tracked sources the build compiles; headers are checked through them.
  mapfile -t files < <(git ls-files -- '*.cpp' | while read -r f; do
    grep -qF "\"file\": \"$root/$f\"" "$build/compile_commands.json" && echo "$f"
  done)
fi
if [ ${#files[@]} -eq 0 ]; then
  echo "check_tidy: $build/compile_commands.json lists no tracked source." >&2
  exit 1
fi

export TIDY_BUILD=$build
export TIDY_HEADERS="^$root/(core|platform|app|tools|bench|tests)/"
tidy_one() {
  local started=$SECONDS out
  if ! out=$(clang-tidy -p "$TIDY_BUILD" --quiet --warnings-as-errors='*' \
    --header-filter="$TIDY_HEADERS" "$1" 2>&1); then
    grep -v ' warnings\? generated\.$' <<<"$out"
    echo "check_tidy: $1 ($((SECONDS - started)) s): findings above"
    return 1
  fi
}
export -f tidy_one

started=$SECONDS
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
printf '%s\n' "${files[@]}" | xargs -P "${TIDY_JOBS:-2}" -n 1 bash -c 'tidy_one "$0"' >"$log" || status=$?
cat "$log"
elapsed=$((SECONDS - started))

if [ "$status" -ne 0 ]; then
  echo
  echo "check_tidy: clang-tidy findings (each once):"
  grep -E '^/[^ ]+:[0-9]+:[0-9]+: (warning|error):' "$log" | sed "s|^$root/||" | sort -u | sed 's/^/  /'
  echo "check_tidy: fix the findings above (${#files[@]} files, ${elapsed} s)."
  exit 1
fi
echo "check_tidy: ${#files[@]} sources clean under .clang-tidy (${elapsed} s)."
