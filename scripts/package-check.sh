#!/usr/bin/env bash
# scripts/package-check.sh [--no-install] [BUILD_DIR]
#
# Builds the Debian package from BUILD_DIR (default build/, configured by
# run.sh or test.sh) and checks it:
#   1. what it holds: files, modes, owners, stripped programs, gzipped manual
#      pages, icon sizes (tests/packaging/check_deb.py);
#   2. lintian: no error and no warning;
#   3. desktop-file-validate and appstreamcli validate on the installed files;
#   4. unless --no-install: `apt-get install` of the package into a scratch
#      Debian 12 made by debootstrap (minbase: none of the build packages),
#      then the programs run there from /.
# The debootstrap system is made once and kept in BUILD_DIR/package-check/
# (with the packages apt downloaded), so later runs copy it and install
# from there in about a minute; the system of the last install stays in
# BUILD_DIR/package-check/root. Needs root (debootstrap, chroot, mount).
set -euo pipefail
cd "$(dirname "$0")/.."

INSTALL=1
if [ "${1:-}" = --no-install ]; then INSTALL=0; shift; fi
BUILD=$(realpath "${1:-build}")
CHECK="$BUILD/package-check"
MIRROR=http://deb.debian.org/debian
SUITE=bookworm

step() { echo "== package-check: $*"; }
fail() { echo "package-check: $*" >&2; exit 1; }

step "building the package"
cmake --build "$BUILD" --target rr_installed -j"$(nproc)" >/dev/null
rm -f "$BUILD"/package/*.deb
(cd "$BUILD" && cpack --config CPackConfig.cmake >/dev/null)
DEBS=("$BUILD"/package/reflect-refract_*_amd64.deb)
[ ${#DEBS[@]} -eq 1 ] && [ -f "${DEBS[0]}" ] || fail "expected one .deb in $BUILD/package"
DEB=${DEBS[0]}
echo "$DEB"

step "contents"
python3 tests/packaging/check_deb.py "$DEB"

step "lintian"
# Info tags are shown, errors and warnings fail.
lintian --display-info --fail-on error,warning "$DEB"

step "validators"
UNPACKED=$(mktemp -d)
trap 'rm -rf "$UNPACKED"' EXIT
dpkg-deb -x "$DEB" "$UNPACKED"
desktop-file-validate "$UNPACKED"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$UNPACKED"/usr/share/metainfo/*.metainfo.xml

[ "$INSTALL" = 1 ] || exit 0

step "install into a scratch Debian 12 ($SUITE, debootstrap minbase)"
BASE="$CHECK/$SUITE-minbase"
ROOT="$CHECK/root"
ARCHIVES="$CHECK/apt-archives"
mkdir -p "$CHECK" "$ARCHIVES"
if [ ! -e "$BASE/.complete" ]; then
  rm -rf "$BASE"
  debootstrap --variant=minbase "$SUITE" "$BASE" "$MIRROR" >"$CHECK/debootstrap.log" 2>&1 ||
    fail "debootstrap failed, see $CHECK/debootstrap.log"
  touch "$BASE/.complete"
fi
# The last run's system is kept to look into until this one starts (its
# /proc is unmounted first, should a run have stopped with it mounted).
if mountpoint -q "$ROOT/proc" 2>/dev/null; then umount "$ROOT/proc"; fi
rm -rf "$ROOT"
cp -a "$BASE" "$ROOT"
cp /etc/resolv.conf "$ROOT/etc/resolv.conf"
# A throwaway system: dpkg need not sync each file it unpacks.
echo force-unsafe-io >"$ROOT/etc/dpkg/dpkg.cfg.d/unsafe-io"
# Packages downloaded by earlier runs are taken from the cache; apt only
# fetches what is newer.
cp -n "$ARCHIVES"/*.deb "$ROOT/var/cache/apt/archives/" 2>/dev/null || true
cp "$DEB" "$ROOT/tmp/"
in_root() { chroot "$ROOT" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }
in_root apt-get update -qq
# Without recommended packages: what the package depends on must be enough.
if ! in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
       "/tmp/$(basename "$DEB")" >"$CHECK/apt-install.log" 2>&1; then
  tail -20 "$CHECK/apt-install.log" >&2
  fail "apt-get install failed, see $CHECK/apt-install.log"
fi
cp -n "$ROOT"/var/cache/apt/archives/*.deb "$ARCHIVES/" 2>/dev/null || true

for program in reflect-refract smdinfo smd2gltf; do
  if in_root ldd "/usr/bin/$program" | grep -q "not found"; then
    in_root ldd "/usr/bin/$program" >&2
    fail "$program needs a library the package does not bring"
  fi
done
in_root sh -c 'cd / && reflect-refract --version'
MODEL=/usr/share/reflect-refract/Model/SMD/Pudo_Red/Ref_Red.smd
in_root sh -c "cd / && smdinfo $MODEL" >"$CHECK/smdinfo.json"
python3 -c 'import json, sys; r = json.load(open(sys.argv[1])); assert r, "empty report"' \
  "$CHECK/smdinfo.json" || fail "smdinfo printed no JSON report"
echo "smdinfo: $(wc -c <"$CHECK/smdinfo.json") bytes of JSON for $MODEL"

# The thumbnail the file manager's thumbnailer asks for: drawn with no
# display, through EGL, in the scratch system, from /. The program finds its
# files from its own path, which it reads in /proc.
mount -t proc proc "$ROOT/proc"
trap 'umount "$ROOT/proc"; rm -rf "$UNPACKED"' EXIT
in_root sh -c "cd / && reflect-refract --thumbnail 256 $MODEL /tmp/t.png"
python3 tests/packaging/check_deb.py --png-size 256 "$ROOT/tmp/t.png"
step "installed and ran in $ROOT"
