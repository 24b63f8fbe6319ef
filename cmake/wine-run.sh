#!/usr/bin/env bash
# wine-run.sh PREFIX PROGRAM [ARGS…]: runs a Windows program under wine in the given prefix of
# the build's own. The prefix is made once; programs started in parallel share it and its server.
set -euo pipefail

export WINEPREFIX=$1
shift
export WINEDEBUG=-all
# No prompt for mono or gecko: the programs need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
unset DISPLAY

mkdir -p "$(dirname "$WINEPREFIX")"
{
  flock 9
  if [ ! -e "$WINEPREFIX/.kovarra-ready" ]; then
    wineboot -i
    wineserver -w
    touch "$WINEPREFIX/.kovarra-ready"
  fi
  # A server that outlives each program by a few seconds spares every test its start-up. It and
  # wine's service processes are started here, away from the program's output (a test runner
  # waits for every holder of that to end), and under the lock so that no program starts its own.
  if wineserver -p15 9>&-; then
    wine cmd /c exit 9>&- || true
  fi
} 9>"$WINEPREFIX.lock" </dev/null >/dev/null 2>&1

exec wine "$@"
