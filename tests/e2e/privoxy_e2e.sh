#!/usr/bin/env bash
# Veilmark's switch against a real Privoxy: the driver given (under Wine: the
# program's own switch code, or a click on the real program's icon) rewrites
# Privoxy's stock configuration, and requests through Privoxy reach our SOCKS 4a server on
# 127.0.0.1:9050 exactly while forwarding is on; the tray driver also sees
# what the icon tells of the Privoxy and the Tor that really run.
# Runs in a network namespace of its own, so a real Tor on the machine is never
# touched and nothing leaves loopback.
# Usage: privoxy_e2e.sh DRIVER.exe
set -euo pipefail

# Wine's sockets belong to its wineserver: one left running by an earlier
# program would sit outside this network, so it must be gone first, and the
# one started in here must be gone before the next test.
if [ -z "${VEILMARK_E2E_NETNS:-}" ]; then
  wineserver -w
  VEILMARK_E2E_NETNS=1 unshare -n bash "$0" "$@" && status=0 || status=$?
  wineserver -w
  exit $status
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
. "$here/../../scripts/privoxy-env.sh"
write_privoxy_config $port "$work" "$config"
# Veilmark is given a symbolic link to the file Privoxy reads: the switches
# must reach the link's target, and the link stay a link.
link=$work/link.txt
ln -s config.txt "$link"
wconfig=$(winepath -w "$link")

python3 "$here/socks4a_server.py" 127.0.0.1 9050 "$work/socks.log" &
pids+=($!)
start_privoxy() {  # [FILE]: the configuration it runs on
  privoxy --no-daemon "${1:-$config}" >>"$work/privoxy.log" 2>&1 &
  privoxy_pid=$!
  pids+=($privoxy_pid)
  for _ in $(seq 50); do (echo >/dev/tcp/127.0.0.1/$port) 2>/dev/null && return 0; sleep 0.1; done
  fail "privoxy did not start"
}
start_privoxy
touch "$work/socks.log"

point_wine_proxy $port

switch() {  # on|off
  local code=0
  wine "$driver" "$wconfig" "$1" || code=$?
  [ $code -eq 0 ] || fail "driver failed to switch $1 (exit code $code: 2 = the state read back differs)"
}
fetch() { curl -s --max-time 10 -x "http://127.0.0.1:$port" http://example.test/ || true; }
requests_seen() { grep -c 'example.test:80' "$work/socks.log" || true; }

echo "1. switched on: the request reaches the SOCKS server as a 4a request; Privoxy already runs the new file"
VEILMARK_E2E_BALLOON=- switch on
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
[ -f "$link.BAK" ] || fail "no backup written"

echo "5. Privoxy stopped: the switch still writes both files and returns at once; the icon says where it is missed"
cp "$config" "$work/before.txt"
started=$(date +%s)
VEILMARK_E2E_BALLOON=127.0.0.1:$port switch on
elapsed=$(($(date +%s) - started))
[ "$elapsed" -le 30 ] || fail "switch took $elapsed s with Privoxy stopped"
cmp -s "$link.BAK" "$work/before.txt" || fail "backup does not hold the text before the switch"
[ -L "$link" ] && [ "$(stat -c %h "$link.BAK")" = 1 ] || fail "the link became a file, or the backup shares its data"
grep -q $'^forward-socks4a   /               127.0.0.1:9050 .\r$' "$config" || fail "switch did not write the on state"

if [[ $(basename "$driver") == tray_click_driver* ]]; then
  echo "6. Privoxy running on another copy: the warned picture and a balloon naming its address"
  switch off
  write_privoxy_config $port "$work" "$work/copy.txt"
  start_privoxy "$work/copy.txt"
  VEILMARK_E2E_WARNED=1 VEILMARK_E2E_BALLOON=127.0.0.1:$port switch on
  kill "$privoxy_pid"; wait "$privoxy_pid" 2>/dev/null || true
fi

echo "--- what Privoxy and the SOCKS server saw"
grep -E 'Request: |Info: Reloading' "$work/privoxy.log" | cut -c25- || true
cat "$work/socks.log"
echo "privoxy_e2e: all checks passed"
