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

passed=0 failed=0 second_try=()
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
    local test
    for test in $(grep -oE 'Test +#[0-9]+: [^ ]+ \.+\*\*\*' "$log" | awk '{print $3}' | sort -u); do
      grep -qE "^[[:space:]]*[0-9]+ - $test \(" "$log" || second_try+=("$test")
    done
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
# A Windows test that fails is run once more: Wine under Xvfb now and then
# fails a step once (a process start, seen once in hundreds of runs). One
# that passes only on the second run is named in the summary, and its first
# run's output stays in the log.
run_suite windows --test-dir build/x86_64 --repeat until-pass:2

echo "test.sh took $(($(date +%s) - started)) s"
[ ${#second_try[@]} -eq 0 ] || echo "passed on the second try: ${second_try[*]}"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
