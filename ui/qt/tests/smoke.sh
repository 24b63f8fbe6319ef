#!/usr/bin/env bash
# Starts the real program in its own X server, waits for its window, saves a screenshot,
# closes the window with Esc and expects exit code 0.
#   smoke.sh <path of kovarra> <screenshot file>
set -u
program=$1
shot=$2

source "$(dirname "${BASH_SOURCE[0]}")/../../../tests/x_session.sh"
require_tools smoke Xvfb xdotool import

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb "$work" || { echo "smoke: Xvfb did not start"; exit 1; }
export QT_QPA_PLATFORM=xcb

"$program" >"$work/program.log" 2>&1 &
app_pid=$!

window=$(timeout 30 xdotool search --sync --onlyvisible --name '^KovarraV2\.0$' | head -n1)
if [ -z "$window" ]; then
  echo "smoke: the window did not appear"; cat "$work/program.log"; exit 1
fi
# Let the strip make a few moves before the picture is taken.
sleep 1.5
mkdir -p "$(dirname "$shot")"
import -window root "$shot" || { echo "smoke: no screenshot"; exit 1; }
echo "smoke: screenshot in $shot"

peak=$(awk '/VmHWM/ {print $2, $3}' "/proc/$app_pid/status" 2>/dev/null)
echo "smoke: peak resident memory with the window up: ${peak:-unknown}"

xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key Escape

for _ in $(seq 100); do
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$app_pid" 2>/dev/null; then
  echo "smoke: Esc did not close the window"; exit 1
fi
wait "$app_pid"
code=$?
app_pid=
cat "$work/program.log"
if [ "$code" -ne 0 ]; then
  echo "smoke: exit code $code, expected 0"; exit 1
fi
echo "smoke: closed by Esc with exit code 0"
