#!/usr/bin/env bash
# Makes the Windows download, build/windows/kovarra-2.0.0-win64.zip (kovarra.exe and a short
# read-me): installs what is missing, makes the cross-built libraries once, builds the program
# with mingw-w64 and packs it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/windows-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target kovarra
cd build/windows
cpack -G ZIP
