#!/usr/bin/env bash
# The consumer test: installs Flexarium (Release, warnings as errors) to a
# prefix and builds tests/consumer against it with
# find_package(flexarium CONFIG REQUIRED) and with
# `pkg-config --cflags --libs flexarium`, then builds the same program with
# Flexarium embedded by add_subdirectory; each must rescale the bundled
# contact form.
#
#   run.sh [WORK_DIR]            (default build/consumer)
#   run.sh --system [WORK_DIR]   against what is installed in /usr (the
#                                Debian package): find_package and
#                                pkg-config only, nothing installed here
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
system=0
if [ "${1:-}" = --system ]; then
  system=1
  shift
fi
work=${1:-$root/build/consumer}
mkdir -p "$work"
work=$(cd "$work" && pwd)
prefix="$work/prefix"
form="$root/examples/forms/contact.dfm"
rm -rf "$prefix"

# Runs a command with its output in LOG, shown when it fails.
logged() {
  local log=$1
  shift
  if ! "$@" >> "$log" 2>&1; then
    tail -n 40 "$log"
    echo "consumer: failed: $*"
    exit 1
  fi
}

# Builds main.cpp with the compiler flags and libraries pkg-config gives
# (with PKG_CONFIG_PATH as the caller sets it).
pkg_config_build() {
  local out=$1 log=$2 flags
  if ! flags=$(pkg-config --cflags --libs flexarium 2>> "$log"); then
    cat "$log"
    echo "consumer: pkg-config does not know flexarium"
    exit 1
  fi
  echo "pkg-config --cflags --libs flexarium: $flags"
  mkdir -p "$(dirname "$out")"
  # shellcheck disable=SC2086  # the flags are words
  logged "$log" "${CXX:-c++}" -std=c++20 -O2 "$here/main.cpp" -o "$out" $flags
}

if [ "$system" = 1 ]; then
  for way in find_package pkg-config; do
    echo "== installed in /usr, $way"
    log="$work/system-$way.log"
    : > "$log"
    if [ "$way" = find_package ]; then
      logged "$log" cmake -S "$here" -B "$work/system" \
        -DCMAKE_BUILD_TYPE=Release
      logged "$log" cmake --build "$work/system" -j2
      "$work/system/consumer" "$form" edName
    else
      pkg_config_build "$work/system-pc/consumer" "$log"
      "$work/system-pc/consumer" "$form" edName
    fi
  done
  echo "consumer: passed"
  exit 0
fi

echo "== installing Flexarium to $prefix"
# The library alone, as a package build makes it.
log="$work/library.log"
: > "$log"
logged "$log" cmake -S "$root" -B "$work/library" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DFLEXARIUM_WERROR=ON \
  -DFLEXARIUM_BUILD_TESTS=OFF -DFLEXARIUM_BUILD_TOOLS=OFF \
  -DFLEXARIUM_BUILD_BENCH=OFF -DFLEXARIUM_BUILD_EXAMPLES=OFF
logged "$log" cmake --build "$work/library" -j2
logged "$log" cmake --install "$work/library"
if [ -e "$prefix/include/flexarium/win32_desktop.h" ]; then
  echo "consumer: win32_desktop.h installed where there is no native desktop"
  exit 1
fi

echo "== installed, pkg-config"
log="$work/pkg-config.log"
: > "$log"
pc_dir=$(dirname "$(find "$prefix" -name flexarium.pc | head -n 1)")
PKG_CONFIG_PATH="$pc_dir" pkg_config_build "$work/pkg-config/consumer" "$log"
"$work/pkg-config/consumer" "$form" edName

for way in installed embedded; do
  echo "== $way"
  log="$work/$way.log"
  : > "$log"
  if [ "$way" = installed ]; then
    how=(-DCMAKE_PREFIX_PATH="$prefix")
  else
    how=(-DFLEXARIUM_SOURCE_DIR="$root")
  fi
  logged "$log" cmake -S "$here" -B "$work/$way" -DCMAKE_BUILD_TYPE=Release \
    "${how[@]}"
  logged "$log" cmake --build "$work/$way" -j2
  "$work/$way/consumer" "$form" edName
done

echo "consumer: passed"
