#!/usr/bin/env bash
# Configures and builds the three trees: native (pure logic and its tests),
# x86_64 (run and tested under Wine) and i686 (run and tested under emulation,
# scripts/emu32.sh).
# Usage: scripts/build.sh [TREE[:TARGET] ...]   (default: all three, whole)
#   TREE is native, x86_64 or i686; TARGET builds only that target and what
#   it needs (x86_64:installer: the installer and the three files in it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
trees=("$@")
((${#trees[@]})) || trees=(native x86_64 i686)

for spec in "${trees[@]}"; do
  tree=${spec%%:*} target=
  [[ $spec != *:* ]] || target=${spec#*:}
  dir=$root/build/$tree
  args=(-S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release)
  if [ "$tree" = native ]; then args+=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++); else args+=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$tree-w64-mingw32.cmake"); fi
  [ -f "$dir/build.ninja" ] || cmake "${args[@]}" >/dev/null
  cmake --build "$dir" ${target:+--target "$target"} -- -j"$(nproc)"
done
