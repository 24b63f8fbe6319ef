#!/usr/bin/env bash
# Builds the Windows (mingw-w64) build and runs every test and benchmark of it under wine: the
# cross libraries first (scripts/windows-deps.sh, skipped once built), then the windows preset's
# build, its tests, and one short pass of its benchmarks. Prints how long each step took.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)
test_jobs=$((jobs < 2 ? jobs : 2))

start=$SECONDS
bash scripts/windows-deps.sh
deps_done=$SECONDS
# The WinInet tests talk to the Linux build's loopback peer, the end-to-end test to its fake
# league service.
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs" --target loopback_peer fake_league_service
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
build_done=$SECONDS
ctest --preset windows -j "$test_jobs"
# The benchmarks run once, briefly: that they build and run under wine is the check here;
# scripts/bench-windows.sh measures them.
cmake/wine-run.sh "$PWD/build/windows/wineprefix" build/windows/bench/kovarra_bench.exe \
  --benchmark_min_time=0.01 >/dev/null
tests_done=$SECONDS

echo "windows: libraries $((deps_done - start)) s, cross build $((build_done - deps_done)) s," \
  "tests and benchmarks under wine $((tests_done - build_done)) s"
