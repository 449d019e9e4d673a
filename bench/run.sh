#!/usr/bin/env bash
# Runs every benchmark of an optimised build and prints its figures. The desktop
# ones run on Openbox and on Xfwm4, each on a private desktop of its own.
set -euo pipefail
build=${1:-build-bench}
window_managers=(openbox xfwm4)

run() {
  echo "== $*"
  "$@"
}

for b in bench_settings_codec bench_grid_open; do
  [ -x "$build/bench/$b" ] || { echo "$build/bench/$b is not built" >&2; exit 1; }
  run "$build/bench/$b"
done
for wm in "${window_managers[@]}"; do
  for b in bench_placement bench_hotkey; do
    [ -x "$build/bench/$b" ] || { echo "$build/bench/$b is not built" >&2; exit 1; }
    run "$build/bench/$b" "$wm"
  done
done
