#!/usr/bin/env bash
# Takes a picture of Veilmark's settings dialog as a first start shows it.
# Usage: settings_screenshot.sh VEILMARK_EXE OUTPUT_PNG
# Runs in the Wine prefix and X display of the environment. A virtual desktop
# gives the dialog its frame and a desktop behind it.
set -euo pipefail
exe=$(readlink -f "$1") output=$2
export WINEDEBUG=-all LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
. "$(dirname "$0")/../scripts/wine-env.sh"
mkdir -p "$(dirname "$output")"

wine reg delete 'HKCU\Software\Oxlen\Oxlen - Veilmark' /f >/dev/null 2>&1 || true
before=$(copies_of "$exe")
wine explorer /desktop=veilmark-shot,640x360 "$exe" &
launcher=$!

dialog=
for _ in $(seq 150); do
  dialog=$(xdotool search --name '^Настройки$' 2>/dev/null | head -n 1 || true)
  [ -n "$dialog" ] && break
  sleep 0.2
done
status=0
if [ -n "$dialog" ]; then
  sleep 1  # let it paint
  import -window root "$output"
  echo "settings dialog pictured in $output"
else
  echo "the settings dialog did not appear" >&2
  status=1
fi

# Ending the copy this script started closes the desktop and its launcher.
started=$(comm -13 <(echo "$before") <(copies_of "$exe"))
[ -z "$started" ] || kill $started 2>/dev/null || true
wait "$launcher" 2>/dev/null || true
exit $status
