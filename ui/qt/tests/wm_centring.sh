#!/usr/bin/env bash
# Starts the real program under a real window manager (openbox) in its own X server and checks
# that the frame the window manager gives is centred on the screen, and that the window then
# stays where the user moves it.
#   wm_centring.sh <path of kovarra>
set -u
program=$1

source "$(dirname "${BASH_SOURCE[0]}")/../../../tests/x_session.sh"
require_tools wm_centring Xvfb openbox xdotool xprop xwininfo

work=$(mktemp -d)
xvfb_pid=
wm_pid=
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

screen_w=1280
screen_h=800
start_xvfb "$work" "${screen_w}x${screen_h}x24" || { echo "wm_centring: Xvfb did not start"; exit 1; }
export QT_QPA_PLATFORM=xcb

openbox --config-file /dev/null >"$work/wm.log" 2>&1 &
wm_pid=$!
# The window manager is up once it has claimed the screen.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done

"$program" >"$work/program.log" 2>&1 &
app_pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^KovarraV2\.0$' | head -n1)
if [ -z "$window" ]; then
  echo "wm_centring: the window did not appear"; cat "$work/program.log"; exit 1
fi

# The client's place on the screen, and the frame's margins as the window manager gives them.
client() {
  xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}
offset=
for _ in $(seq 50); do
  sleep 0.1
  read -r l r t b <<<"$(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')"
  read -r x y w h <<<"$(client)"
  [ -z "$t" ] && continue
  fx=$((x - l)) fy=$((y - t)) fw=$((w + l + r)) fh=$((h + t + b))
  offset="$((fx - (screen_w - fw) / 2)),$((fy - (screen_h - fh) / 2))"
  [ "$offset" = "0,0" ] && break
done
echo "wm_centring: frame ${fw}x${fh} at $fx,$fy; offset from the centre: ($offset)"
if [ "$offset" != "0,0" ]; then
  echo "wm_centring: the frame is not centred"; exit 1
fi

xdotool windowmove --sync "$window" 100 120 2>/dev/null
sleep 1
read -r x y _ <<<"$(client)"
if [ "$x,$y" != "100,120" ]; then
  echo "wm_centring: moved to 100,120 by the user, the window went to $x,$y"; exit 1
fi
echo "wm_centring: centred, and stays where the user puts it"
