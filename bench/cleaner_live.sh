#!/usr/bin/env bash
# Live check of the Cleaner screen: fills a scratch home with files of every cleanup category and
# some that must stay, then starts the application on it under a virtual X display inside a
# network namespace with only loopback. Drive it with xdotool on DISPLAY=:$QM_LIVE_DISPLAY (default
# 218) and stop it with `kill` of the printed process id; afterwards `bench/cleaner_live.sh --report`
# lists what is in the scratch Trash and what stayed.
# Usage: bench/cleaner_live.sh [--report] [FOLDER]   (default build/cleaner-live; not under /tmp)
set -euo pipefail
cd "$(dirname "$0")/.."
report=no
[ "${1:-}" = "--report" ] && { report=yes; shift; }
[ $report = yes ] || scripts/install-packages python3 iproute2 xvfb xdotool
root=$(realpath -m "${1:-build/cleaner-live}")
home=$root/home tmp=$root/tmp
display=${QM_LIVE_DISPLAY:-218}

if [ $report = yes ]; then
  echo "In the Trash:"; (cd "$root/data/Trash/files" 2>/dev/null && find . -type f | sort) || true
  echo "Still in place:"; (cd "$root" && find home tmp -type f ! -path 'home/Projects/bulk/*' | sort)
  exit 0
fi

rm -rf "$root"
mkdir -p "$home" "$tmp" "$root/data" "$root/config" "$root/cache" "$root/state" "$root/runtime"
chmod 700 "$root/runtime"
file() { mkdir -p "$(dirname "$1")"; truncate -s "$2" "$1"; touch -d "$3 days ago" "$1"; }
file "$home/.cache/thumbnails/large/3f9a1c.png" 48M 3
file "$home/.cache/steam/shadercache/7d2e.bin" 310M 6
file "$home/Library/Logs/Launcher/content_log.txt" 12M 20
file "$home/Projects/engine/build/link.tmp" 30M 1
file "$tmp/render-cache.bin" 96M 2
file "$home/Downloads/GameInstaller.zip" 220M 2
file "$home/Documents/old-render.mov" 80M 45
file "$home/Videos/capture-2026-09.mkv" 700M 90
file "$home/Desktop/Backup.iso" 1600M 1
file "$home/Music/album.flac" 40M 1
file "$home/.ssh/id_ed25519" 2M 90
file "$home/Documents/notes.txt" 1M 200
# Enough small files that the scan lasts long enough to watch its progress.
python3 -c "
import os
for d in range(400):
    folder = '$home/Projects/bulk/d%d/e%d' % (d // 20, d)
    os.makedirs(folder)
    for f in range(1000):
        open('%s/f%d.txt' % (folder, f), 'w').close()
"

exec tools/common/loopback-only bash -c '
  ip link set lo up
  Xvfb :'"$display"' -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 & xvfb=$!
  trap "kill $xvfb 2>/dev/null" EXIT
  for _ in $(seq 50); do [ -S /tmp/.X11-unix/X'"$display"' ] && break; sleep 0.1; done
  env HOME='"$home"' XDG_DATA_HOME='"$root"'/data XDG_CONFIG_HOME='"$root"'/config XDG_CACHE_HOME='"$root"'/cache \
      XDG_STATE_HOME='"$root"'/state XDG_RUNTIME_DIR='"$root"'/runtime TMPDIR='"$tmp"' \
      DISPLAY=:'"$display"' QT_QPA_PLATFORM=xcb build/src/quillmarsh & app=$!
  echo "application: $app"
  wait $app
'
