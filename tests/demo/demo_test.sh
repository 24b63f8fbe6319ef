#!/usr/bin/env bash
# scripts/demo.sh as a user meets it, in its own X server. First run (it builds what is
# missing): a logo press reaches the service and fills the list, Esc ends the program.
# Second run: nothing is recompiled, and a page size chosen before any logo ends the program
# through the no-data answer. Third run: interrupted as Ctrl+C does. After each, no process
# of the demo is left.
#   demo_test.sh <source dir> <screenshot dir>
set -u
source=$1
shots=$2
demo=$source/build/demo
program=$demo/ui/kovarra
service=$demo/tests/fake_league/fake_league_service
log=$demo/fake-league/service.log

source "$(dirname "${BASH_SOURCE[0]}")/../x_session.sh"
require_tools "demo test" Xvfb xdotool import convert setsid

work=$(mktemp -d)
xvfb_pid=
demo_pid=
cleanup() {
  [ -n "$demo_pid" ] && kill -TERM -- "-$demo_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "demo test: $*"
  for f in "$work"/run*.log "$log"; do
    [ -f "$f" ] && { echo "--- $f"; tail -n 30 "$f"; }
  done
  exit 1
}

start_xvfb "$work" || fail "Xvfb did not start"
export QT_QPA_PLATFORM=xcb

# The demo runs in a session of its own (setsid without a fork: its pid is the session's id),
# so that whatever it starts can be found afterwards. A command started with & ignores SIGINT;
# from a terminal it would not, so the demo gets the default back.
start_demo() {
  setsid env --default-signal=INT bash "$source/scripts/demo.sh" >"$work/$1.log" 2>&1 &
  demo_pid=$!
}
session_processes() {
  local stat rest fields
  for stat in /proc/[0-9]*/stat; do
    read -r rest 2>/dev/null <"$stat" || continue
    rest=${rest##*) }
    read -ra fields <<<"$rest"
    [ "${fields[3]}" = "$1" ] && echo "${stat//[!0-9]/}"
  done
}
# Prints the demo's window once it is up, waiting as long as the demo runs (the first run
# builds); fails when the demo ends first.
wait_window() {
  local window
  while kill -0 "$demo_pid" 2>/dev/null; do
    window=$(xdotool search --onlyvisible --name '^KovarraV2\.0$' 2>/dev/null | head -n1)
    if [ -n "$window" ]; then
      echo "$window"
      return 0
    fi
    sleep 1
  done
  return 1
}
# Waits for the demo to end; its exit code must be $2. Then nothing of it may be left.
expect_end() {
  local code
  for _ in $(seq 150); do
    kill -0 "$demo_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$demo_pid" 2>/dev/null && fail "$1: the demo did not end"
  wait "$demo_pid"
  code=$?
  local sid=$demo_pid
  demo_pid=
  [ "$code" -eq "$2" ] || fail "$1: the demo ended with $code, expected $2"
  # The service stops within its keep-alive wait of a second.
  local left
  for _ in $(seq 30); do
    left=$(session_processes "$sid")
    [ -z "$left" ] && break
    sleep 0.1
  done
  [ -z "$left" ] || fail "$1: left running: ${left//$'\n'/ }"
  echo "demo test: $1 ended with $code, nothing left running"
}
# Share of dark pixels in the rows of the list, below its header (window coordinates).
rows_ink() {
  convert "$1" -crop 900x355+17+206 +repage -colorspace Gray -threshold 50% \
    -format '%[fx:1-mean]' info:
}

# 1: builds if needed, press a logo, rows, Esc.
start_demo run1
window=$(wait_window) || fail "run1: the demo ended before its window appeared"
sleep 1
import -window "$window" "$work/before.png" || fail "run1: no screenshot"
# The strip moves on by itself and a press may fall between two logos: try along the strip.
for x in 160 300 440 580 720; do
  xdotool mousemove --window "$window" "$x" 85 click 1
  sleep 1
  grep -q '^GET .*p2=[0-9]' "$log" && break
done
grep '^GET ' "$log" | grep -q 'p2=[0-9]' || fail "run1: no team query reached the service"
mkdir -p "$shots"
import -window "$window" "$shots/demo-matches.png" || fail "run1: no screenshot"
before=$(rows_ink "$work/before.png")
after=$(rows_ink "$shots/demo-matches.png")
echo "demo test: dark share of the rows $before before the press, $after after"
awk -v b="$before" -v a="$after" 'BEGIN { exit !(b < 0.002 && a > 0.01) }' ||
  fail "run1: the list did not fill (see $shots/demo-matches.png)"
xdotool windowfocus --sync "$window" 2>/dev/null
xdotool key Escape
expect_end run1 0
built=$(stat -c %Y "$program" "$service")

# 2: nothing to build; a page size before any logo asks for no team: the no-data answer.
start_demo run2
window=$(wait_window) || fail "run2: the demo ended before its window appeared"
grep -q 'no work to do' "$work/run2.log" || fail "run2: the build was not reused"
[ "$(stat -c %Y "$program" "$service")" = "$built" ] || fail "run2: the program was rebuilt"
xdotool mousemove --window "$window" 565 585 click 1
sleep 0.5
xdotool key Down Return
box=$(timeout 10 xdotool search --sync --onlyvisible --name '^温馨提示$' | head -n1)
[ -n "$box" ] || fail "run2: no message for the no-data answer"
grep -q '^GET .*p2=&' "$log" || fail "run2: the query without a team did not reach the service"
xdotool windowfocus --sync "$box" 2>/dev/null
xdotool key Return
expect_end run2 0

# 3: interrupted like Ctrl+C in its terminal: the signal goes to the whole process group.
start_demo run3
wait_window >/dev/null || fail "run3: the demo ended before its window appeared"
kill -INT -- "-$demo_pid"
expect_end run3 130
