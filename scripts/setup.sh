#!/usr/bin/env bash
# Installs, only when missing, every Debian package the project needs to build, test and run.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libcurl4-openssl-dev libpcre2-dev
  libcpp-httplib-dev libssl-dev openssl ca-certificates
  fonts-noto-cjk xvfb xauth
  xdotool imagemagick
  g++-mingw-w64-x86-64-posix wine wine64 dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
