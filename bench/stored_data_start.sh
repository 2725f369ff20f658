#!/usr/bin/env bash
# Start-ups of the application on homes whose stored defaults are damaged or planted, beside a clean
# home. For each kind of home, built afresh for every run: the time from the exec to the first
# complete frame, the peak resident memory and the resident memory a second after that frame; then
# the same for the next start on that home. Medians of the runs, with their ratio to the clean
# home's first and next start, and what each home has kept aside at the end. Runs inside a network namespace with only
# the loopback interface, under a virtual X display with a window manager. It reports figures and
# never fails on one.
#
#   bench/stored_data_start.sh [build folder] [runs] [home kind...]
#
# The build folder (build by default) may also be a copy of one, with its bench/dashboard_probe and
# src/libqm_*.so. The kinds of home are clean, freeze-1m, file-400mb, freeze-10m, ai-100mb, ai-8mb
# and freeze-20k (all by default); the planted files are made once, in the build folder.
set -u

args=("$@")
build=$(realpath "${1:-build}")
runs=${2:-3}
kinds=("${@:3}")
((${#kinds[@]})) || kinds=(clean freeze-1m file-400mb freeze-10m ai-100mb ai-8mb freeze-20k)

if [[ -z "${QM_STORED_INSIDE:-}" ]]; then
    "$(dirname "$0")/../scripts/install-packages" xvfb xauth openbox iproute2 procps python3 || exit 1
    exec "$(dirname "$0")/../tools/common/loopback-only" env QM_STORED_INSIDE=1 xvfb-run -a -s "-noreset -screen 0 1440x900x24" "$0" "${args[@]}"
fi

ip link set lo up
probe=$build/bench/dashboard_probe
[[ -x $probe ]] || { echo "$probe is not built"; exit 0; }
export LD_LIBRARY_PATH=$build/src QT_QPA_PLATFORM=xcb
openbox >/dev/null 2>&1 &
wm=$!
scratch=$(mktemp -d)
trap 'kill $wm 2>/dev/null; rm -rf "$scratch"' EXIT
planted=$(dirname "$probe")/stored-data
mkdir -p "$planted"

# The defaults file of a kind of home, made once: Background Freeze records of many processes
# (start times no process has, so that no recovery resumes anything), a file of 400 MB, and random
# bytes as an assistant provider's settings.
plant() {
    local file=$planted/$1.json
    [[ $1 == clean || -s $file ]] && return
    python3 - "$1" "$file.part" <<'PY' && mv "$file.part" "$file"
import base64, os, sys
kind, path = sys.argv[1], sys.argv[2]
pids_key = "com.quillmarsh.backgroundFreeze.frozenProcessPIDs"
times_key = "com.quillmarsh.backgroundFreeze.frozenProcessStartTimes"
ai_key = "quillmarsh.aiConnect.settings.OpenAI"
def chunked(out, items, step=100_000):
    for i in range(0, len(items), step):
        out.write(("," if i else "") + ",".join(items[i:i + step]))
class Items:
    def __init__(self, count, form): self.count, self.form = count, form
    def __len__(self): return self.count
    def __getitem__(self, cut): return [self.form % (100_000 + p) for p in range(*cut.indices(self.count))]
with open(path, "w") as out:
    if kind.startswith("freeze-"):
        count = {"freeze-1m": 1_000_000, "freeze-10m": 10_000_000, "freeze-20k": 20_000}[kind]
        out.write('{"%s":{"array":[' % pids_key)
        chunked(out, Items(count, '{"integer":%d}'))
        out.write(']},"%s":{"dictionary":{' % times_key)
        chunked(out, Items(count, '"%d":{"integer":999999999999}'))
        out.write("}}}")
    elif kind == "file-400mb":
        out.write('{"padding":{"string":"')
        for _ in range(400):
            out.write("x" * 1_000_000)
        out.write('"}}')
    else:
        size = {"ai-100mb": 100_000_000, "ai-8mb": 8_000_000}[kind]
        out.write('{"%s":{"data":"%s"}}' % (ai_key, base64.b64encode(os.urandom(size)).decode()))
PY
}

# A fresh home whose welcome is done (the stored setup flag is a file named by its key's hash),
# holding the defaults file of its kind.
use_home() {
    local home=$scratch/$1
    rm -rf "$home"
    export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share
    export XDG_CACHE_HOME=$home/.cache XDG_STATE_HOME=$home/.local/state
    local secure=$XDG_DATA_HOME/Quillmarsh/.secure
    mkdir -p "$secure" "$XDG_CONFIG_HOME/Quillmarsh" && chmod 700 "$XDG_DATA_HOME/Quillmarsh" "$secure" "$XDG_CONFIG_HOME/Quillmarsh"
    printf true >"$secure/$(printf '%s' 'com.quillmarsh.secure|setup_complete' | sha256sum | cut -d' ' -f1).bin"
    [[ $1 == clean ]] || cp "$planted/$1.json" "$XDG_CONFIG_HOME/Quillmarsh/defaults.json"
}

# One start on the current home: "milliseconds peak-MiB held-MiB", or dashes when no frame came
# within two minutes.
start_once() {
    local out
    out=$(mktemp "$scratch/probe.XXXXXX")
    local start
    start=$(date +%s%N)
    "$probe" app >"$out" 2>/dev/null &
    local pid=$! frame=""
    for _ in $(seq 2400); do
        frame=$(sed -n 's/^first-frame //p' "$out")
        [[ -n $frame ]] || ! kill -0 $pid 2>/dev/null && break
        sleep 0.05
    done
    sleep 1
    local hwm rss
    hwm=$(awk '/^VmHWM:/ { printf "%.0f", $2 / 1024 }' /proc/$pid/status 2>/dev/null)
    rss=$(awk '/^VmRSS:/ { printf "%.0f", $2 / 1024 }' /proc/$pid/status 2>/dev/null)
    kill $pid 2>/dev/null
    wait $pid 2>/dev/null
    if [[ -n $frame ]]; then echo "$(((frame - start) / 1000000)) ${hwm:--} ${rss:--}"; else echo "- - -"; fi
}

median() { tr ' ' '\n' | grep -E '^[0-9]+$' | sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print "-" }'; }
ratio() { [[ $1 =~ ^[0-9]+$ && $2 =~ ^[1-9][0-9]*$ ]] && awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }' || echo "-"; }

echo "build: $build, $runs runs, load average $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-11s | %-26s | %-26s | %s\n' home "first start: ms (x clean)" "next start: ms (x clean)" \
    "first peak/held MiB, next peak/held MiB; kept aside"
clean_ms="" clean_next_ms=""
for kind in "${kinds[@]}"; do
    plant "$kind"
    first=() next=()
    for ((run = 0; run < runs; run++)); do
        use_home "$kind"
        first+=("$(start_once)")
        next+=("$(start_once)")
    done
    column() { local -n rows=$1; printf '%s\n' "${rows[@]}" | awk -v c="$2" '{ printf "%s ", $c }' | median; }
    f_ms=$(column first 1) n_ms=$(column next 1)
    [[ $kind == clean ]] && clean_ms=$f_ms clean_next_ms=$n_ms
    aside=$(find "$XDG_CONFIG_HOME/Quillmarsh" -maxdepth 1 -name 'defaults.json.unreadable-*' -printf '%s\n' |
        awk '{ n++; s += $1 } END { printf "%d, %.1f MB", n, s / 1e6 }')
    printf '%-11s | %6s (%5s)  [%s] | %6s (%5s)  [%s] | %s/%s, %s/%s; %s\n' "$kind" \
        "$f_ms" "$(ratio "$f_ms" "$clean_ms")" "$(printf '%s ' "${first[@]%% *}" | xargs)" \
        "$n_ms" "$(ratio "$n_ms" "$clean_next_ms")" "$(printf '%s ' "${next[@]%% *}" | xargs)" \
        "$(column first 2)" "$(column first 3)" "$(column next 2)" "$(column next 3)" "$aside"
done
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
