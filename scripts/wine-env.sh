# Sourced by the scripts that run Windows programs: starts a private Xvfb
# display unless one is given, and prepares the Wine prefix in $WINEPREFIX.
# Callers set WINEPREFIX first and call wine_env_cleanup when done.

export WINEDEBUG=${WINEDEBUG:--all}
export LANG_WINE=ru_RU.UTF-8
# Shortcuts made in a prefix must not become menu entries of this machine.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d}
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
    # No window manager runs on these displays: Wine would wait two seconds
    # for one each time a framed window hides. Unmanaged, Wine draws and
    # places the windows itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # A crash ends the process with its exception code at once, instead of
    # leaving it hanging in winedbg until the test's time-out.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null 2>&1
    wineserver -w
  fi
}

# A registry value as text (KEY NAME); the key's default value when NAME is
# empty. reg prints in the OEM code page: the text is cut out byte-wise.
reg_value() {
  local selector=(/v "$2")
  [ -n "$2" ] || selector=(/ve)
  wine reg query "$1" "${selector[@]}" 2>/dev/null | tr -d '\r' | LC_ALL=C sed -n 's/.*REG_[A-Z_]* *//p' || true
}

# Process ids of the running copies of the Windows program $1 (a Unix path).
# Under scripts/emu32.sh a 32-bit one shows as qemu-i386 running Wine's loader
# with the program's path, which may be its Windows form (Z:\...).
copies_of() {
  ps -eo pid=,args= | sed -E 's#^( *[0-9]+ )[^ ]*/qemu-i386( -[A-Za-z] [^ ]+)* [^ ]*/wine #\1#' |
    awk -v exe="$1" '{ p = $2; if (p ~ /^[Zz]:\\/) { p = substr(p, 3); gsub(/\\/, "/", p) } } p == exe { print $1 }' | sort
}

wine_env_cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
