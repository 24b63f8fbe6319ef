#!/usr/bin/env bash
# windows-deps.sh [DIR]: makes the libraries of the Windows cross build in DIR (default
# build/windows-deps; prefix/ holds what the windows preset finds): PCRE2 (16-bit, JIT),
# GoogleTest and Google Benchmark, each built with mingw-w64 from Debian's source package.
# A library already built is skipped. The sources come through apt from the machine's own
# Debian entries, turned into source entries in a private apt state inside DIR.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps=$(mkdir -p "${1:-$root/build/windows-deps}" && cd "${1:-$root/build/windows-deps}" && pwd)
prefix=$deps/prefix
jobs=$(nproc)
toolchain=$root/cmake/mingw-w64.cmake

apt_dir=$deps/apt
apt_opts=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$apt_dir/parts"
  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -o "APT::Sandbox::User=root")

# The machine's Debian entries as source entries; apt's own state is left alone.
apt_ready=
prepare_apt() {
  [ -n "$apt_ready" ] && return
  mkdir -p "$apt_dir/parts" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  : >"$apt_dir/parts/debian-src.sources"
  for f in /etc/apt/sources.list.d/*.sources; do
    grep -q '^Types:.*\bdeb\b' "$f" || continue
    grep -q 'debian' "$f" || continue
    sed -e 's/^Types:.*/Types: deb-src/' -e '/^#/d' "$f" >>"$apt_dir/parts/debian-src.sources"
    echo >>"$apt_dir/parts/debian-src.sources"
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -e "$f" ] || continue
    sed -n 's/^deb \(.*debian.*\)/deb-src \1/p' "$f" >>"$apt_dir/parts/debian-src.list"
  done
  apt-get "${apt_opts[@]}" -qq update
  apt_ready=1
}

# Unpacks the newest version of a source package that the mirrors still serve; prints its folder.
fetch_source() {
  local package=$1 version
  local src=$deps/src
  mkdir -p "$src"
  local have
  have=$(find "$src" -maxdepth 1 -type d -name "$package-[0-9]*" | sort | tail -1)
  if [ -n "$have" ]; then
    echo "$have"
    return
  fi
  prepare_apt
  for version in $(apt-cache "${apt_opts[@]}" showsrc "$package" | sed -n 's/^Version: //p' |
    sort -rV | uniq); do
    if (cd "$src" && apt-get "${apt_opts[@]}" -qq source "$package=$version" >&2); then
      find "$src" -maxdepth 1 -type d -name "$package-[0-9]*" | sort | tail -1
      return
    fi
  done
  echo "windows-deps: no source of $package could be fetched" >&2
  return 1
}

# build NAME SOURCE [CMAKE OPTIONS…]: configures, builds and installs one library into prefix.
build() {
  local name=$1 source=$2
  shift 2
  local stamp=$prefix/.built-$name-$(basename "$source")
  [ -e "$stamp" ] && return
  echo "windows-deps: building $name from $(basename "$source")"
  local work=$deps/build-$name log=$deps/build-$name.log
  rm -rf "$work"
  if ! {
    cmake -S "$source" -B "$work" -G Ninja -Wno-dev \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" &&
      cmake --build "$work" -j "$jobs" && cmake --install "$work"
  } >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "windows-deps: building $name failed; the whole log is $log" >&2
    return 1
  fi
  rm -rf "$work" "$log"
  touch "$stamp"
}

pcre2_src=$(fetch_source pcre2)
build pcre2 "$pcre2_src" \
  -DPCRE2_BUILD_PCRE2_8=OFF -DPCRE2_BUILD_PCRE2_16=ON -DPCRE2_SUPPORT_JIT=ON \
  -DPCRE2_BUILD_PCRE2GREP=OFF -DPCRE2_BUILD_TESTS=OFF -DPCRE2_SUPPORT_LIBBZ2=OFF \
  -DPCRE2_SUPPORT_LIBZ=OFF -DPCRE2_SUPPORT_LIBREADLINE=OFF \
  -DPCRE2_STATIC_CFLAG=-DPCRE2_STATIC

# Debian's googletest source is also in /usr/src/googletest (libgtest-dev); the source package
# is the same and carries its version in the folder name.
googletest_src=$(fetch_source googletest)
build googletest "$googletest_src" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON

# Debian's patches stop the version being read from git tags; the folder name carries it.
benchmark_src=$(fetch_source benchmark)
build benchmark "$benchmark_src" -DGIT_VERSION="${benchmark_src##*-}" \
  -DBENCHMARK_ENABLE_TESTING=OFF -DBENCHMARK_ENABLE_GTEST_TESTS=OFF \
  -DBENCHMARK_ENABLE_WERROR=OFF -DBENCHMARK_ENABLE_INSTALL=ON
