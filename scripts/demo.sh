#!/usr/bin/env bash
# Tries the program offline: builds the fake league service and a program that talks to it
# (in build/demo, reused by later runs), starts the service on a loopback port, then the
# program, and stops the service when the program ends, however it ends.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build=build/demo
# Absolute, because the program's build keeps the path of the CA file.
certs=$PWD/$build/fake-league
log=$certs/service.log
service=$build/tests/fake_league/fake_league_service
program=$build/ui/kovarra

# The service's address is a build constant of the program, so the port is chosen once and
# kept in the build's cache; only when something else holds it does the demo move to another
# port, which recompiles the few files that use the address.
cached_port() {
  sed -n 's/^KOVARRA_DATA_HOST:[A-Z]*=127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' \
    "$build/CMakeCache.txt" 2>/dev/null || true
}
listening() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}
# Below the kernel's range for outgoing connections, so that none of them takes it later.
pick_port() {
  local port
  for _ in $(seq 100); do
    port=$((20000 + RANDOM % 12000))
    if ! listening "$port"; then
      echo "$port"
      return 0
    fi
  done
  echo "demo: no free loopback port found" >&2
  return 1
}
build_for() {
  if [ "$(cached_port)" != "$1" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ \
      -DKOVARRA_BUILD_TESTS=OFF -DKOVARRA_BUILD_BENCH=OFF -DKOVARRA_BUILD_FAKE_LEAGUE=ON \
      -DKOVARRA_DATA_HOST="127.0.0.1:$1" -DKOVARRA_EXTRA_CA="$certs/ca.pem" >/dev/null
  fi
  cmake --build "$build" -j "$(nproc)" --target kovarra fake_league_service
}

service_pid=
program_pid=
# shellcheck disable=SC2317  # reached through the traps
stop() {
  if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
  if [ -n "$service_pid" ]; then kill "$service_pid" 2>/dev/null || true; fi
  wait || true
}
trap stop EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

port=$(cached_port)
if [ -z "$port" ] || listening "$port"; then
  [ -n "$port" ] && echo "demo: port $port is taken; moving to another one"
  port=$(pick_port)
fi

# The port can still be taken between the look and the service's bind: then try another.
for attempt in 1 2 3; do
  build_for "$port"
  mkdir -p "$certs"
  "$service" --port "$port" --dir "$certs" >"$log" 2>&1 &
  service_pid=$!
  # It prints its address once it listens, or ends.
  while kill -0 "$service_pid" 2>/dev/null && ! grep -q '^fake league service:' "$log"; do
    sleep 0.1
  done
  kill -0 "$service_pid" 2>/dev/null && break
  wait "$service_pid" || true
  service_pid=
  cat "$log" >&2
  [ "$attempt" -eq 3 ] && exit 1
  port=$(pick_port)
  echo "demo: moving to port $port"
done

echo "demo: fake league service on https://127.0.0.1:$port, its log in $log"
"$program" &
program_pid=$!
code=0
wait "$program_pid" || code=$?
program_pid=
exit "$code"
