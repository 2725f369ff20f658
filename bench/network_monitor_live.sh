#!/usr/bin/env bash
# Live check of the network monitor, run by hand as root after scripts/test has built everything.
#
# 1. Throughput: two network namespaces joined by a veth pair; an HTTP server in one serves a large
#    file, curl in the other downloads it at a steady rate, and the monitor runs beside curl, where
#    the veth end is the only interface it can measure. Its published rates are compared with the
#    bytes the interface's own counters moved over the same time.
# 2. Probe pile-up: the monitor runs in a namespace whose only route leads to a veth end without a
#    carrier, so every ping waits for an answer that never comes; the number of ping children of
#    the monitor is sampled every 100 ms.
#
# No packet leaves the namespaces made here; everything is removed on exit.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages curl python3 iproute2 procps

tool="$PWD/build/bench/network_monitor_live"
seconds="${SECONDS_TO_SAMPLE:-20}"
probe_seconds="${PROBE_SECONDS:-30}"
rate="${RATE:-5M}"
work="$(mktemp -d)"
pids=()

cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    for ns in qmlive-srv qmlive-cli qmlive-dead; do ip netns del "$ns" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

[ -x "$tool" ] || { echo "build first: scripts/test"; exit 1; }
for ns in qmlive-srv qmlive-cli qmlive-dead; do
    ! ip netns list | grep -qw "$ns" || { echo "namespace $ns already exists"; exit 1; }
done

echo "== throughput through a veth pair"
ip netns add qmlive-srv
ip netns add qmlive-cli
ip link add qmlive-s type veth peer name qmlive-c
ip link set qmlive-s netns qmlive-srv
ip link set qmlive-c netns qmlive-cli
ip -n qmlive-srv addr add 10.213.0.1/24 dev qmlive-s
ip -n qmlive-cli addr add 10.213.0.2/24 dev qmlive-c
for ns in qmlive-srv qmlive-cli; do ip -n "$ns" link set lo up; done
ip -n qmlive-srv link set qmlive-s up
ip -n qmlive-cli link set qmlive-c up

mkdir "$work/www"
truncate -s 2G "$work/www/large.bin"
ip netns exec qmlive-srv python3 -m http.server 8000 --bind 10.213.0.1 --directory "$work/www" \
    >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do
    ip netns exec qmlive-cli curl -s -o /dev/null --max-time 1 http://10.213.0.1:8000/ && break
    sleep 0.1
done
ip netns exec qmlive-cli curl -s -o /dev/null --limit-rate "$rate" http://10.213.0.1:8000/large.bin &
pids+=($!)
sleep 2

counter() { ip netns exec qmlive-cli cat /sys/class/net/qmlive-c/statistics/rx_bytes; }
before_bytes=$(counter); before_time=$(date +%s.%N)
ip netns exec qmlive-cli "$tool" --seconds "$seconds" --probe-host 10.213.0.1 | tee "$work/monitor.log"
after_bytes=$(counter); after_time=$(date +%s.%N)

python3 - "$work/monitor.log" "$before_bytes" "$after_bytes" "$before_time" "$after_time" <<'PY'
import re, sys
log, b0, b1, t0, t1 = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), float(sys.argv[4]), float(sys.argv[5])
summary = dict(re.findall(r"(\w+)=([\d.]+)", [l for l in open(log) if l.startswith("summary")][0]))
counted = (b1 - b0) / (t1 - t0)
print(f"interface counters: {b1 - b0} bytes in {t1 - t0:.3f} s = {counted:.0f} B/s")
ok = True
for name in ("meanRawDown", "meanDown"):
    published = float(summary[name])
    deviation = (published - counted) / counted * 100
    ok &= abs(deviation) <= 10
    print(f"monitor {name}: {published:.0f} B/s ({deviation:+.2f} % against the counters)")
print("throughput: " + ("agree within 10 %" if ok else "DISAGREE"))
sys.exit(0 if ok else 1)
PY

echo "== latency probes while nothing answers"
ip netns add qmlive-dead
ip -n qmlive-dead link add qmlive-d0 type veth peer name qmlive-d1
ip -n qmlive-dead addr add 10.213.1.1/24 dev qmlive-d0
ip -n qmlive-dead link set qmlive-d0 up
ip -n qmlive-dead route add default dev qmlive-d0
ip netns exec qmlive-dead "$tool" --seconds "$probe_seconds" --probe-host 10.213.1.2 >"$work/dead.log" &
monitor=$!
pids+=($monitor)
max=0
seen=""
checks=0
while kill -0 "$monitor" 2>/dev/null; do
    children=$(pgrep -P "$monitor" -x ping || true)
    count=$(printf '%s' "$children" | grep -c . || true)
    [ "$count" -gt "$max" ] && max=$count
    seen="$seen $children"
    checks=$((checks + 1))
    sleep 0.1
done
distinct=$(printf '%s\n' $seen | sort -u | grep -c . || true)
tail -n 1 "$work/dead.log"
echo "ping children: at most $max at once over $checks checks; $distinct different ping processes"
[ "$max" -le 1 ]
