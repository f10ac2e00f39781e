#!/usr/bin/env python3
"""desktop_test.py CASE SOURCE_DIR BUILD_DIR

desktop_files: the desktop entry, the metainfo and the MIME package pass
    their validators, name one application id, and the desktop entry and
    the thumbnailer open the type the MIME package defines.
file_type: files typed by the MIME package (installed into a database of
    our own) with gio, by name and by content, against a table.
icons: each PNG icon is its size with a transparent corner and the
    character in the middle; the SVG drawn at 64 pixels shows the character
    where the 64-pixel PNG does, at its size (the PNGs are the program's own
    picture through the effect, the SVG iconmaker's flat drawing in the
    textures' colours, so their outlines are compared, not their colours)."""
import configparser
import os
import re
import subprocess
import sys
import tempfile

APP_ID = "io.github.reflect_refract.ReflectRefract"
SMD_TYPE = "model/x-smd"


def run(*args, **kwargs):
    return subprocess.run(args, capture_output=True, text=True, **kwargs)


def desktop_files(source, build):
    folder = os.path.join(source, "data/desktop")
    desktop = os.path.join(folder, f"{APP_ID}.desktop")
    metainfo = os.path.join(folder, f"{APP_ID}.metainfo.xml")
    mime = os.path.join(folder, f"{APP_ID}.xml")
    problems = []
    for command in (["desktop-file-validate", desktop],
                    ["appstreamcli", "validate", "--no-net", metainfo]):
        result = run(*command)
        if result.returncode != 0 or re.search(r"^[EW]:|error|warning", result.stdout, re.M):
            problems.append(f"{' '.join(command)}:\n{result.stdout}{result.stderr}")

    def entry(path, group):
        parser = configparser.ConfigParser(interpolation=None, strict=True)
        parser.optionxform = str
        parser.read(path)
        return parser[group]

    app = entry(desktop, "Desktop Entry")
    thumbnailer = entry(os.path.join(folder, "reflect-refract.thumbnailer"), "Thumbnailer Entry")
    meta = open(metainfo).read()
    mime_xml = open(mime).read()
    checks = [
        ("desktop Exec opens the files a file manager hands over",
         app["Exec"] == "reflect-refract %F"),
        ("desktop Icon is the application id", app["Icon"] == APP_ID),
        ("desktop MimeType names the SMD type", SMD_TYPE in app["MimeType"].split(";")),
        ("thumbnailer runs the program's --thumbnail SIZE IN OUT",
         thumbnailer["Exec"] == "reflect-refract --thumbnail %s %i %o"),
        ("thumbnailer MimeType names the SMD type",
         SMD_TYPE in thumbnailer["MimeType"].split(";")),
        ("metainfo id is the application id", f"<id>{APP_ID}</id>" in meta),
        ("metainfo launches the desktop entry",
         f'<launchable type="desktop-id">{APP_ID}.desktop</launchable>' in meta),
        ("metainfo provides the SMD type", f"<mediatype>{SMD_TYPE}</mediatype>" in meta),
        ("MIME package defines the SMD type with the application's icon",
         f'<mime-type type="{SMD_TYPE}">' in mime_xml and f'<icon name="{APP_ID}"/>' in mime_xml),
    ]
    version = re.search(r'kProgramVersion\[\] = "([^"]+)"',
                        open(os.path.join(source, "src/app/version.h")).read()).group(1)
    checks.append(("metainfo's newest release is the program's version",
                   re.search(r'<release version="([^"]+)"', meta).group(1) == version))
    problems += [name for name, holds in checks if not holds]
    return problems


# (file name, contents, expected type). Other types claim *.smd too; a
# name without .smd is typed by its contents alone.
TYPE_CASES = [
    ("ref.smd", b"version 1\nnodes\n", SMD_TYPE),
    ("ref", b"version 1\nnodes\n", SMD_TYPE),
    ("upper", b"VERSION 1\r\nnodes\r\n", SMD_TYPE),
    ("mixed", b"Version\t1\n", SMD_TYPE),
    ("blank_lines", b"\n\nversion 1\n", SMD_TYPE),
    ("blank_crlf_lines", b"\r\n\r\nversion 1\r\n", SMD_TYPE),
    ("indented", b"  version 1\n", SMD_TYPE),
    ("version_2", b"version 2\n", "text/plain"),
    ("version_10", b"version 10\n", "text/plain"),
    ("later_line", b"nodes\nversion 1\n", "text/plain"),
    ("comment", b"# version 1\n", "text/plain"),
    ("notes.txt", b"version 1\n", "text/plain"),
    # A Mega Drive ROM keeps its own type under the shared extension.
    ("game.smd", bytes(256) + b"SEGA GENESIS    " + bytes(400), "application/x-genesis-rom"),
]


