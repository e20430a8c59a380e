#!/usr/bin/env bash
# The switch of a configuration file that the user may not write: run as an
# ordinary Unix user (made for the run when this runs as root), against a
# root-owned folder, so that Wine refuses the writes as Windows refuses a
# standard user's writes under Program Files. That user gets a Wine prefix
# and an X display of its own.
# Usage: protected_switch.sh SWITCH_FAILURES_TEST.exe
set -euo pipefail
if [ "${1:-}" = --as-user ]; then
  # The user's part: its own display and prefix, then the test.
  work=$2
  export WINEPREFIX=$work/home/prefix
  . "$work/wine-env.sh"
  trap wine_env_cleanup EXIT
  start_xvfb && prepare_prefix
  VEILMARK_PROTECTED_CONFIG=$(winepath -w "$work/protected/config.txt")
  export VEILMARK_PROTECTED_CONFIG LANG=$LANG_WINE LC_ALL=$LANG_WINE
  wine "$work/bin/switch_failures_test.exe" --gtest_also_run_disabled_tests \
    --gtest_filter='SwitchFailures.DISABLED_ProtectedFileAsksForAdministratorRights'
  exit
fi

bin=$(dirname "$(readlink -f "$1")")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/veilmark-protected.XXXXXX)
user=$(id -un) made_user=
cleanup() {
  # The user's last processes (its wineserver, its X server) take a moment to end.
  if [ -n "$made_user" ]; then
    for _ in $(seq 20); do userdel "$made_user" 2>/dev/null && break; sleep 0.5; done
  fi
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
if [ "$(id -u)" = 0 ]; then
  user=veilmark$$
  useradd --system --no-create-home --home-dir "$work/home" --shell /usr/sbin/nologin "$user"
  made_user=$user
fi

# Copies the user can read wherever the build tree is.
chmod 755 "$work"
mkdir -p "$work/bin" "$work/home" "$work/protected"
cp "$bin/switch_failures_test.exe" "$bin/switch_driver.exe" "$bin"/*.dll "$work/bin/"
cp "$here/../../../scripts/wine-env.sh" "$0" "$work/"
chown -R "$user" "$work/home"
printf 'listen-address  127.0.0.1:8118\r\n' >"$work/protected/config.txt"
# Readable, but no file may be made beside it, whether the user owns the
# folder (a non-root run) or not.
chmod a-w "$work/protected"

as_user=(env -i PATH="$PATH" HOME="$work/home" bash "$work/$(basename "$0")" --as-user "$work")
if [ -n "$made_user" ]; then runuser -u "$user" -- "${as_user[@]}"; else "${as_user[@]}"; fi
