#!/usr/bin/env bash
# The installer under Wine, in a prefix of its own that starts fresh: a silent
# install of the earlier build, the installed Veilmark started from its
# shortcut's target and switched once, an upgrade while it runs that keeps the
# stored setting, a silent install that fails untouched while a dialog keeps
# Veilmark busy, an uninstall while it runs that keeps the setting when asked,
# and a last uninstall after which the registry and the drive are as before.
# Usage: installer_test.sh SETUP.exe VERSION EARLIER_SETUP.exe BIN_DIR APPLICATION_GUID
#   BIN_DIR holds the build's shipped files and the drivers.
set -euo pipefail
setup=$1 version=$2 earlier=$3 bin=$4 guid=$5
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../../scripts/wine-env.sh"

WINEPREFIX=$(mktemp -d /tmp/veilmark-setup.XXXXXX)
export WINEPREFIX LANG=$LANG_WINE LC_ALL=$LANG_WINE
work=$WINEPREFIX-work
mkdir -p "$work"
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX" "$work"' EXIT

fail() {
  echo "FAIL: $*"
  exit 1
}
ok() { echo "ok: $*"; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }
now_ms() { date +%s%3N; }
# The whole registry and the drive's file list, with no Wine program running.
# NSIS's uninstaller runs from a copy in %TEMP% and its empty folder stays
# there until Windows cleans the folder.
snapshot() {
  wineserver -w
  wine regedit /E "$(winpath "$work/$1.reg")"
  wineserver -w
  (cd "$WINEPREFIX/drive_c" && find . -path '*/Temp/~nsu*.tmp' -empty -prune -o -print | LC_ALL=C sort) >"$work/$1.files"
}
same_files() {  # snapshot names
  diff "$work/$1.files" "$work/$2.files" || fail "files differ between $1 and $2"
}

prepare_prefix
user=$(whoami)
profile=$WINEPREFIX/drive_c/users/$user
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Veilmark'
settings_key='HKCU\Software\Oxlen\Oxlen - Veilmark'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
shortcut="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Veilmark.lnk"
dir="$profile/AppData/Local/Programs/Veilmark"
dir_w="C:\\users\\$user\\AppData\\Local\\Programs\\Veilmark"
config=$work/config.txt
printf 'listen-address  127.0.0.1:8118\r\n' >"$config"
config_w=$(winpath "$config")
snapshot before

installed_as() {  # version: the files, their bytes and the installed-programs entry
  [ "$(cd "$dir" && ls | LC_ALL=C sort | tr '\n' ' ')" = "Lumicon.dll ReadMe.TXT Uninstall.exe Veilmark.exe oxlensupport0100.dll " ] ||
    fail "installed files: $(ls "$dir" | tr '\n' ' ')"
  for file in Veilmark.exe Lumicon.dll oxlensupport0100.dll ReadMe.TXT; do
    cmp -s "$bin/$file" "$dir/$file" || fail "$file is not the build's"
  done
  [ "$(reg_value "$uninstall_key" DisplayVersion)" = "$1" ] || fail "installed-programs entry is not version $1"
  [ "$(reg_value "$uninstall_key" InstallLocation)" = "$dir_w" ] || fail "install location"
  [ "$(reg_value "$uninstall_key" UninstallString)" = "\"$dir_w\\Uninstall.exe\"" ] || fail "uninstall command"
  # Lumicon registered for this user, at the installed file.
  local clsid
  clsid=$(reg_value 'HKCU\Software\Classes\Lumicon.SysTray\CLSID' '')
  [ "$(reg_value "HKCU\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" '')" = "$dir_w\\Lumicon.dll" ] ||
    fail "Lumicon is not registered for the user at the installed file"
  [ "$(python3 "$here/snapshot.py" shortcut "$shortcut")" = "$dir_w\\Veilmark.exe" ] ||
    fail "the shortcut does not start the installed Veilmark"
}

