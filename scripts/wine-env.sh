# Sourced by the scripts that run Windows programs: starts a private Xvfb
# display unless one is given, and prepares the Wine prefix in $WINEPREFIX.
# Callers set WINEPREFIX first and call wine_env_cleanup when done.

export WINEDEBUG=${WINEDEBUG:--all}
export LANG_WINE=ru_RU.UTF-8
xvfb_pid=

start_xvfb() {
  local n=90
  while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
  Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=:$n
  for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && return 0; sleep 0.1; done
  echo "Xvfb did not start" >&2
  return 1
}

prepare_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    LANG=$LANG_WINE wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
}

wine_env_cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
