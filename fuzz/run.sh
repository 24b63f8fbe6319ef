#!/usr/bin/env bash
# Runs fuzz targets for a fixed time each, two at a time, from a scratch copy of their seeds.
#
#   bash fuzz/run.sh BUILD_DIR SECONDS [NAME...]    e.g. bash fuzz/run.sh build/fuzz 600 text
#
# NAME is a target without its "fuzz_" prefix; without names every target in BUILD_DIR runs.
# FUZZ_JOBS sets how many run at once (default 2). FUZZ_CORPUS keeps the grown corpora in a
# folder of that name across runs instead of a scratch folder. A finding fails the run and its
# reproducer's bytes are printed; rerun it with: BUILD_DIR/fuzz/fuzz_NAME FILE
set -uo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 2 ]; then
  echo "usage: bash fuzz/run.sh BUILD_DIR SECONDS [NAME...]" >&2
  exit 2
fi
build=$1
seconds=$2
shift 2
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for f in "$build"/fuzz/fuzz_*; do
    [ -x "$f" ] && names+=("$(basename "$f" | sed 's/^fuzz_//')")
  done
fi
if [ ${#names[@]} -eq 0 ]; then
  echo "fuzz: no fuzz targets in $build/fuzz" >&2
  exit 1
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
corpora=${FUZZ_CORPUS:-$scratch/corpus}
jobs=${FUZZ_JOBS:-2}

run_one() {
  local name=$1 exe="$build/fuzz/fuzz_$1" dir="$corpora/$1" out="$scratch/$1"
  mkdir -p "$dir" "$out"
  cp -n fuzz/corpus/"$name"/* "$dir"/ 2>/dev/null
  local dict=()
  [ -f "fuzz/$name.dict" ] && dict=(-dict="fuzz/$name.dict")
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -print_final_stats=1 \
    "${dict[@]}" -artifact_prefix="$out/" "$dir" >"$out/log" 2>&1
  echo $? >"$out/rc"
}

report() {
  local name=$1 out="$scratch/$1" rc
  rc=$(cat "$out/rc")
  local runs
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out/log" | grep -o '[0-9]*$')
  if [ "$rc" -eq 0 ]; then
    echo "fuzz_$name: ok, ${runs:-?} executions in ${seconds} s"
    return 0
  fi
  echo "fuzz_$name: FAILED (exit $rc)"
  tail -n 60 "$out/log"
  for f in "$out"/crash-* "$out"/leak-* "$out"/timeout-* "$out"/oom-* "$out"/slow-unit-*; do
    [ -f "$f" ] || continue
    echo "--- reproducer $(basename "$f") ($(stat -c %s "$f") bytes):"
    if command -v xxd >/dev/null; then
      head -c 16384 "$f" | xxd
    else
      head -c 16384 "$f" | od -A x -t x1z -v
    fi
  done
  return 1
}

failed=0
pending=()
for name in "${names[@]}"; do
  if [ ! -x "$build/fuzz/fuzz_$name" ]; then
    echo "fuzz_$name: not built in $build/fuzz"
    failed=1
    continue
  fi
  run_one "$name" &
  pending+=("$name")
  if [ ${#pending[@]} -ge "$jobs" ]; then
    wait
    for n in "${pending[@]}"; do report "$n" || failed=1; done
    pending=()
  fi
done
wait
for n in "${pending[@]}"; do report "$n" || failed=1; done
exit $failed
