#!/usr/bin/env bash
# Starts kovarra.exe under wine in its own X server, waits for its window, saves a screenshot,
# closes the window with Esc and expects exit code 0. With a yardstick program (a bare window
# with one list view, titled "BareWindow") the two are run the same way by turns, and it prints
# for both the time from start to the window shown and the peak resident memory with the window
# up.
#   smoke.sh <wine prefix> <kovarra.exe> <screenshot file> [<yardstick.exe>]
set -u
export WINEPREFIX=$1
program=$2
shot=$3
yardstick=${4:-}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

source "$(dirname "${BASH_SOURCE[0]}")/../../../tests/x_session.sh"
require_tools smoke wine Xvfb xdotool import

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  # As in wine-xvfb.sh: no server outlives the X server it was tied to.
  wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

prepare_wine_prefix

start_xvfb "$work" || { echo "smoke: Xvfb did not start"; exit 1; }
# One server for every run, so that no run pays for starting it.
wineserver -p30 2>/dev/null || true

# The largest peak resident size among the processes running the program.
peak_of() {
  local name=$1 peak=0 pid kb
  for pid in $(pgrep -f "$name"); do
    kb=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status" 2>/dev/null)
    [ -n "$kb" ] && [ "$kb" -gt "$peak" ] && peak=$kb
  done
  echo "$peak"
}

# run <exe> <title> <screenshot or empty>: start, window shown, optional screenshot, Esc, exit.
run() {
  local exe=$1 title=$2 picture=$3 started shown window code
  started=$(date +%s%N)
  wine "$exe" >"$work/program.log" 2>&1 &
  app_pid=$!
  window=
  for _ in $(seq 3000); do
    window=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n1)
    [ -n "$window" ] && break
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.01
  done
  shown=$(date +%s%N)
  if [ -z "$window" ]; then
    echo "smoke: the window of $(basename "$exe") did not appear"; cat "$work/program.log"
    return 1
  fi
  # Let the strip make a few moves before the picture is taken.
  sleep 1.5
  if [ -n "$picture" ]; then
    mkdir -p "$(dirname "$picture")"
    import -window root "$picture" || { echo "smoke: no screenshot"; return 1; }
    echo "smoke: screenshot in $picture"
  fi
  shown_ms=$(((shown - started) / 1000000))
  peak_kb=$(peak_of "$(basename "$exe")")
  echo "smoke: $(basename "$exe"): window shown $shown_ms ms after start," \
    "peak resident memory $peak_kb kB"
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key Escape
  for _ in $(seq 100); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$app_pid" 2>/dev/null; then
    echo "smoke: Esc did not close $(basename "$exe")"; return 1
  fi
  wait "$app_pid"
  code=$?
  app_pid=
  cat "$work/program.log"
  if [ "$code" -ne 0 ]; then
    echo "smoke: $(basename "$exe") ended with exit code $code, expected 0"; return 1
  fi
  echo "smoke: $(basename "$exe") closed by Esc with exit code 0"
}

median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

if [ -z "$yardstick" ]; then
  run "$program" 'KovarraV2\.0' "$shot" || exit 1
else
  # A first start of each warms the server's caches. Then the two take turns, three times, so
  # that a slow moment of the machine falls on both; the figures are the medians.
  run "$yardstick" BareWindow "" >/dev/null || exit 1
  run "$program" 'KovarraV2\.0' "" >/dev/null || exit 1
  bare_ms=() bare_kb=() program_ms=() program_kb=()
  for round in 1 2 3; do
    run "$yardstick" BareWindow "" || exit 1
    bare_ms+=("$shown_ms") bare_kb+=("$peak_kb")
    picture=
    [ "$round" = 1 ] && picture=$shot
    run "$program" 'KovarraV2\.0' "$picture" || exit 1
    program_ms+=("$shown_ms") program_kb+=("$peak_kb")
  done
  b_ms=$(median "${bare_ms[@]}") p_ms=$(median "${program_ms[@]}")
  b_kb=$(median "${bare_kb[@]}") p_kb=$(median "${program_kb[@]}")
  echo "smoke: medians of three: window shown $p_ms ms after start against $b_ms ms for the bare" \
    "window ($(awk -v a="$p_ms" -v b="$b_ms" 'BEGIN { printf "%.2f", a / b }')x), peak resident" \
    "memory $p_kb kB against $b_kb kB ($(awk -v a="$p_kb" -v b="$b_kb" 'BEGIN { printf "%.2f", a / b }')x)"
fi
echo "smoke: size of $(basename "$program"): $(stat -c %s "$program") bytes"
