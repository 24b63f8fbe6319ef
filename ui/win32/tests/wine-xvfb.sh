#!/usr/bin/env bash
# wine-xvfb.sh PREFIX PROGRAM [ARGS…]: runs a Windows program with windows under wine, in an X
# server of its own and in the given wine prefix of the build's own (made once, under a lock).
set -uo pipefail

export WINEPREFIX=$1
shift
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

source "$(dirname "${BASH_SOURCE[0]}")/../../../tests/x_session.sh"
require_tools wine-xvfb wine Xvfb

prepare_wine_prefix

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  # The server and the desktop process go with this X server: a later program meeting them
  # tied to a display that is gone would fail to start.
  wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb "$work" || { echo "wine-xvfb: Xvfb did not start"; exit 1; }

wine "$@"
