#!/usr/bin/env bash
# Runs Veilmark for real under Wine: Debian's Privoxy with a configuration of
# its own in build/run/, Wine's proxy settings pointing at that Privoxy,
# Veilmark installed by its installer (silently; again over itself on the next
# run), the stored path pointing at Privoxy's configuration, and Veilmark in a
# Wine desktop whose taskbar shows the tray icon.
# With no X display it runs under a private Xvfb, clicks the icon once, and
# saves screenshots of the tray before and after the click and of the open
# menu into build/artifacts/, then ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

trap 'echo "run.sh: failed (exit $?): $BASH_COMMAND" >&2' ERR

bash scripts/setup.sh
# VEILMARK_SETUP installs from another installer; else the installer of this
# checkout, built with the three files in it (not the test tree).
setup=${VEILMARK_SETUP:-}
if [ -z "$setup" ]; then
  bash scripts/build.sh x86_64:installer
  setup=$(sed -n 's/^veilmark_setup:INTERNAL=//p' build/x86_64/CMakeCache.txt)
fi
[ -f "$setup" ] || { echo "run.sh: no installer at '$setup'" >&2; exit 1; }
export WINEPREFIX=$root/build/wineprefix
. scripts/wine-env.sh
. scripts/privoxy-env.sh
headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  start_xvfb
fi
privoxy_pid=
cleanup() {
  [ -z "$privoxy_pid" ] || kill "$privoxy_pid" 2>/dev/null || true
  wine_env_cleanup
}
trap cleanup EXIT
prepare_prefix
wine() { LANG=$LANG_WINE LC_ALL=$LANG_WINE command wine "$@"; }

# Privoxy's stock configuration, as on Windows (CR LF), on a free local port,
# logging the requests it handles into the work folder.
work=$root/build/run
mkdir -p "$work" build/artifacts
config=$work/config.txt
rm -f "$config.BAK"
start_own_privoxy "$work" "$config"
echo "privoxy: 127.0.0.1:$port, configuration $config"

point_wine_proxy $port
wine reg add 'HKCU\Software\Oxlen\Oxlen - Veilmark' /v 'Privoxy config file' /t REG_SZ \
  /d "$(winepath -w "$config")" /f >/dev/null
wine "$setup" /S
installed=$(reg_value 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Veilmark' InstallLocation)
echo "installed: $installed ($(basename "$setup"))"
# Wine 8's COM looks classes up in the machine's part only; the installer's
# per-user entry, which it doesn't see, gets a machine-wide one next to it.
wine regsvr32 /s "$installed\\Lumicon.dll"
# A desktop with a taskbar, whose notification area holds the icon.
wine reg add 'HKCU\Software\Wine\Explorer\Desktops\Veilmark' /v EnableShell /t REG_DWORD /d 1 /f >/dev/null

width=800 height=600
desktop=(wine explorer "/desktop=Veilmark,${width}x$height" "$installed\\Veilmark.exe")
if [ $headless -eq 0 ]; then
  "${desktop[@]}"
  exit 0
fi

forwarding() { grep -q '^forward-socks4a' "$config" && echo on || echo off; }
shot() { import -window root -crop "${width}x$height+0+0" "build/artifacts/$1"; echo "screenshot: build/artifacts/$1"; }
"${desktop[@]}" &
desktop_pid=$!
# The desktop window sits at the screen's origin; the icon is the last one
# at the right end of the taskbar.
icon_x=$((width - 10)) icon_y=$((height - 10))
sleep 6
echo "forwarding before the click: $(forwarding)"
shot tray-before.png
xdotool mousemove $icon_x $icon_y click 1
for _ in $(seq 50); do [ -f "$config.BAK" ] && break; sleep 0.2; done
sleep 2
echo "forwarding after the click: $(forwarding)"
grep -Eq 'Request: p\.p(:80)?/' "$work/privoxy.log" && echo "privoxy: reload request seen" ||
  echo "privoxy: no reload request seen"
shot tray-after.png
xdotool mousemove $icon_x $icon_y click 3
sleep 2
shot tray-menu.png
# "Выход": the menu's last item, just above the taskbar, left of the icon.
xdotool mousemove $((icon_x - 140)) $((icon_y - 23)) sleep 0.3 click 1
for _ in $(seq 50); do kill -0 $desktop_pid 2>/dev/null || break; sleep 0.2; done
kill -0 $desktop_pid 2>/dev/null && echo "Veilmark still runs after Выход" || echo "Veilmark ended through Выход"
