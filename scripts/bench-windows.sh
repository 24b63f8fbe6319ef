#!/usr/bin/env bash
# Runs the benchmarks that both builds have, natively (build/default) and under wine
# (build/windows), one after the other, and prints each one's wall time on both and the ratio.
# Builds kovarra_bench in both presets first.
set -euo pipefail
cd "$(dirname "$0")/.."
filter=${1:-'BM_(Extract|ConvertCharset)'}
jobs=$(nproc)
reps=${KOVARRA_BENCH_REPETITIONS:-5}

cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs" --target kovarra_bench
bash scripts/windows-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs" --target kovarra_bench

out=build/windows/bench-compare
mkdir -p "$out"
args=(--benchmark_filter="$filter" --benchmark_repetitions="$reps"
  --benchmark_report_aggregates_only=true --benchmark_format=json)
QT_QPA_PLATFORM=offscreen build/default/bench/kovarra_bench "${args[@]}" >"$out/linux.json"
cmake/wine-run.sh "$PWD/build/windows/wineprefix" build/windows/bench/kovarra_bench.exe \
  "${args[@]}" | tr -d '\r' >"$out/windows.json"

python3 - "$out/linux.json" "$out/windows.json" <<'PY'
import json, sys

def medians(path):
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    return {r["run_name"]: (r["real_time"], r["time_unit"])
            for r in runs if r.get("aggregate_name") == "median"}

linux, windows = medians(sys.argv[1]), medians(sys.argv[2])
print(f"{'benchmark (median wall time)':34} {'Linux':>12} {'wine':>12} {'ratio':>7}")
for name, (t, unit) in linux.items():
    if name in windows:
        w, _ = windows[name]
        print(f"{name:34} {t:>9.3f} {unit:2} {w:>9.3f} {unit:2} {w / t:>6.2f}x")
PY
