#!/usr/bin/env bash
# The program against the fake league service in its own X server: presses a logo, picks 20 a
# page and saves a screenshot of the filled list.
#   screenshot.sh <kovarra built against 127.0.0.1:PORT> <fake_league_service> <cert dir> <PORT> <png>
# The cert dir is the one whose ca.pem the program was built to trust (KOVARRA_EXTRA_CA).
set -u
program=$1
service=$2
certs=$3
port=$4
shot=$5

for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

"$service" --port "$port" --dir "$certs" >"$work/service.log" 2>&1 &
pids+=($!)

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "screenshot: Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
export QT_QPA_PLATFORM=xcb

"$program" >"$work/program.log" 2>&1 &
pids+=($!)
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^KovarraV2\.0$' | head -n1)
[ -n "$window" ] || { echo "screenshot: no window"; cat "$work/program.log"; exit 1; }

# A logo near the left of the strip, then 20 a page from the page-size list (527, 409 in the
# match group box at 7, 166): open it, step down twice, accept.
xdotool mousemove --window "$window" 160 85 click 1
sleep 1
xdotool mousemove --window "$window" 565 585 click 1
sleep 0.5
xdotool key Down Down Return
sleep 1.5
mkdir -p "$(dirname "$shot")"
import -window "$window" "$shot" || { echo "screenshot: none taken"; exit 1; }
echo "screenshot: $shot"
cat "$work/service.log"
