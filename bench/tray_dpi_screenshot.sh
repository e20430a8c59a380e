#!/usr/bin/env bash
# Takes a picture of Veilmark's icon in the taskbar of a 144-DPI screen, for
# people to judge its sharpness: switched on by a click while the Privoxy the
# file names runs on another copy, it shows its warned picture and balloon.
# Usage: tray_dpi_screenshot.sh VEILMARK_EXE OUTPUT_FOLDER
# Leaves tray-144dpi.png (the desktop, with the balloon) and
# tray-144dpi-zoom.png (the taskbar's right end, each pixel made 4 x 4) there.
# Runs in the Wine prefix and X display of the environment. The screen's DPI
# is set for the run and put back afterwards.
set -euo pipefail
exe=$(readlink -f "$1") output=$2
export WINEDEBUG=-all LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
. "$(dirname "$0")/../scripts/wine-env.sh"
mkdir -p "$output"
work=$(mktemp -d) privoxy_pid=
desktop_key='HKCU\Control Panel\Desktop'
setting_key='HKCU\Software\Oxlen\Oxlen - Veilmark'

saved_dpi=$(wine reg query "$desktop_key" /v LogPixels 2>/dev/null | awk '$1 == "LogPixels" { print $3 }' | tr -d '\r' || true)
restore() {
  if [ -n "$saved_dpi" ]; then
    wine reg add "$desktop_key" /v LogPixels /t REG_DWORD /d $((saved_dpi)) /f >/dev/null
  else
    wine reg delete "$desktop_key" /v LogPixels /f >/dev/null 2>&1 || true
  fi
  wine reg delete "$setting_key" /f >/dev/null 2>&1 || true
  kill "$privoxy_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap restore EXIT

# Privoxy on another copy of the file.
. "$(dirname "$0")/../scripts/privoxy-env.sh"
start_own_privoxy "$work" "$work/copy.txt"
printf 'listen-address 127.0.0.1:%s\r\n' $port >"$work/config.txt"
wine reg add "$setting_key" /v 'Privoxy config file' /t REG_SZ /d "$(winepath -w "$work/config.txt")" /f >/dev/null
wine reg add "$desktop_key" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
# A desktop with a taskbar, whose notification area holds the icon.
wine reg add 'HKCU\Software\Wine\Explorer\Desktops\veilmark-dpi' /v EnableShell /t REG_DWORD /d 1 /f >/dev/null

width=800 height=600
before=$(copies_of "$exe")
wine explorer "/desktop=veilmark-dpi,${width}x$height" "$exe" &
launcher=$!
started=
for _ in $(seq 150); do
  started=$(comm -13 <(echo "$before") <(copies_of "$exe"))
  [ -n "$started" ] && break
  sleep 0.2
done
status=0
if [ -n "$started" ]; then
  sleep 6  # the taskbar comes up and the icon is painted
  # The icon is the last one at the taskbar's right end.
  xdotool mousemove $((width - 14)) $((height - 14)) click 1
  sleep 4  # the switch, then the look at Privoxy
  grep -q '^forward-socks4a' "$work/config.txt" || { echo "the click did not switch forwarding on" >&2; status=1; }
  import -window root -crop "${width}x$height+0+0" "$output/tray-144dpi.png"
  # The taskbar's right end, where the notification area is.
  convert "$output/tray-144dpi.png" -crop "160x60+$((width - 160))+$((height - 60))" +repage -scale 400% \
    "$output/tray-144dpi-zoom.png"
  echo "tray at 144 DPI pictured in $output/tray-144dpi.png and tray-144dpi-zoom.png"
else
  echo "Veilmark did not start" >&2
  status=1
fi

# Ending the copy this script started closes the desktop and its launcher.
[ -z "$started" ] || kill $started 2>/dev/null || true
wait "$launcher" 2>/dev/null || true
exit $status