# Wine looks COM classes up in the machine's registry only, where Windows also
# reads the user's: the installed Lumicon.dll is registered machine-wide as
# well while Veilmark runs in here (the build's copy removes the same keys).
stand_in_for_user_classes() { wine regsvr32 /s "$dir_w\\Lumicon.dll" || fail "machine-wide registration"; }
drop_stand_in() { wine regsvr32 /s /u "$(winpath "$bin/Lumicon.dll")" || fail "machine-wide unregistration"; }

# 1. Silent install of the earlier build into the fresh prefix.
started=$(now_ms)
wine "$earlier" /S || fail "silent install"
echo "figure: silent install $(($(now_ms) - started)) ms; installer $(stat -c %s "$setup") bytes ($(basename "$setup"))"
installed_as 0.9.0
ok "installed for the user: files, shortcut, installed-programs entry, Lumicon registered"

# 2. The installed Veilmark from its shortcut's target, switched once.
stand_in_for_user_classes
target=$(python3 "$here/snapshot.py" shortcut "$shortcut")
wine "$bin/tray_click_driver.exe" "$config_w" on "$target" || fail "switch from the installed Veilmark"
grep -Eq '^forward-socks4a +/ +127\.0\.0\.1:9050 \.' "$config" || fail "the configuration does not forward"
[ "$(reg_value "$settings_key" 'Privoxy config file')" = "$config_w" ] || fail "setting not stored"
ok "the installed Veilmark switched forwarding on"

# 3. Upgrade while it runs: closed cleanly, files replaced, setting kept, started again.
echo stale >>"$dir/ReadMe.TXT"
wine "$bin/setup_driver.exe" "$target" "$config_w" relaunch "$(winpath "$setup")" /S || fail "upgrade while running"
installed_as "$version"
[ "$(reg_value "$settings_key" 'Privoxy config file')" = "$config_w" ] || fail "setting lost in the upgrade"
ok "upgraded in place to $version while running, setting kept"

# 4. A Veilmark kept busy by its dialog: the silent install fails and touches nothing.
echo stale >>"$dir/ReadMe.TXT"
wine "$bin/setup_driver.exe" "$target" "$config_w" busy "$(winpath "$setup")" /S || fail "install over a busy Veilmark"
tail -c 7 "$dir/ReadMe.TXT" | grep -q stale || fail "files replaced although Veilmark was busy"
wine "$setup" /S || fail "install after the busy Veilmark ended"
installed_as "$version"
ok "a busy Veilmark makes the silent install fail untouched; it ends when its dialog closes"

# 5. Uninstall while it runs, keeping the settings when asked.
wine reg add "$run_key" /v "$guid" /d "\"$dir_w\\Veilmark.exe\"" /f >/dev/null
wine "$bin/setup_driver.exe" "$target" "$config_w" stay "$dir_w\\Uninstall.exe" /S /KEEPSETTINGS ||
  fail "uninstall while running"
wineserver -w
drop_stand_in
snapshot kept
python3 "$here/snapshot.py" regdiff "$work/before.reg" "$work/kept.reg" --expect 'HKEY_CURRENT_USER\Software\Oxlen' ||
  fail "uninstall keeping the settings left more than the settings"
same_files before kept
ok "uninstalled, the settings kept as asked and nothing else"

# 6. Installed again, it finds the kept setting; uninstalled, nothing is left.
wine "$setup" /S || fail "install again"
[ "$(reg_value "$settings_key" 'Privoxy config file')" = "$config_w" ] || fail "kept setting not there"
started=$(now_ms)
wine "$dir_w\\Uninstall.exe" /S || fail "uninstall"
wineserver -w
echo "figure: silent uninstall $(($(now_ms) - started)) ms"
snapshot after
python3 "$here/snapshot.py" regdiff "$work/before.reg" "$work/after.reg" || fail "the registry is not as before"
same_files before after
ok "uninstalled: registry and files as before the first install"
