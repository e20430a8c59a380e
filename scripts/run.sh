#!/usr/bin/env bash
# Builds Veilmark if needed and starts it under Wine in a virtual desktop whose
# taskbar holds its tray icon. The Wine prefix (with the stored settings) lives
# in build/wineprefix. With no X display it runs under a private Xvfb, saves
# screenshots into build/artifacts/ and ends the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
[ -f build/x86_64/bin/Veilmark.exe ] || bash scripts/build.sh x86_64
export WINEPREFIX=$root/build/wineprefix
. scripts/wine-env.sh
headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  start_xvfb
fi
trap 'wine_env_cleanup' EXIT
prepare_prefix

mkdir -p build/artifacts
desktop=(wine explorer /desktop=Veilmark,800x600 "$root/build/x86_64/bin/Veilmark.exe")
if [ $headless -eq 0 ]; then
  LANG=$LANG_WINE LC_ALL=$LANG_WINE "${desktop[@]}"
  exit 0
fi

LANG=$LANG_WINE LC_ALL=$LANG_WINE "${desktop[@]}" &
sleep 6
import -window root build/artifacts/run.png
echo "screenshot: build/artifacts/run.png"
