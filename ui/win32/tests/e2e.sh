#!/usr/bin/env bash
# kovarra.exe end to end under wine, in its own X server and wine prefix, against the Linux fake
# league service: its CA goes into the prefix's root store; a logo press reaches the service and
# fills the list, the next page and a page size ask for what they should, Esc ends with 0. A
# second start picks a page size before any logo: the no-data answer's message, Return, exit
# code 0. Prints each press's time from the press to the last row written, as the program
# measures it.
#   e2e.sh <wine prefix> <kovarra_e2e.exe> <trust_test_ca.exe> <fake_league_service> <port>
#          <service directory> <screenshot directory>
set -u
export WINEPREFIX=$1
program=$2
trust=$3
service=$4
port=$5
dir=$6
shots=$7
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

source "$(dirname "${BASH_SOURCE[0]}")/../../../tests/x_session.sh"
require_tools e2e wine Xvfb xdotool import convert

work=$(mktemp -d)
log=$work/service.log
xvfb_pid=
service_pid=
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null
  # The prefix is this test's own: its server goes with the test, so that no later start meets
  # one still tied to this test's X server.
  wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "e2e: $*"
  for f in "$work"/program*.log "$log"; do
    [ -f "$f" ] && { echo "--- $(basename "$f")"; tail -n 20 "$f"; }
  done
  exit 1
}

prepare_wine_prefix
start_xvfb "$work" || fail "Xvfb did not start"

# One server, tied to this X server, for every wine run here; the cleanup ends it.
wineserver -p30 2>/dev/null || true

# The service first: its first start writes the CA that the prefix then trusts.
"$service" --port "$port" --dir "$dir" >"$log" 2>&1 &
service_pid=$!
for _ in $(seq 100); do
  grep -q '^fake league service:' "$log" && break
  kill -0 "$service_pid" 2>/dev/null || break
  sleep 0.1
done
grep -q '^fake league service:' "$log" ||
  fail "the service did not start on port $port (held by another program? configure with" \
    "another -DKOVARRA_E2E_PORT)"
echo "ca $dir/ca.pem" >"$work/trust.info"
wine "$trust" "$work/trust.info" >"$work/trust.log" 2>&1 ||
  fail "the CA was not trusted: $(cat "$work/trust.log")"

# start <name>: the program, its window's id in $window.
start() {
  wine "$program" >"$work/program-$1.log" 2>&1 &
  app_pid=$!
  window=
  for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --name '^KovarraV2\.0$' 2>/dev/null | head -n1)
    [ -n "$window" ] && return 0
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$app_pid" 2>/dev/null && fail "$1: the window did not appear"
  wait "$app_pid"
  local code=$?
  app_pid=
  fail "$1: the program ended with $code before its window appeared"
}
# expect_end <name>: the program ends by itself with exit code 0.
expect_end() {
  for _ in $(seq 100); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$app_pid" 2>/dev/null && fail "$1: the program did not end"
  wait "$app_pid"
  local code=$?
  app_pid=
  [ "$code" -eq 0 ] || fail "$1: exit code $code, expected 0"
  echo "e2e: $1 ended with exit code 0"
}
queries() { grep -c '^GET ' "$log"; }
# wait_query <count before>: a new query reached the service; prints it.
wait_query() {
  for _ in $(seq 100); do
    [ "$(queries)" -gt "$1" ] && { grep '^GET ' "$log" | tail -n1; return 0; }
    sleep 0.05
  done
  return 1
}
# Share of dark pixels in the rows of the list, below its header (client coordinates).
rows_ink() {
  convert "$1" -crop 900x340+20+210 +repage -colorspace Gray -threshold 50% \
    -format '%[fx:1-mean]' info:
}
# The controls, in client coordinates from the design (96 dpi).
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
next_page() { click 319 586; }
page_size() { click 565 585; sleep 0.3; xdotool key "$@" Return; }

# 1: logo presses fill the list; next page; page size.
start run1
sleep 1
import -window "$window" "$work/before.png" || fail "run1: no screenshot"
# The strip moves on by itself and a press may fall between two logos: try along the strip.
team=
presses=0
for x in 160 300 440 580 720 860 160 300 440 580 720 860; do
  before=$(queries)
  click "$x" 83
  query=$(wait_query "$before") || continue
  team=$(sed -n 's/.*&p2=\([0-9][0-9]*\)&.*/\1/p' <<<"$query")
  [ -n "$team" ] || fail "run1: the press asked for no team: $query"
  grep -q "page=1&pagesize=5&p2=$team&" <<<"$query" || fail "run1: press query $query"
  presses=$((presses + 1))
  [ "$presses" -ge 5 ] && break
done
[ -n "$team" ] || fail "run1: no logo press reached the service"
ink_before=$(rows_ink "$work/before.png")
# The service logs a query as it answers it: the rows follow shortly after.
for _ in $(seq 20); do
  sleep 0.25
  import -window "$window" "$work/after.png" || fail "run1: no screenshot"
  ink_after=$(rows_ink "$work/after.png")
  awk -v a="$ink_after" 'BEGIN { exit !(a > 0.005) }' && break
done
echo "e2e: dark share of the rows $ink_before before the presses, $ink_after after"
awk -v b="$ink_before" -v a="$ink_after" 'BEGIN { exit !(b < 0.002 && a > 0.005) }' ||
  fail "run1: the list did not fill"

before=$(queries)
next_page
query=$(wait_query "$before") || fail "run1: the next page asked nothing"
grep -q "page=2&pagesize=5&p2=$team&" <<<"$query" || fail "run1: next page query $query"

before=$(queries)
page_size End
query=$(wait_query "$before") || fail "run1: the page size asked nothing"
grep -q "pagesize=20&p2=$team&" <<<"$query" || fail "run1: page size query $query"
sleep 0.5
mkdir -p "$shots"
import -window "$window" "$shots/kovarra-win32-matches.png" || fail "run1: no screenshot"
echo "e2e: screenshot in $shots/kovarra-win32-matches.png"
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key Escape
expect_end run1
grep '^press to rows:' "$work/program-run1.log" | sed 's/^/e2e: /'
[ "$(grep -c '^press to rows:' "$work/program-run1.log")" -ge 1 ] ||
  fail "run1: the program printed no press time"

# 2: a page size before any logo asks for no team: the no-data answer's message, Return, 0.
start run2
sleep 0.5
before=$(queries)
page_size Down
query=$(wait_query "$before") || fail "run2: the page size asked nothing"
grep -q 'p2=&' <<<"$query" || fail "run2: a team in the query $query"
box=$(timeout 10 xdotool search --sync --onlyvisible --name '^温馨提示$' | head -n1)
[ -n "$box" ] || fail "run2: no message for the no-data answer"
xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key Return
expect_end run2
