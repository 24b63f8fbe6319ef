#!/usr/bin/env bash
# wine-xvfb.sh PREFIX PROGRAM [ARGS…]: runs a Windows program with windows under wine, in an X
# server of its own and in the given wine prefix of the build's own (made once, under a lock).
set -uo pipefail

export WINEPREFIX=$1
shift
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

for tool in wine Xvfb; do
  if ! command -v "$tool" >/dev/null; then
    echo "wine-xvfb: $tool is not installed (bash scripts/setup.sh installs it)"
    exit 77
  fi
done

if [ ! -e "$WINEPREFIX/.kovarra-ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [ ! -e "$WINEPREFIX/.kovarra-ready" ]; then
    DISPLAY= wineboot -i >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.kovarra-ready"
  fi
  exec 9>&-
fi

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

# Xvfb chooses a free display itself and writes its number to the given descriptor.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "wine-xvfb: Xvfb did not start"; cat "$work/xvfb.log"; exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"

wine "$@"
