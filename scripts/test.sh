#!/usr/bin/env bash
# Builds every test and runs them: the whole suite in the ordinary g++ build, the whole suite
# again under AddressSanitizer + UndefinedBehaviorSanitizer (clang++), then each fuzz target
# for a short fixed time from its seeds, then the Windows build's tests under wine
# (scripts/test-windows.sh). Any failure, finding or leak fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)
test_jobs=$((jobs < 2 ? jobs : 2))

cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$test_jobs"

# One clang build serves both the sanitizer suite and the fuzz targets.
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$test_jobs"

bash fuzz/run.sh build/asan "${KOVARRA_FUZZ_SECONDS:-20}"

bash scripts/test-windows.sh
