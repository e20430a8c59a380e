#!/usr/bin/env bash
# Configures and builds the three trees: native (pure logic and its tests),
# x86_64 (run and tested under Wine) and i686 (compiled and linked only).
# Usage: scripts/build.sh [native|x86_64|i686 ...]   (default: all three)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
trees=("$@")
((${#trees[@]})) || trees=(native x86_64 i686)

for tree in "${trees[@]}"; do
  dir=$root/build/$tree
  args=(-S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release)
  if [ "$tree" = native ]; then args+=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++); else args+=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$tree-w64-mingw32.cmake"); fi
  [ -f "$dir/build.ninja" ] || cmake "${args[@]}" >/dev/null
  cmake --build "$dir" -- -j"$(nproc)"
done
