#!/usr/bin/env bash
# scripts/first-run-check.sh [BUILD_DIR]
#
# Times a person's first run on a fresh Debian 12: a clone of this
# repository's committed HEAD in a debootstrap minbase system (the one
# scripts/package-check.sh keeps in BUILD_DIR/package-check/, made first if
# missing), where ./run.sh installs the packages, builds and saves its first
# picture offscreen. Prints the time of each part; the system is kept in
# BUILD_DIR/first-run/ until the next run. Needs root (chroot, mount).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=$(realpath "${1:-build}")
BASE="$BUILD/package-check/bookworm-minbase"
ROOT="$BUILD/first-run"

if [ ! -e "$BASE/.complete" ]; then
  mkdir -p "$BUILD/package-check"
  rm -rf "$BASE"
  debootstrap --variant=minbase bookworm "$BASE" http://deb.debian.org/debian \
    >"$BUILD/package-check/debootstrap.log" 2>&1
  touch "$BASE/.complete"
fi
rm -rf "$ROOT"
cp -a "$BASE" "$ROOT"
cp /etc/resolv.conf "$ROOT/etc/resolv.conf"
git clone -q "$PWD" "$ROOT/root/reflect-refract"
mount -t proc proc "$ROOT/proc"
trap 'umount "$ROOT/proc"' EXIT

in_root() {
  chroot "$ROOT" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    bash -c "cd /root/reflect-refract && $1"
}
# bash's `times` gives the processor time of what the command started.
start=$(date +%s)
in_root "./scripts/install-deps.sh"
packages=$(date +%s)
if ! in_root "./run.sh; code=\$?; times; exit \$code" >"$ROOT/run.log" 2>&1; then
  tail -20 "$ROOT/run.log" >&2
  exit 1
fi
finished=$(date +%s)
tail -4 "$ROOT/run.log"
echo "install-deps.sh: $((packages - start)) s"
echo "./run.sh after it (configure, build, first picture): $((finished - packages)) s" \
     "(user and sys time of it and its children: the last line above)"
