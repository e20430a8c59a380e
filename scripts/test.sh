#!/usr/bin/env bash
# Installs what is missing, builds all three trees and runs every suite:
# native GoogleTest, then the Windows tests under Wine in a throwaway prefix
# with its own Xvfb display. Ends with one summary line.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

started=$(date +%s)
bash scripts/setup.sh || exit 1
bash scripts/build.sh || { echo "build failed"; exit 1; }
mkdir -p build/artifacts

passed=0 failed=0
run_suite() {  # name, ctest args...
  local name=$1 log=build/artifacts/ctest-$1.log
  shift
  ctest "$@" --output-on-failure >"$log" 2>&1
  local rc=$?
  cat "$log"
  local line p t
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [ -n "$line" ]; then
    t=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    p=$(sed -E 's/.*tests passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
    passed=$((passed + t - p)) failed=$((failed + p))
  elif [ $rc -ne 0 ]; then
    failed=$((failed + 1))
  fi
  echo "== $name: ctest exit $rc"
}

run_suite native --test-dir build/native -j2

export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/veilmark-wine.XXXXXX)
. scripts/wine-env.sh
trap 'wine_env_cleanup; rm -rf "$WINEPREFIX"' EXIT
start_xvfb && prepare_prefix
run_suite windows --test-dir build/x86_64

echo "test.sh took $(($(date +%s) - started)) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
