# Sourced by run.sh and the end-to-end test: a Privoxy of our own, as a
# Windows user has it, and Wine's proxy settings pointing at it.

# Privoxy's stock configuration with Windows line ends (CR LF), listening on
# 127.0.0.1:PORT and logging the requests it handles (to its standard error).
# Usage: write_privoxy_config PORT LOGDIR FILE
write_privoxy_config() {
  awk -v port="$1" -v dir="$2" '
    /^listen-address/ { if (!done) print "listen-address 127.0.0.1:" port; done = 1; next }
    /^logdir/ { print "logdir " dir; next }
    /^logfile/ { next }
    /^#debug +1 / { print "debug 1"; next }
    { print }' /etc/privoxy/config | sed 's/$/\r/' >"$3"
}

# Debian's Privoxy on its stock configuration written to FILE, on the first
# free local port from 8118, logging into LOGDIR; sets port and privoxy_pid,
# and returns once it takes connections.
# Usage: start_own_privoxy LOGDIR FILE
start_own_privoxy() {
  port=8118
  while (echo >/dev/tcp/127.0.0.1/$port) 2>/dev/null; do port=$((port + 1)); done
  write_privoxy_config $port "$1" "$2"
  privoxy --no-daemon "$2" >"$1/privoxy.log" 2>&1 &
  privoxy_pid=$!
  for _ in $(seq 50); do (echo >/dev/tcp/127.0.0.1/$port) 2>/dev/null && break; sleep 0.1; done
}

# Wine's (the user's) proxy settings, as a browser going through Privoxy has them.
# Usage: point_wine_proxy PORT
point_wine_proxy() {
  local settings='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
  wine reg add "$settings" /v ProxyEnable /t REG_DWORD /d 1 /f >/dev/null
  wine reg add "$settings" /v ProxyServer /t REG_SZ /d "127.0.0.1:$1" /f >/dev/null
}
