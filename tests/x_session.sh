# Sourced by the test scripts that run programs in an X server of their own (and, for the
# Windows build, under wine). Bash only.

# require_tools NAME TOOL…: the test is skipped (exit 77) when a tool is missing.
require_tools() {
  local name=$1 tool
  shift
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "$name: $tool is not installed (bash scripts/setup.sh installs it)"
      exit 77
    fi
  done
}

# start_xvfb WORK [SCREEN]: an X server on a display it picks itself, which it writes to the
# descriptor given; sets xvfb_pid and exports DISPLAY. Fails, showing the server's log, when
# the server does not come up.
start_xvfb() {
  local work=$1 screen=${2:-1280x800x24}
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  if [ ! -s "$work/display" ]; then
    cat "$work/xvfb.log"
    return 1
  fi
  DISPLAY=":$(head -n1 "$work/display")"
  export DISPLAY
}

# prepare_wine_prefix: makes $WINEPREFIX once, under a lock, for every test that uses it.
prepare_wine_prefix() {
  [ -e "$WINEPREFIX/.kovarra-ready" ] && return
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [ ! -e "$WINEPREFIX/.kovarra-ready" ]; then
    DISPLAY='' wineboot -i >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.kovarra-ready"
  fi
  exec 9>&-
}
