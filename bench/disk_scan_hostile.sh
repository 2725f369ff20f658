#!/usr/bin/env bash
# Hostile-home check of the disk scanner. Builds a home folder full of traps (links to / and to
# other users' files, a bind mount and a separate file system inside it, names with newlines and
# leading dashes, keys in ~/.ssh, a fresh and a foreign file in the temporary folder), scans it with
# the Linux table, checks that exactly the allowed files are proposed, moves all of them to the
# Trash and checks that nothing else changed. Needs root for the mounts and the foreign owner; runs
# itself in private mount and network namespaces, so nothing it mounts is seen outside.
# Usage: bench/disk_scan_hostile.sh [FOLDER]   (default build/disk-scan-hostile; not under /tmp)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then
  echo "disk_scan_hostile.sh: needs root, for its mounts and the files it gives another owner; run it as root" >&2
  exit 1
fi
if [ -z "${QM_HOSTILE_INSIDE:-}" ]; then
  scripts/install-packages python3 iproute2
  exec env QM_HOSTILE_INSIDE=1 unshare --mount --net --propagation private "$0" "$@"
fi
ip link set lo up
tool=$PWD/build/bench/disk_scan_once
root=$(realpath -m "${1:-build/disk-scan-hostile}")
home=$root/home tmp=$root/tmp outside=$root/outside
other=4242
records=$root.records
rm -rf "$root" "$records"
mkdir -p "$home" "$tmp" "$outside" "$records"

file() { mkdir -p "$(dirname "$1")"; truncate -s "$2" "$1"; touch -d "$3 days ago" "$1"; }

allowed=(
  "$home/Documents/old report.bin"
  "$home/Downloads/installer.zip"
  "$home/Desktop/film.mkv"
  "$home/.cache/browser/blob.bin"
  "$home/Projects/build.log"
  "$home/"$'-rf\nnewline.log'
  "$home/Documents/--help.log"
  "$tmp/leftover.bin"
)
file "${allowed[0]}" 2M 30
file "${allowed[1]}" 3M 0
file "${allowed[2]}" 1600M 1
file "${allowed[3]}" 4M 0
file "${allowed[4]}" 5M 0
file "${allowed[5]}" 2M 90
file "${allowed[6]}" 2M 0
file "${allowed[7]}" 6M 2

file "$outside/precious.iso" 900M 90
file "$outside/sub/precious.log" 2M 90
file "$outside/theirs-elsewhere.log" 20M 90 && chown $other "$outside/theirs-elsewhere.log"
ln -s / "$home/root-link"
ln -s "$outside/precious.iso" "$home/Downloads/precious-link.iso"
ln -s "$outside" "$home/Documents/outside-link"
ln -s "$outside/theirs-elsewhere.log" "$home/Documents/theirs-link.log"
file "$home/Documents/theirs.bin" 20M 90 && chown $other "$home/Documents/theirs.bin"
file "$home/.ssh/id_ed25519" 2M 90
file "$home/.gnupg/secring.gpg" 2M 90
file "$home/.config/app/state.log" 2M 90
file "$home/.local/share/Trash/files/old.iso" 200M 90
file "$home/Documents/.hidden/secret.bin" 20M 90
file "$home/Library/Preferences/settings.log" 2M 90
mkdir -p "$home/bind" "$home/otherfs"
mount --bind "$outside" "$home/bind"
mount -t tmpfs -o size=64M none "$home/otherfs"
file "$home/otherfs/big.log" 20M 90
file "$tmp/fresh.bin" 6M 0
file "$tmp/theirs.bin" 6M 2 && chown $other "$tmp/theirs.bin"
file "$tmp/sub/nested.bin" 6M 2

# Files and links with their type, size, inode, owner and modification time; folders by name only,
# since moving a file out changes its folder's time.
snapshot() {
  find "$root" -path "$home/.local/share/Trash" -prune -o \( -type d -printf 'd %p\0' \) -o -printf '%y %s %i %U %T@ %p\0'
}
snapshot >"$records/before"
XDG_DATA_HOME=$home/.local/share HOME=$home "$tool" "$home" "$tmp" --move >"$records/proposed" 2>"$records/outcome"
snapshot >"$records/after"
cat "$records/outcome"

python3 - "$records" "${allowed[@]}" <<'PY'
import sys
records, allowed = sys.argv[1], sorted(sys.argv[2:])
def entries(name):
    return [e for e in open(f"{records}/{name}", "rb").read().decode().split("\0") if e]
proposed = sorted(entries("proposed"))
before, after = set(entries("before")), set(entries("after"))
gone = sorted(e.split(" ", 5)[-1] if not e.startswith("d ") else e for e in before - after)
added = sorted(after - before)
print(f"proposed {len(proposed)} of {len(allowed)} allowed files; {len(before)} entries before, {len(after)} after")
ok = True
for label, got, want in (("proposed", proposed, allowed), ("gone", gone, allowed), ("appeared", added, [])):
    if got != want:
        ok = False
        print(f"MISMATCH {label}:", [repr(p) for p in sorted(set(got) ^ set(want))])
print("OK: exactly the allowed files were proposed and moved; nothing else changed" if ok else "FAILED")
sys.exit(0 if ok else 1)
PY
echo "Trash now holds:"; ls -1 "$home/.local/share/Trash/files"; ls -1a "$tmp" | grep -i trash || true
umount "$home/bind" "$home/otherfs"
