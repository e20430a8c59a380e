#!/usr/bin/env bash
# Footprint against the bare minimum, measured side by side by the programs
# in bench/: the switch against a plain copy of the file, Veilmark's start-up
# and idle memory against a minimal tray program, and a message through the
# control's window procedure against the same window without it. Prints the
# tables, then one line per ratio: "ratio NAME VALUE". Run after
# scripts/setup.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=$(mktemp -d /tmp/veilmark-bench.XXXXXX)
ratios=$out/ratios

bash scripts/build.sh native:switch_bench x86_64:tray_figures x86_64:lumicon_bench >/dev/null

echo "== the switch against a copy (median of 5 runs, ms; peak heap as a multiple of the file size)"
# One run of a few milliseconds swings with the file system's write-back.
build/native/bench/switch_bench --benchmark_format=json --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true >"$out/switch.json" 2>/dev/null
python3 - "$out/switch.json" "$ratios" <<'EOF'
import json, sys
runs = {b["run_name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"] if b["aggregate_name"] == "median"}
def ms(run): return run["real_time"] * {"ns": 1e-6, "us": 1e-3, "ms": 1, "s": 1e3}[run["time_unit"]]
def label(size): return f"{size // 1024}KB" if size < 1 << 20 else f"{size >> 20}MB"
print(f"{'size':>6} {'switch ms':>10} {'copy ms':>9} {'ratio':>6} {'switch heap x':>14}")
with open(sys.argv[2], "a") as ratios:
    for name, run in runs.items():
        if not name.startswith("BM_Switch/"): continue
        size = int(name.split("/")[1])
        copy = runs[f"BM_Copy/{size}"]
        ratio = ms(run) / ms(copy)
        print(f"{label(size):>6} {ms(run):10.2f} {ms(copy):9.2f} {ratio:6.2f} {run['peak_x']:14.2f}")
        print(f"ratio switch_time_{label(size)} {ratio:.2f}", file=ratios)
        print(f"ratio switch_heap_{label(size)} {run['peak_x']:.2f}", file=ratios)
EOF

export WINEPREFIX=$out/wine
. scripts/wine-env.sh
trap 'wine_env_cleanup; rm -rf "$out"' EXIT
start_xvfb && prepare_prefix
bin=build/x86_64/bin
(cd $bin && ../../../tests/wine-run.sh regsvr32 /s Lumicon.dll)

echo "== start-up and idle: Veilmark against a minimal tray program (median of 5 starts each, in turn)"
(cd $bin && ../../../tests/wine-run.sh tray_figures.exe 5) | tr -d '\r' | tee "$out/tray"
awk '$1 == "veilmark" && $2 ~ /^[0-9]/ { for (i = 2; i <= 6; i++) v[i] = $i }
     $1 == "minimal" && $2 ~ /^[0-9]/ { for (i = 2; i <= 6; i++) m[i] = $i }
     END {
       printf "ratio startup %.2f\nratio startup_cpu %.2f\n", v[2] / m[2], v[3] / m[3]
       printf "ratio private_memory %.2f\nratio rss %.2f\n", v[4] / m[4], v[5] / m[5]
       if (v[6] == 0 && m[6] == 0) print "ratio idle_cpu 1"; else printf "ratio idle_cpu %sms/%sms\n", v[6], m[6]
     }' "$out/tray" >>"$ratios"

echo "== a message through the control's window procedure against the bare window"
(cd $bin && ../../../tests/wine-run.sh lumicon_bench.exe) | tr -d '\r' | grep 'per message' | tee "$out/lumicon"
sed -n 's/.*ratio \([0-9.]*\).*/ratio subwndproc \1/p' "$out/lumicon" >>"$ratios"

echo
cat "$ratios"
