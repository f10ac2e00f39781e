#!/usr/bin/env python3
"""check_deb.py PACKAGE.deb: what the Debian package must hold, and how.

check_deb.py --png-size N PICTURE.png: the file is an N x N PNG.

Checks each entry of a table of paths (mode, kind), that every program is
stripped and has a gzipped manual page (gzip -9n: no name, no time stamp),
that each icon is a PNG of its folder's size, that nothing is owned by
anyone but root or writable by anyone else, and that the changelog's version
is the package's."""
import gzip
import os
import re
import struct
import subprocess
import sys
import tempfile

APP_ID = "io.github.reflect_refract.ReflectRefract"
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
PROGRAMS = ("reflect-refract", "smdinfo", "smd2gltf")
DATA = "usr/share/reflect-refract"

# Path in the package, its mode.
EXPECTED = [(f"usr/bin/{p}", 0o755) for p in PROGRAMS] + [
    (f"usr/share/man/man1/{p}.1.gz", 0o644) for p in PROGRAMS] + [
    (f"usr/share/applications/{APP_ID}.desktop", 0o644),
    (f"usr/share/metainfo/{APP_ID}.metainfo.xml", 0o644),
    (f"usr/share/mime/packages/{APP_ID}.xml", 0o644),
    ("usr/share/thumbnailers/reflect-refract.thumbnailer", 0o644),
    (f"usr/share/icons/hicolor/scalable/apps/{APP_ID}.svg", 0o644),
    ("usr/share/doc/reflect-refract/copyright", 0o644),
    ("usr/share/doc/reflect-refract/changelog.Debian.gz", 0o644),
    (f"{DATA}/Shaders/ReflectionOrRefraction.fx", 0o644),
    (f"{DATA}/Textures/Snow.dds", 0o644),
    (f"{DATA}/Model/SMD/Pudo_Red/Ref_Red.smd", 0o644),
    (f"{DATA}/Model/SMD/Pudo_Red/Red_Skin.bmp", 0o644),
    (f"{DATA}/Model/SMD/Lantern Squid/Ref Squid.smd", 0o644),
] + [(f"usr/share/icons/hicolor/{s}x{s}/apps/{APP_ID}.png", 0o644) for s in ICON_SIZES]


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def gzip_problem(path):
    """What is wrong with a gzip file for Debian (None when nothing)."""
    with open(path, "rb") as f:
        head = f.read(10)
    if head[:2] != b"\x1f\x8b":
        return "not gzip"
    if head[3] & 0x08:
        return "holds the original file name (gzip -n)"
    if head[4:8] != b"\0\0\0\0":
        return "holds a time stamp (gzip -n)"
    if head[8] != 2:
        return "not compressed at the highest level (gzip -9)"
    gzip.open(path).read()
    return None


def listing(deb):
    """Path -> (mode, owner, kind) from dpkg-deb's list of the data archive."""
    out = subprocess.run(["dpkg-deb", "--fsys-tarfile", deb], check=True, capture_output=True)
    tar = subprocess.run(["tar", "-tvf", "-", "--numeric-owner"], input=out.stdout,
                         check=True, capture_output=True).stdout.decode()
    entries = {}
    for line in tar.splitlines():
        m = re.match(r"(\S)(\S{9}) (\d+)/(\d+)\s+\d+ \S+ \S+ \./(.*)$", line)
        if not m:
            raise SystemExit(f"cannot read the listing line {line!r}")
        kind, perms, uid, gid, path = m.groups()
        mode = 0
        for i, c in enumerate(perms):
            if c != "-":
                mode |= 1 << (8 - i)
        if "s" in perms or "S" in perms or "t" in perms:
            mode |= 0o7000
        entries[path.rstrip("/")] = (mode, (int(uid), int(gid)), kind)
    return entries


def check_deb(deb):
    problems = []
    entries = listing(deb)
    for path, mode in EXPECTED:
        if path not in entries:
            problems.append(f"{path}: missing")
        elif entries[path][0] != mode or entries[path][2] != "-":
            problems.append(f"{path}: mode {entries[path][0]:o}, expected a file of {mode:o}")
    for path, (mode, owner, kind) in entries.items():
        if owner != (0, 0):
            problems.append(f"{path}: owned by {owner}, not root")
        if mode & 0o7022:
            problems.append(f"{path}: mode {mode:o} (writable by others or set-id)")
        if kind == "d" and mode != 0o755:
            problems.append(f"{path}/: mode {mode:o}, folders are 755")
        if path.startswith("usr/bin/") and kind == "-":
            name = path[len("usr/bin/"):]
            if f"usr/share/man/man1/{name}.1.gz" not in entries:
                problems.append(f"{path}: no manual page")

    version = subprocess.run(["dpkg-deb", "-f", deb, "Version"], check=True,
                             capture_output=True, text=True).stdout.strip()
    with tempfile.TemporaryDirectory() as root:
        subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
        for path, (_, _, kind) in entries.items():
            full = os.path.join(root, path)
            if path.endswith(".gz") and kind == "-":
                problem = gzip_problem(full)
                if problem:
                    problems.append(f"{path}: {problem}")
            if path.startswith("usr/bin/") and kind == "-":
                sections = subprocess.run(["readelf", "-S", "-W", full], check=True,
                                          capture_output=True, text=True).stdout
                if ".debug_info" in sections or ".symtab" in sections:
                    problems.append(f"{path}: not stripped")
        for size in ICON_SIZES:
            full = os.path.join(root, f"usr/share/icons/hicolor/{size}x{size}/apps/{APP_ID}.png")
            if os.path.exists(full) and png_size(full) != (size, size):
                problems.append(f"{full}: {png_size(full)}, expected {size} x {size} PNG")
        changelog = os.path.join(root, "usr/share/doc/reflect-refract/changelog.Debian.gz")
        if os.path.exists(changelog):
            top = gzip.open(changelog).readline().decode()
            if f"reflect-refract ({version})" not in top:
                problems.append(f"changelog starts with {top.strip()!r}, the package is {version}")
    return problems


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--png-size":
        size = int(sys.argv[2])
        got = png_size(sys.argv[3])
        if got != (size, size):
            sys.exit(f"{sys.argv[3]}: {got}, expected a {size} x {size} PNG")
        return
    if len(sys.argv) != 2:
        sys.exit("usage: check_deb.py PACKAGE.deb | --png-size N PICTURE.png")
    problems = check_deb(sys.argv[1])
    for problem in problems:
        print(f"check_deb: {problem}", file=sys.stderr)
    if problems:
        sys.exit(1)
    print(f"check_deb: {len(EXPECTED)} expected files and every entry's owner and mode hold")


if __name__ == "__main__":
    main()
