#!/usr/bin/env bash
# The switch of a configuration file in a folder its user may not write, as
# under Program Files without administrator rights: run as an ordinary Unix
# user (made for the run under root, whose rights Wine would not refuse),
# with a Wine prefix and an X display of that user's own.
# Usage: protected_switch.sh SWITCH_FAILURES_TEST.exe
set -euo pipefail
if [ "${1:-}" = --as-user ]; then
  export WINEPREFIX=$2/home/prefix
  . "$2/wine-env.sh"
  trap wine_env_cleanup EXIT
  start_xvfb && prepare_prefix
  VEILMARK_PROTECTED_CONFIG=$(winepath -w "$2/protected/config.txt") LANG=$LANG_WINE LC_ALL=$LANG_WINE \
    wine "$2/switch_failures_test.exe" --gtest_also_run_disabled_tests --gtest_filter='*.DISABLED_Protected*'
  exit
fi

bin=$(dirname "$(readlink -f "$1")")
work=$(mktemp -d /tmp/veilmark-protected.XXXXXX)
user=$(id -un) made_user=
cleanup() {
  # The user's wineserver and X server take a moment to end.
  for _ in $(seq 20); do [ -z "$made_user" ] || userdel "$made_user" 2>/dev/null && break; sleep 0.5; done
  chmod -R u+w "$work" && rm -rf "$work"
}
trap cleanup EXIT
if [ "$(id -u)" = 0 ]; then
  user=veilmark$$ made_user=veilmark$$
  useradd --system --no-create-home --home-dir "$work/home" --shell /usr/sbin/nologin "$user"
fi
# Copies, for the build tree may lie where that user cannot read.
chmod 755 "$work"
mkdir "$work/home" "$work/protected"
cp "$bin/switch_failures_test.exe" "$bin/switch_driver.exe" "$bin"/*.dll "$0" \
  "$(dirname "$0")/../../../scripts/wine-env.sh" "$work/"
chown "$user" "$work/home"
printf 'listen-address  127.0.0.1:8118\r\n' >"$work/protected/config.txt"
chmod a-w "$work/protected"

# A 32-bit prefix stays 32-bit for that user (scripts/emu32.sh).
as_user=(env -i PATH="$PATH" HOME="$work/home" ${WINEARCH:+WINEARCH=$WINEARCH} bash "$work/$(basename "$0")" --as-user "$work")
if [ -n "$made_user" ]; then runuser -u "$user" -- "${as_user[@]}"; else "${as_user[@]}"; fi
