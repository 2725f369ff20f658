#!/usr/bin/env bash
# How often the application wakes while it sits idle: the voluntary context switches of each of its
# threads (each one a wake-up after a sleep), per second, on the Dashboard and minimised, with no
# tray on the session bus and with a StatusNotifierWatcher played there; beside it the session bus
# daemon's own. With --against, another build folder (main's, say) is measured the same way right
# after, and its figures are printed beside. It reports figures and never fails on one.
#
#   bench/idle_footprint.sh [--against BUILD] [--seconds N] [build folder]
#
# Everything runs in a scratch home, on an Xvfb of its own (with a window manager, so that the
# window can be minimised) and private buses, inside a network namespace with only the loopback.
set -u

usage() { sed -n '/^#   bench/p' "$0" | sed 's/^# \{0,1\}//'; exit 2; }
against=""
seconds=30
positional=()
args=("$@")
while (($#)); do
    case $1 in
    --against) [[ $# -ge 2 ]] || usage; against=$(realpath "$2"); shift ;;
    --seconds) [[ ${2:-} =~ ^[0-9]+$ ]] || usage; seconds=$2; shift ;;
    -h | --help | -*) usage ;;
    *) positional+=("$1") ;;
    esac
    shift
done
build=$(realpath "${positional[0]:-build}")

if [[ -z "${QM_BENCH_INSIDE:-}" ]]; then
    "$(dirname "$0")/../scripts/install-packages" xvfb openbox xdotool dbus-daemon procps || exit 1
    exec "$(dirname "$0")/../tools/common/loopback-only" env QM_BENCH_INSIDE=1 "$0" "${args[@]}"
fi
ip link set lo up 2>/dev/null

played=$build/bench/played_tray
for folder in "$build" ${against:+"$against"}; do
    [[ -x $folder/src/quillmarsh ]] || { echo "$folder/src/quillmarsh is not built"; exit 0; }
done
[[ -x $played ]] || { echo "$played is not built"; exit 0; }

scratch=$(mktemp -d)
started=()
stop_all() {
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do kill "${started[i]}" 2>/dev/null; done
    wait 2>/dev/null
    started=()
}
trap 'stop_all; rm -rf "$scratch"' EXIT

source "$(dirname "$0")/../tools/common/scratch-home.sh"

# Starts an Xvfb that never resets, a window manager on it and two private buses; exports their
# addresses.
start_desktop() {
    local displayfile=$scratch/display.$1
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1440x900x24 3>"$displayfile" >/dev/null 2>&1 &
    started+=($!)
    for _ in $(seq 100); do [[ -s $displayfile ]] && break; sleep 0.1; done
    export DISPLAY=:$(cat "$displayfile")
    openbox >/dev/null 2>&1 &
    started+=($!)
    for bus in session system; do
        dbus-daemon --session --nofork --address="unix:path=$scratch/$1.$bus" >/dev/null 2>&1 &
        started+=($!)
        [[ $bus == session ]] && session_daemon=$!
    done
    for _ in $(seq 100); do [[ -S $scratch/$1.session && -S $scratch/$1.system ]] && break; sleep 0.1; done
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$scratch/$1.session DBUS_SYSTEM_BUS_ADDRESS=unix:path=$scratch/$1.system
}

# "tid comm voluntary" for each thread of process $1.
# Threads that end meanwhile are left out.
switches() {
    for task in /proc/"$1"/task/*; do
        printf '%s %s %s\n' "${task##*/}" "$(tr ' ' '_' <"$task/comm")" \
            "$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$task/status")"
    done 2>/dev/null
}

# Wake-ups per second of each thread name of process $1 (threads of one name summed) over
# $seconds, and of the session bus daemon; one line "name rate" each.
wakeups() {
    local before after
    before=$(switches "$1"; echo "bus-daemon bus-daemon $(awk '/^voluntary_ctxt_switches/ { print $2 }' /proc/$session_daemon/status)")
    sleep "$seconds"
    after=$(switches "$1"; echo "bus-daemon bus-daemon $(awk '/^voluntary_ctxt_switches/ { print $2 }' /proc/$session_daemon/status)")
    awk -v seconds="$seconds" 'NR == FNR { was[$1] = $3; next }
        ($1 in was) { rate[$2] += ($3 - was[$1]) / seconds }
        END { for (name in rate) printf "%s %.2f\n", name, rate[name] }' <(echo "$before") <(echo "$after") | sort
}

results=$scratch/results
: >"$results"
run=0
for which in measured ${against:+against}; do
    folder=$build
    [[ $which == against ]] && folder=$against
    for tray in none watcher; do
        run=$((run + 1))
        use_home "home$run"
        start_desktop "$run"
        if [[ $tray == watcher ]]; then
            "$played" --watcher < <(sleep 100000) >"$scratch/played.$run" 2>&1 &
            started+=($!)
            for _ in $(seq 50); do grep -q "watcher on" "$scratch/played.$run" 2>/dev/null && break; sleep 0.1; done
        fi
        "$folder/src/quillmarsh" >"$scratch/app.$run.log" 2>&1 &
        app=$!
        started+=($app)
        window=""
        for _ in $(seq 150); do
            window=$(xdotool search --pid "$app" --onlyvisible 2>/dev/null | head -n 1)
            [[ -n $window ]] && break
            sleep 0.1
        done
        [[ -n $window ]] || { echo "$which, $tray: no window"; stop_all; continue; }
        sleep 8
        wakeups "$app" | sed "s/^/$which $tray dashboard /" >>"$results"
        xdotool windowminimize "$window" 2>/dev/null
        sleep 3
        wakeups "$app" | sed "s/^/$which $tray minimised /" >>"$results"
        stop_all
    done
done

echo "Wake-ups per second over ${seconds} s (voluntary context switches), per thread name"
echo "measured: $build${against:+; against: $against}"
printf "%-8s %-10s %-24s %10s %10s\n" "tray" "window" "thread" "measured" "against"
awk '{ key = $2 " " $3 " " $4; rate[$1, key] = $5; keys[key] = 1 }
    END {
        for (key in keys) {
            split(key, part, " ")
            m = ((("measured", key) in rate) ? rate["measured", key] : "-")
            a = ((("against", key) in rate) ? rate["against", key] : "-")
            printf "%-8s %-10s %-24s %10s %10s\n", part[1], part[2], part[3], m, a
        }
    }' "$results" | sort
