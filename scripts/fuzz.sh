#!/usr/bin/env bash
# Runs the fuzz targets built in BUILD (cmake -DCORVANE_BUILD_FUZZ=ON) for
# SECONDS each, two at a time, and prints per target the executions, the
# corpus reached, the slowest input and any finding.
#
#   scripts/fuzz.sh BUILD SECONDS [TARGET...]     (every target when none is named)
#
# Each run starts from a scratch copy of the seeds in fuzz/corpus, so the
# committed corpus never grows on its own; what a run found and its corpus stay
# in BUILD/fuzz-runs/TARGET. Fails when a target crashed, leaked, ran out of
# time or memory on an input, or when an input of its corpus took longer than
# SLOWEST_MS (100) to run.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:?usage: scripts/fuzz.sh BUILD SECONDS [TARGET...]}
seconds=${2:?usage: scripts/fuzz.sh BUILD SECONDS [TARGET...]}
shift 2
slowest_ms=${SLOWEST_MS:-100}
all_targets=(settings_decode settings_upgrade instance_request x11_properties)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

# The seeds and dictionary of a target: the two settings targets share theirs.
seeds_of() {
  case $1 in
    settings_*) echo fuzz/corpus/settings ;;
    *) echo "fuzz/corpus/$1" ;;
  esac
}
dictionary_of() {
  case $1 in
    settings_*) echo fuzz/settings.dict ;;
    instance_request) echo fuzz/instance_request.dict ;;
  esac
}

run_one() {
  local target=$1 binary="$build/fuzz/$1" dir="$build/fuzz-runs/$1"
  rm -rf "$dir"
  mkdir -p "$dir/corpus" "$dir/findings" "$dir/stalls"
  cp -r "$(seeds_of "$target")/." "$dir/corpus/"
  local flags=(-timeout=1 -rss_limit_mb=2048 -malloc_limit_mb=2048
    -max_len="${FUZZ_MAX_LEN:-16384}" -print_final_stats=1 -artifact_prefix="$dir/findings/")
  local dict
  dict=$(dictionary_of "$target")
  [ -z "$dict" ] || flags+=(-dict="$dict")
  local status=0 started=$SECONDS left=$seconds
  : >"$dir/log"
  : >"$dir/runs"
  while [ "$left" -gt 0 ]; do
    status=0
    # Returning freed memory to the system stalls a process now and then; a
    # smaller quarantine keeps its recycling short.
    ASAN_OPTIONS=allocator_release_to_os_interval_ms=-1:quarantine_size_mb=64 \
      nice "$binary" "${flags[@]}" -max_total_time="$left" "$dir/corpus" >"$dir/round" 2>&1 ||
      status=$?
    cat "$dir/round" >>"$dir/log"
    sed -n 's/^stat::number_of_executed_units: *//p' "$dir/round" >>"$dir/runs"
    [ "$status" -ne 0 ] && stalled "$binary" "$dir" || break
    left=$((seconds - (SECONDS - started)))
  done
  echo "$status" >"$dir/status"
  echo $((SECONDS - started)) >"$dir/seconds"
  slowest_input "$binary" "$dir" >"$dir/slowest"
}

# A busy machine can hold a process up for longer than the timeout. A timeout
# whose input then runs well within it three times over was the machine, not
# the input: it is put aside in stalls/ and fuzzing goes on.
stalled() {
  local binary=$1 dir=$2 input ms
  for input in "$dir"/findings/*; do
    case $(basename "$input") in timeout-*) ;; *) return 1 ;; esac
    for _ in 1 2 3; do
      ms=$("$binary" -runs=1 "$input" 2>&1 | sed -n 's/^Executed .* in \([0-9]*\) ms$/\1/p')
      [ -n "$ms" ] && [ "$ms" -lt 500 ] || return 1
    done
    mv "$input" "$dir/stalls/"
  done
}

# Every input of the corpus once more, one at a time, timed. An input over the
# limit is timed twice more and counts with its best time: on a busy machine a
# fast input is sometimes held up, a slow one is slow every time.
slowest_input() {
  local binary=$1 dir=$2 times="$2/times"
  find "$dir/corpus" -type f -print0 | xargs -0 -r -n 500 "$binary" -runs=1 2>&1 |
    sed -n 's/^Executed \(.*\) in \([0-9]*\) ms$/\2 \1/p' | sort -n >"$times"
  local worst=0 ms file best
  while read -r ms file; do
    best=$ms
    if [ "$ms" -gt "$slowest_ms" ]; then
      for _ in 1 2; do
        ms=$("$binary" -runs=1 "$file" 2>&1 | sed -n 's/^Executed .* in \([0-9]*\) ms$/\1/p')
        [ "${ms:-$best}" -lt "$best" ] && best=$ms
      done
    fi
    [ "$best" -gt "$worst" ] && worst=$best
  done <"$times"
  echo "$worst"
}

report() {
  local target=$1 dir="$build/fuzz-runs/$1"
  local runs inputs slowest status findings seconds_run
  seconds_run=$(cat "$dir/seconds")
  runs=$(awk '{ sum += $1 } END { print sum + 0 }' "$dir/runs")
  inputs=$(find "$dir/corpus" -type f | wc -l)
  slowest=$(cat "$dir/slowest")
  status=$(cat "$dir/status")
  findings=$(find "$dir/findings" -type f | wc -l)
  printf '%-18s %12s executions in %s s, %6s inputs, slowest %s ms, %s finding(s), %s stall(s)\n' \
    "$target" "$runs" "$seconds_run" "$inputs" "${slowest:-?}" "$findings" \
    "$(find "$dir/stalls" -type f | wc -l)"
  if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
    echo "  $target failed (exit status $status); see $dir/log and $dir/findings/:"
    grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$dir/log" | head -5 | sed 's/^/    /'
    return 1
  fi
  if [ "${slowest:-0}" -gt "$slowest_ms" ]; then
    echo "  $target: an input took ${slowest} ms, more than ${slowest_ms} ms"
    return 1
  fi
}

for target in "${targets[@]}"; do
  [ -x "$build/fuzz/$target" ] || { echo "fuzz.sh: no target $build/fuzz/$target; build it first" >&2; exit 2; }
done

# Two at a time: the machines this runs on have two cores.
pending=()
for target in "${targets[@]}"; do
  run_one "$target" &
  pending+=($!)
  if [ ${#pending[@]} -eq 2 ]; then
    wait "${pending[@]}"
    pending=()
  fi
done
[ ${#pending[@]} -eq 0 ] || wait "${pending[@]}"

failed=0
for target in "${targets[@]}"; do
  report "$target" || failed=1
done
exit $failed
