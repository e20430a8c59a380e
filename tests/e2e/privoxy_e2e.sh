#!/usr/bin/env bash
# Veilmark's switch against a real Privoxy: the switch (the test driver under
# Wine, calling the program's own switch code) rewrites Privoxy's stock
# configuration, and requests through Privoxy reach our SOCKS 4a server on
# 127.0.0.1:9050 exactly while forwarding is on.
# Runs in a network namespace of its own, so a real Tor on the machine is never
# touched and nothing leaves loopback.
# Usage: privoxy_e2e.sh DRIVER.exe
set -euo pipefail

if [ -z "${VEILMARK_E2E_NETNS:-}" ]; then
  VEILMARK_E2E_NETNS=1 exec unshare -n bash "$0" "$@"
fi
ip link set lo up

driver=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/veilmark-e2e.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  echo "--- privoxy log"; tail -20 "$work/privoxy.log" 2>/dev/null || true
  echo "--- socks log"; cat "$work/socks.log" 2>/dev/null || true
  exit 1
}

port=8118
config=$work/config.txt
# Privoxy's stock configuration as on Windows (CR LF), listening on our port.
awk -v port=$port -v dir="$work" '
  /^listen-address/ { if (!done) print "listen-address 127.0.0.1:" port; done = 1; next }
  /^logdir/ { print "logdir " dir; next }
  /^logfile/ { next }
  /^#debug +1 / { print "debug 1"; next }
  { print }' /etc/privoxy/config | sed 's/$/\r/' >"$config"
wconfig=$(winepath -w "$config")

python3 "$here/socks4a_server.py" 127.0.0.1 9050 "$work/socks.log" &
pids+=($!)
start_privoxy() {
  privoxy --no-daemon "$config" >>"$work/privoxy.log" 2>&1 &
  privoxy_pid=$!
  pids+=($privoxy_pid)
  for _ in $(seq 50); do (echo >/dev/tcp/127.0.0.1/$port) 2>/dev/null && return 0; sleep 0.1; done
  fail "privoxy did not start"
}
start_privoxy
touch "$work/socks.log"

# Wine's (the user's) proxy settings point at this Privoxy, as a browser's would.
settings='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
wine reg add "$settings" /v ProxyEnable /t REG_DWORD /d 1 /f >/dev/null
wine reg add "$settings" /v ProxyServer /t REG_SZ /d "127.0.0.1:$port" /f >/dev/null

switch() {  # on|off
  wine "$driver" "$wconfig" "$1" || fail "driver failed to switch $1"
}
fetch() { curl -s --max-time 10 -x "http://127.0.0.1:$port" http://example.test/ || true; }
requests_seen() { grep -c 'example.test:80' "$work/socks.log" || true; }

echo "1. switched on: the request reaches the SOCKS server as a 4a request"
switch on
grep -Eq 'Request: p\.p(:80)?/' "$work/privoxy.log" || fail "the reload request for p.p did not reach Privoxy"
[ "$(fetch)" = "answered by socks" ] || fail "request through Privoxy was not forwarded"
grep -q '^4a 1 example.test:80$' "$work/socks.log" || fail "no SOCKS 4a CONNECT for example.test:80"

echo "2. switched off: the same request no longer reaches the SOCKS server"
before=$(requests_seen)
switch off
fetch >/dev/null
[ "$(requests_seen)" = "$before" ] || fail "request still forwarded after switching off"

echo "3. the reload request of each switch shows in Privoxy's log"
[ "$(grep -Ec 'Request: p\.p(:80)?/' "$work/privoxy.log")" -ge 2 ] || fail "no reload request for the second switch"

echo "4. Privoxy accepted the file in both states"
if grep -E 'Fatal error|Error: .*(config|unrecognized|forward)' "$work/privoxy.log"; then fail "Privoxy rejected the file"; fi
kill "$privoxy_pid"; wait "$privoxy_pid" 2>/dev/null || true
[ -f "$config.BAK" ] || fail "no backup written"

echo "5. Privoxy stopped: the switch still writes both files and returns at once"
cp "$config" "$work/before.txt"
started=$(date +%s)
switch on
elapsed=$(($(date +%s) - started))
[ "$elapsed" -le 30 ] || fail "switch took $elapsed s with Privoxy stopped"
cmp -s "$config.BAK" "$work/before.txt" || fail "backup does not hold the text before the switch"
grep -q $'^forward-socks4a   /               127.0.0.1:9050 .\r$' "$config" || fail "switch did not write the on state"

echo "--- what Privoxy and the SOCKS server saw"
grep -E 'Request: |Info: Reloading' "$work/privoxy.log" | cut -c25- || true
cat "$work/socks.log"
echo "privoxy_e2e: all checks passed"
