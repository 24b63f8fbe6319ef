#!/usr/bin/env bash
# Runs the WinInet benchmark under wine: WebRequest over WinInetPlatform beside a bare WinInet
# fetch, against the Linux build's loopback_peer, which this script starts and stops.
#   bash scripts/bench-wininet.sh [benchmark options…]
# Needs the Windows libraries of scripts/windows-deps.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset default >/dev/null
cmake --build --preset default --target loopback_peer
cmake --preset windows >/dev/null
cmake --build --preset windows --target kovarra_bench

peer=build/default/tests/loopback_peer/loopback_peer
info=$(mktemp -u "${TMPDIR:-/tmp}/kovarra-peer.XXXXXX")
"$peer" start "$info" >/dev/null
trap '"$peer" stop "$info"' EXIT

KOVARRA_PEER_INFO=$info cmake/wine-run.sh "$PWD/build/windows/wineprefix" build/windows/bench/kovarra_bench.exe \
  --benchmark_filter='WinInet' "$@"
