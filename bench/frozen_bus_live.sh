#!/usr/bin/env bash
# Live check of a start with message buses that do not answer, run by hand after scripts/test has
# built everything. Inside a network namespace of its own (loopback only) and a virtual display, it
# starts two private dbus-daemons as the system and the session bus, stops one or both (SIGSTOP),
# starts the application on a scratch home with them and pings its window every 100 ms the way a
# window manager does, for SECONDS_TO_PING (default 20). Each case prints the round trips' summary.
# APP names another build's binary to compare with. The case session-after-start stops the session
# bus only once the window is up and a tray (played on that bus) shows the companion, then opens
# every screen in turn and presses the companion's switch at each visit for SECONDS_TO_PING, with
# bench/frozen_bus_walk driving the application; WALK names another build's driver, PING_LOG a
# file to keep every round trip in.
#
#   bench/frozen_bus_live.sh [system|session|both|none|session-after-start ...]
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${QM_IN_NAMESPACE:-}" != 1 ]; then
    exec tools/common/loopback-only env QM_IN_NAMESPACE=1 "$0" "$@"
fi
ip link set lo up 2>/dev/null || true

app="${APP:-$PWD/build/src/quillmarsh}"
ping="$PWD/build/bench/window_ping"
walk="${WALK:-$PWD/build/bench/frozen_bus_walk}"
seconds="${SECONDS_TO_PING:-20}"
[ -x "$app" ] && [ -x "$ping" ] || { echo "build first: scripts/test"; exit 1; }
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=(none system session both)

run_case() {
    local stopped="$1" work
    work="$(mktemp -d)"
    local -a daemons=()
    for bus in system session; do
        cat > "$work/$bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$work/$bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
        dbus-daemon --nofork --nopidfile --config-file="$work/$bus.conf" 2>/dev/null &
        daemons+=("$!")
    done
    for bus in system session; do
        for _ in $(seq 100); do [ -S "$work/$bus" ] && break; sleep 0.05; done
    done
    [ "$stopped" = system ] || [ "$stopped" = both ] && kill -STOP "${daemons[0]}"
    [ "$stopped" = session ] || [ "$stopped" = both ] && kill -STOP "${daemons[1]}"
    mkdir -p "$work/home"
    if [ "$stopped" = session-after-start ]; then
        [ -x "$walk" ] || { echo "build first: ninja -C build frozen_bus_walk"; exit 1; }
        echo "== session bus stopped after the start, every screen opened, the companion switched"
        HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
        XDG_CACHE_HOME="$work/home/.cache" XDG_STATE_HOME="$work/home/.local/state" XDG_RUNTIME_DIR="$work" \
        DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system" DBUS_SESSION_BUS_ADDRESS="unix:path=$work/session" \
        QT_QPA_PLATFORM=xcb xvfb-run -a -s "-noreset -screen 0 1440x900x24" sh -c "
            '$walk' --stop ${daemons[1]} --seconds $seconds >'$work/walk.log' 2>&1 &
            walk=\$!
            '$ping' Quillmarsh --seconds $((seconds + 8)) > '$work/ping.log'
            sed -n '1p;\$p' '$work/ping.log'
            kill \$walk; wait \$walk
            [ -z \"\$PING_LOG\" ] || cp '$work/ping.log' \"\$PING_LOG\"" || true
        sed "s/^/walk: /" "$work/walk.log" | tail -6
        kill -CONT "${daemons[@]}" 2>/dev/null || true
        kill "${daemons[@]}" 2>/dev/null || true
        wait "${daemons[@]}" 2>/dev/null || true
        rm -rf "$work"
        return
    fi
    echo "== $stopped bus stopped"
    HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
    XDG_CACHE_HOME="$work/home/.cache" XDG_STATE_HOME="$work/home/.local/state" XDG_RUNTIME_DIR="$work" \
    DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system" DBUS_SESSION_BUS_ADDRESS="unix:path=$work/session" \
    xvfb-run -a -s "-noreset -screen 0 1440x900x24" sh -c "
        '$app' >'$work/app.log' 2>&1 &
        app=\$!
        '$ping' Quillmarsh --seconds $seconds | sed -n '1p;\$p'
        kill \$app; wait \$app 2>/dev/null" || true
    [ ! -s "$work/app.log" ] || sed "s/^/app: /" "$work/app.log" | tail -5
    kill -CONT "${daemons[@]}" 2>/dev/null || true
    kill "${daemons[@]}" 2>/dev/null || true
    wait "${daemons[@]}" 2>/dev/null || true
    rm -rf "$work"
}

for stopped in "${cases[@]}"; do
    run_case "$stopped"
done
