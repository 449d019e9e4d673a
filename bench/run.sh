#!/usr/bin/env bash
# Runs every benchmark of a release build and prints its figures.
set -euo pipefail
build=${1:-build-release}
found=0
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  found=1
  echo "== $(basename "$b")"
  "$b"
done
[ "$found" = 1 ] || echo "No benchmarks built yet."