def file_type(source, build):
    problems = []
    with tempfile.TemporaryDirectory() as home:
        packages = os.path.join(home, "mime/packages")
        os.makedirs(packages)
        with open(os.path.join(source, f"data/desktop/{APP_ID}.xml"), "rb") as f:
            xml = f.read()
        with open(os.path.join(packages, f"{APP_ID}.xml"), "wb") as f:
            f.write(xml)
        env = dict(os.environ, XDG_DATA_HOME=home)
        result = run("update-mime-database", os.path.join(home, "mime"), env=env)
        if result.returncode != 0 or result.stderr.strip():
            return [f"update-mime-database: {result.stderr}"]
        for name, contents, expected in TYPE_CASES:
            path = os.path.join(home, name)
            with open(path, "wb") as f:
                f.write(contents)
            out = run("gio", "info", "-a", "standard::content-type", path, env=env).stdout
            got = re.search(r"standard::content-type: (\S+)", out)
            got = got.group(1) if got else out
            if got != expected:
                problems.append(f"{name} {contents[:24]!r}: {got}, expected {expected}")
    return problems


def png_pixels(path):
    """(width, height, rows of RGBA tuples) through ImageMagick."""
    out = subprocess.run(["convert", path, "-depth", "8", "rgba:-"], check=True,
                         capture_output=True).stdout
    size = run("identify", "-format", "%w %h", path).stdout.split()
    w, h = int(size[0]), int(size[1])
    return w, h, [[tuple(out[(y * w + x) * 4:(y * w + x) * 4 + 4]) for x in range(w)]
                  for y in range(h)]


def icons(source, build):
    problems = []
    hicolor = os.path.join(build, "icons/hicolor")
    for size in (16, 22, 24, 32, 48, 64, 128, 256):
        path = os.path.join(hicolor, f"{size}x{size}/apps/{APP_ID}.png")
        if not os.path.exists(path):
            problems.append(f"{path}: missing")
            continue
        w, h, rows = png_pixels(path)
        if (w, h) != (size, size):
            problems.append(f"{path}: {w} x {h}")
        elif rows[0][0][3] != 0 or rows[size // 2][size // 2][3] != 255:
            problems.append(f"{path}: corner alpha {rows[0][0][3]}, "
                            f"middle alpha {rows[size // 2][size // 2][3]}")
    svg = os.path.join(hicolor, f"scalable/apps/{APP_ID}.svg")
    with tempfile.TemporaryDirectory() as scratch:
        drawn = os.path.join(scratch, "svg64.png")
        result = run("rsvg-convert", "-w", "64", "-h", "64", svg, "-o", drawn)
        if result.returncode != 0:
            return problems + [f"rsvg-convert {svg}: {result.stderr}"]
        png = os.path.join(hicolor, f"64x64/apps/{APP_ID}.png")
        boxes = [outline(path) for path in (drawn, png)]
        if None in boxes:
            return problems + [f"{svg} or {png}: nothing drawn"]
        (x0, y0, x1, y1), (u0, v0, u1, v1) = boxes
        centre = max(abs((x0 + x1) - (u0 + u1)), abs((y0 + y1) - (v0 + v1))) / 2
        scale = (y1 - y0) / (v1 - v0)
        if centre > 3 or not 0.8 < scale < 1.25:
            problems.append(f"{svg} at 64 px: outline {boxes[0]}, the PNG's {boxes[1]}")
    return problems


def outline(path):
    """The box (x0, y0, x1, y1) of the pixels more than half opaque."""
    w, h, rows = png_pixels(path)
    points = [(x, y) for y in range(h) for x in range(w) if rows[y][x][3] > 127]
    if not points:
        return None
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return min(xs), min(ys), max(xs) + 1, max(ys) + 1


def main():
    case, source, build = sys.argv[1:4]
    problems = {"desktop_files": desktop_files, "file_type": file_type, "icons": icons}[case](
        source, build)
    for problem in problems:
        print(f"{case}: {problem}", file=sys.stderr)
    if problems:
        sys.exit(1)
    print(f"{case}: all hold")


if __name__ == "__main__":
    main()
