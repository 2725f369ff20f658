#!/usr/bin/env bash
# The companion on a played desktop tray, live: for each case the application starts on an Xvfb of
# its own with a private session bus (or none), the Menu Bar screen is opened and its switch
# pressed, and the run prints what docked in the XEmbed tray or registered with the watcher, and
# what the switch and the screen said; in the cases where a tray ends, again after it ended and
# after it came back. It reports and never fails on a case.
#
#   bench/tray_live.sh [build folder]
#
# Everything runs in a scratch home, inside a network namespace with only the loopback.
set -u
build=$(realpath "${1:-build}")
if [[ -z "${QM_BENCH_INSIDE:-}" ]]; then
    "$(dirname "$0")/../scripts/install-packages" xvfb dbus-daemon procps || exit 1
    exec "$(dirname "$0")/../tools/common/loopback-only" env QM_BENCH_INSIDE=1 "$0" "$@"
fi
ip link set lo up 2>/dev/null
probe=$build/bench/dashboard_probe
played=$build/bench/played_tray
[[ -x $probe && -x $played ]] || { echo "dashboard_probe or played_tray is not built in $build"; exit 0; }

scratch=$(mktemp -d)
started=()
stop_all() {
    exec 5>&- 6>&- 2>/dev/null
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do kill "${started[i]}" 2>/dev/null; done
    for pid in "${started[@]}"; do kill -CONT "$pid" 2>/dev/null; done
    wait 2>/dev/null
    started=()
}
trap 'stop_all; rm -rf "$scratch"' EXIT

source "$(dirname "$0")/../tools/common/scratch-home.sh"

# What the screen says now, and what the trays hold.
report() {
    echo "  $1:"
    echo "show companionSwitch" >&5
    echo "show companionUnavailable" >&5
    sleep 0.5
    grep '^shows' "$scratch/probe.$run" | tail -n 2 | sed 's/^shows /    screen: /'
    : >"$scratch/probe.$run.mark"
    grep -h 'docked' "$scratch/played.$run" | sed 's/^/    tray: /' | tail -n 3
    if [[ $bus == watcher ]]; then
        echo items >&6
        sleep 0.3
        grep 'watcher items' "$scratch/played.$run" | tail -n 1 | sed 's/^/    /'
    fi
}

run=0
# case: xembed (yes/no), bus (watcher, none, missing, stopped), change
cases=(
    "XEmbed only|yes|none|"
    "watcher only|no|watcher|"
    "both|yes|watcher|"
    "neither|no|none|"
    "no session bus, XEmbed|yes|missing|"
    "no session bus, no tray|no|missing|"
    "XEmbed tray ends and comes back|yes|none|xembed"
    "watcher ends and comes back|no|watcher|watcher"
    "both, watcher ends and comes back|yes|watcher|watcher"
    "session bus stopped, watcher|no|watcher|stop"
)
for entry in "${cases[@]}"; do
    IFS='|' read -r name xembed bus change <<<"$entry"
    run=$((run + 1))
    use_home "home$run"
    echo "$name"
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x800x24 3>"$scratch/display.$run" >/dev/null 2>&1 &
    started+=($!)
    for _ in $(seq 100); do [[ -s $scratch/display.$run ]] && break; sleep 0.1; done
    export DISPLAY=:$(cat "$scratch/display.$run")
    dbus-daemon --session --nofork --address="unix:path=$scratch/system.$run" >/dev/null 2>&1 &
    started+=($!)
    export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$scratch/system.$run
    daemon=""
    if [[ $bus == missing ]]; then
        unset DBUS_SESSION_BUS_ADDRESS
    else
        dbus-daemon --session --nofork --address="unix:path=$scratch/session.$run" >/dev/null 2>&1 &
        daemon=$!
        started+=($daemon)
        export DBUS_SESSION_BUS_ADDRESS=unix:path=$scratch/session.$run
    fi
    for _ in $(seq 100); do [[ -S $scratch/system.$run ]] && break; sleep 0.1; done
    mkfifo "$scratch/tray.$run" "$scratch/control.$run"
    flags=()
    [[ $xembed == yes ]] && flags+=(--xembed)
    [[ $bus == watcher ]] && flags+=(--watcher)
    "$played" "${flags[@]}" <"$scratch/tray.$run" >"$scratch/played.$run" 2>&1 &
    started+=($!)
    exec 6>"$scratch/tray.$run"
    sleep 0.5
    "$probe" app --control "$scratch/control.$run" >"$scratch/probe.$run" 2>"$scratch/probe.$run.err" &
    started+=($!)
    exec 5>"$scratch/control.$run"
    for _ in $(seq 150); do grep -q first-frame "$scratch/probe.$run" && break; sleep 0.1; done
    echo "screen Menu Bar" >&5
    sleep 1
    echo "press companionSwitch" >&5
    sleep 2
    report "switch pressed"
    case $change in
    xembed)
        echo "xembed off" >&6; sleep 3; report "tray ended"
        echo "xembed on" >&6; sleep 3; report "tray back" ;;
    watcher)
        echo "watcher off" >&6; sleep 3; report "watcher ended"
        echo "watcher on" >&6; sleep 3; report "watcher back" ;;
    stop)
        echo "press companionSwitch" >&5; sleep 0.5
        kill -STOP "$daemon"
        echo "press companionSwitch" >&5; sleep 3; report "bus stopped, switch pressed off and on"
        echo "press companionSwitch" >&5; sleep 0.5
        echo "press companionSwitch" >&5; sleep 3; report "bus still stopped, pressed again"
        kill -CONT "$daemon"; sleep 4; report "bus answers again" ;;
    esac
    stop_all
done
