#!/usr/bin/env bash
# Builds blinkbar.exe a second time, in another folder from a clean start, and compares the bytes
# with the first build's (which the full build made). Prints both checksums.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
first=${1:-$root/build/windows/blinkbar.exe}
again=$root/build/windows-again
rm -rf "$again"
cmake -S "$root" -B "$again" -G Ninja --toolchain "$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_TESTING=OFF >/dev/null
# The program's target alone, as a build of just the executable makes it: stamped all the same.
cmake --build "$again" --target blinkbar -j "$(nproc)" >/dev/null
a=$(sha256sum <"$first" | cut -d' ' -f1)
b=$(sha256sum <"$again/blinkbar.exe" | cut -d' ' -f1)
echo "first build:  $a"
echo "second build: $b"
if [ "$a" != "$b" ]; then
  echo "FAIL: two builds of one commit differ"
  cmp -l "$first" "$again/blinkbar.exe" | head -n 20
  exit 1
fi
echo "ok   two builds of one commit give the same blinkbar.exe"
