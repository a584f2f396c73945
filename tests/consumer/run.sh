#!/usr/bin/env bash
# The consumer test: installs Flexarium (Release, warnings as errors) to a
# prefix and builds tests/consumer against it with
# find_package(flexarium CONFIG REQUIRED), then builds the same program with
# Flexarium embedded by add_subdirectory; both must rescale the bundled
# contact form.
#
#   run.sh [WORK_DIR]   (default build/consumer)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
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
