#!/usr/bin/env python3
"""End-to-end tests of reflect-refract: the real program in a copy of its run
folder (or in another folder, or installed), on the current X display,
driven with xdotool and signals and judged on screenshots of its window, on
its message boxes, on its stderr and on its exit code.

Pictures are compared by regions and counts with stated tolerances, never
pixel-exact: the character animates every frame.
"""
import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

import struct

TITLE = "[Tesnal] Reflection/Refraction for HLSL"
TITLE_PATTERN = "^\\[Tesnal\\] Reflection/Refraction for HLSL$"
WIDTH, HEIGHT = 800, 600
HUD_BOTTOM = 150  # the seven HUD lines end at y = 150
ARGS = None
WESTON_SEAT = None  # the tests' Weston module that makes an input seat


def run(*command, check=True):
    return subprocess.run(command, check=check, capture_output=True, text=True).stdout


class Image:
    def __init__(self, width, height, pixels):
        self.width, self.height, self.pixels = width, height, pixels

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return self.pixels[i], self.pixels[i + 1], self.pixels[i + 2]

    def count(self, predicate, box=None):
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        n = 0
        for y in range(y0, y1):
            row = (y * self.width) * 3
            for x in range(x0, x1):
                i = row + x * 3
                if predicate(self.pixels[i], self.pixels[i + 1], self.pixels[i + 2]):
                    n += 1
        return n

    def save(self, path):
        with open(path, "wb") as f:
            f.write(b"P6\n%d %d\n255\n" % (self.width, self.height))
            f.write(self.pixels)


def ppm_image(data):
    """An Image from a binary PPM: magic, width, height, maximum, then the bytes."""
    fields, offset = [], 0
    while len(fields) < 4:
        while data[offset:offset + 1].isspace():
            offset += 1
        end = offset
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[offset:end])
        offset = end
    return Image(int(fields[1]), int(fields[2]), data[offset + 1:])


def load_picture(path):
    return ppm_image(run_bytes("convert", path, "-depth", "8", "ppm:-"))


def run_bytes(*command):
    return subprocess.run(command, check=True, capture_output=True).stdout


def differing(a, b, box, tolerance=24):
    """Pixels in box whose colour differs by more than tolerance in a channel."""
    x0, y0, x1, y1 = box
    n = 0
    for y in range(y0, y1):
        for x in range(x0, x1):
            i = (y * a.width + x) * 3
            if (abs(a.pixels[i] - b.pixels[i]) > tolerance
                    or abs(a.pixels[i + 1] - b.pixels[i + 1]) > tolerance
                    or abs(a.pixels[i + 2] - b.pixels[i + 2]) > tolerance):
                n += 1
    return n


def changed_box(a, b, box, tolerance=24):
    """Bounding box of the pixels in box that differ between a and b."""
    x0, y0, x1, y1 = box
    xs, ys = [], []
    for y in range(y0, y1):
        for x in range(x0, x1):
            i = (y * a.width + x) * 3
            if max(abs(a.pixels[i + k] - b.pixels[i + k]) for k in range(3)) > tolerance:
                xs.append(x)
                ys.append(y)
    if not xs:
        return None
    return min(xs), min(ys), max(xs) + 1, max(ys) + 1


def distance_from_sky(shot, sky, box):
    """Mean colour distance (sum over the channels) from the bare sky in box:
    a solid character covers the sky, a wireframe one lets it show between
    its lines."""
    x0, y0, x1, y1 = box
    total = 0
    for y in range(y0, y1):
        for x in range(x0, x1):
            i = (y * shot.width + x) * 3
            total += (abs(shot.pixels[i] - sky.pixels[i]) + abs(shot.pixels[i + 1] - sky.pixels[i + 1])
                      + abs(shot.pixels[i + 2] - sky.pixels[i + 2]))
    return total / ((x1 - x0) * (y1 - y0))


def visible_windows(pattern):
    """Ids of the mapped top-level windows whose name matches pattern. The
    window tree is read with xwininfo: xdotool does not see names stored only
    as UTF-8 strings, as SDL's message boxes store theirs."""
    found = []
    for line in run("xwininfo", "-root", "-children", check=False).splitlines():
        match = re.match(r'\s*(0x[0-9a-f]+) "(.*)":', line)
        if not match or not re.search(pattern, match.group(2)):
            continue
        info = run("xwininfo", "-id", match.group(1), check=False)
        if "IsViewable" in info:
            found.append(str(int(match.group(1), 16)))
    return found


def is_cyan(r, g, b):
    return r < 80 and g > 170 and b > 170


def is_clear_blue(r, g, b):
    return r == 0 and g == 0 and b == 255


def is_magenta(r, g, b):
    return r > 230 and g < 40 and b > 230


def is_red(r, g, b):
    return r > 200 and g < 60 and b < 60


SQUID = os.path.join("Model", "SMD", "Lantern Squid")
SQUID_CLIPS = ("Ani Squid (Swim).smd", "Ani Squid (Strike).smd", "Ani Squid (Look Around).smd")
WORM = os.path.join("Model", "SMD", "Puddle Worm")
EFFECT = os.path.join("Shaders", "ReflectionOrRefraction.fx")
GOLDEN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "golden", "default_scene.png")
# Effects written the Direct3D 9 way (NAME.d3d9.fx), each with an equivalent
# in the newer syntax (NAME.today.fx).
D3D9_EFFECTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "effects")
ALERT_LINE = (0, HUD_BOTTOM, 500, HUD_BOTTOM + 20)  # the watch mode's red line


def effect_text(model_colour=None, broken=False):
    """The program's effect; with model_colour its pass 1 paints the
    character flat in that colour, broken it does not compile."""
    with open(os.path.join(ARGS.run_dir, EFFECT)) as f:
        text = f.read()
    if model_colour:
        text = text.replace("return float4(saturate(color), 1.0);",
                            "return float4(%s, 1.0);" % model_colour)
    if broken:
        text = text.replace("float3 n = normalize(normal);", "float3 n = normalize(normal) + notDeclared;")
    return text


def write_cube_dds(path, colours, size=16):
    """A cube map of six flat faces (+X, -X, +Y, -Y, +Z, -Z), A8R8G8B8."""
    header = struct.pack("<4sIIIIIII44x", b"DDS ", 124, 0x100F, size, size, size * 4, 0, 1)
    header += struct.pack("<8I", 32, 0x41, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000)
    header += struct.pack("<5I", 0x1008, 0xFE00, 0, 0, 0)  # a cube map with all six faces
    with open(path, "wb") as f:
        f.write(header + b"".join(bytes((b, g, r, 255)) * (size * size) for r, g, b in colours))


def largest_channel_difference(a, b, box):
    """The largest difference of one channel between a and b in box, and how
    many pixels differ by more than 2."""
    x0, y0, x1, y1 = box
    largest, over = 0, 0
    for y in range(y0, y1):
        row = y * a.width * 3
        for i in range(row + x0 * 3, row + x1 * 3):
            d = abs(a.pixels[i] - b.pixels[i])
            if d > largest:
                largest = d
            if d > 2:
                over += 1
    return largest, over
# Six flat faces (+X, -X, +Y, -Y, +Z, -Z): looking along +Z the sky beside the
# character is the orange one.
FACES = ((200, 40, 40), (40, 200, 40), (40, 40, 200), (200, 200, 40), (230, 120, 20), (90, 90, 90))


def bounding_box(shot, predicate):
    xs, ys = [], []
    for y in range(shot.height):
        for x in range(shot.width):
            if predicate(*shot.at(x, y)):
                xs.append(x)
                ys.append(y)
    return (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if xs else None


class Program:
    """The program started in a fresh copy of the run folder, or, with
    cwd, started there as it is."""

    def __init__(self, remove=(), replace=None, env=None, cwd=None, program=None, args=()):
        self.folder = tempfile.mkdtemp(prefix="rr_e2e_")
        if cwd is None:
            self.copy_run_folder(remove, replace or {})
        # A debug GL context: every GL error the program causes is printed.
        # The display is the test's X display only: no Wayland, no driver choice.
        environment = dict(os.environ, RR_GL_DEBUG="1")
        for name in ("WAYLAND_DISPLAY", "WAYLAND_SOCKET", "SDL_VIDEODRIVER"):
            environment.pop(name, None)
        for name, value in (env or {}).items():
            if value is None:
                environment.pop(name, None)
            else:
                environment[name] = value
        self.process = subprocess.Popen([program or ARGS.program] + list(args), cwd=cwd or self.folder,
                                        env=environment, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE)
        self.window = None
        self.errors = None

    def copy_run_folder(self, remove, replace):
        for root, _, files in os.walk(ARGS.run_dir):
            relative = os.path.relpath(root, ARGS.run_dir)
            os.makedirs(os.path.join(self.folder, relative), exist_ok=True)
            for name in files:
                path = os.path.normpath(os.path.join(relative, name))
                if path in remove or name == os.path.basename(ARGS.program):
                    continue
                target = os.path.join(self.folder, path)
                if path in replace:
                    with open(target, "w") as f:
                        f.write(replace[path])
                else:
                    os.symlink(os.path.abspath(os.path.join(root, name)), target)

    def find_window(self, pattern=TITLE_PATTERN, timeout=20.0):
        end = time.time() + timeout
        while True:
            ids = visible_windows(pattern)
            if ids:
                return ids[0]
            if time.time() >= end:
                return None
            if self.process.poll() is not None:
                return None
            time.sleep(0.1)

    def start(self):
        self.window = self.find_window()
        if self.window is None:
            raise AssertionError("the window did not appear; stderr: " + self.stderr_text())
        run("xdotool", "windowfocus", "--sync", self.window, check=False)
        self.wait_for_hud()
        time.sleep(0.5)  # a few frames more
        return self.window

    def wait_for_hud(self, timeout=60.0):
        """The first frame (effect compiled, model loaded) draws the HUD; a
        loaded machine or a sanitizer build takes a while to get there."""
        end = time.time() + timeout
        while self.screenshot().count(is_cyan, (0, 10, 300, 30)) <= 30:
            if time.time() >= end or self.process.poll() is not None:
                raise AssertionError("no frame was drawn; stderr: " + self.stderr_text())
            time.sleep(0.2)

    def screenshot(self, name=None):
        image = ppm_image(subprocess.run(["import", "-window", self.window, "-depth", "8", "ppm:-"],
                                         check=True, capture_output=True).stdout)
        if name:
            image.save(os.path.join(self.folder, name + ".ppm"))
        return image

    def key(self, *keys, delay=0.15):
        # Real key presses (XTEST) reach the window that has the focus, which
        # start() gave it.
        for k in keys:
            run("xdotool", "key", k, check=False)
        time.sleep(delay)

    def wait(self, timeout):
        """The exit code, or None when the program still runs after timeout
        seconds: it is then killed, and stderr_text() ends with where each of
        its threads (and its compiler's) stood, so a hang says where."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            stacks = thread_stacks(self.process.pid)
            self.process.kill()
            self.process.wait()
            self.errors = self.process.stderr.read().decode(errors="replace") + \
                "\n[still running after %g s; killed]\n%s" % (timeout, stacks)
            return None

    def cpu_seconds(self):
        """Processor time the program has used (user and system)."""
        with open("/proc/%d/stat" % self.process.pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def moves(self, box, timeout=30.0):
        """Whether the picture in box changes within timeout: the character
        moves a little every frame, so a slow machine needs longer."""
        first = self.screenshot()
        end = time.time() + timeout
        while time.time() < end:
            time.sleep(0.3)
            if differing(first, self.screenshot(), box) > 200:
                return True
        return False

    def stdout_text(self):
        return self.process.stdout.read().decode(errors="replace") if self.process.poll() is not None else ""

    def stderr_text(self):
        if self.process.poll() is None:
            return ""
        if self.errors is None:
            self.errors = self.process.stderr.read().decode(errors="replace")
        return self.errors

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.process.stdout.close()
        self.process.stderr.close()
        if os.environ.get("RR_E2E_KEEP"):
            print("pictures kept in", self.folder)
        else:
            shutil.rmtree(self.folder, ignore_errors=True)


def thread_stacks(pid):
    """Every thread's stack of process pid and of its children, by gdb when
    it is installed; empty otherwise."""
    if not shutil.which("gdb"):
        return ""
    pids = [pid]
    try:
        with open("/proc/%d/task/%d/children" % (pid, pid)) as f:
            pids += [int(child) for child in f.read().split()]
    except OSError:
        pass
    stacks = []
    for each in pids:
        try:
            done = subprocess.run(["gdb", "-p", str(each), "-batch", "-nx", "-ex", "thread apply all bt"],
                                  capture_output=True, text=True, timeout=60, check=False)
            stacks.append("process %d:\n%s" % (each, done.stdout[-6000:]))
        except subprocess.TimeoutExpired:
            stacks.append("process %d: gdb did not finish within 60 s" % each)
    return "\n".join(stacks)


def hold_display():
    """A connection kept open for the whole test: without it the X server
    resets whenever the last program leaves, and refuses the next program
    that connects meanwhile."""
    for _ in range(100):
        holder = subprocess.Popen([ARGS.x_helper, "hold"], stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        if holder.stdout.readline() == b"held\n":
            return holder
        holder.wait()
        time.sleep(0.1)
    raise AssertionError("the X display cannot be opened")


def stop_process(process):
    process.terminate()
    try:
        process.wait(10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


class ProgramTest(unittest.TestCase):
    def setUp(self):
        self.program = None
        holder = hold_display()
        self.addCleanup(holder.wait)
        self.addCleanup(holder.stdout.close)
        self.addCleanup(holder.stdin.close)

    def tearDown(self):
        if self.program:
            self.program.stop()

    def launch(self, **kwargs):
        if self.program:
            self.program.stop()
        self.program = Program(**kwargs)
        return self.program

    def sky_reference(self, program):
        """The picture without the character: the sky box centres on the
        viewer, so flying far up shows the same sky with the character out of
        view; flying back down restores the camera exactly."""
        program.key(*(["r"] * 60), delay=0.05)
        time.sleep(0.4)
        sky = program.screenshot("sky")
        program.key(*(["f"] * 60), delay=0.05)
        time.sleep(0.4)
        return sky

    def test_start_shows_window_hud_sky_and_character(self):
        program = self.launch()
        window = program.start()
        self.assertEqual(run("xdotool", "getwindowname", window).strip(), TITLE)
        geometry = run("xwininfo", "-id", window)
        self.assertIn("Width: %d" % WIDTH, geometry)
        self.assertIn("Height: %d" % HEIGHT, geometry)
        shot = program.screenshot("start")
        self.assertEqual((shot.width, shot.height), (WIDTH, HEIGHT))
        # HUD: cyan text at the top left (line 1 at y 10..30).
        self.assertGreater(shot.count(is_cyan, (0, 10, 300, 30)), 30)
        # The sky box covers the whole background: no clear colour shows.
        self.assertEqual(shot.count(is_clear_blue), 0)
        # The character: the picture differs from the bare sky in the middle.
        sky = self.sky_reference(program)
        shot = program.screenshot("character")
        covered = differing(shot, sky, (200, HUD_BOTTOM, 600, 600))
        self.assertGreater(covered, 3000, "the character is not in view")
        self.assertLess(differing(shot, sky, (0, HUD_BOTTOM, 120, 600)), 200)

    def test_a_larger_window_shows_the_whole_picture_stretched(self):
        """The 800 x 600 picture is stretched over the whole window when the
        window is made larger: the HUD grows with it, and the sky reaches
        every corner (nothing pinned to the bottom left, nothing black)."""
        program = self.launch()
        window = program.start()
        run("xdotool", "windowsize", "--sync", window, "1200", "900", check=False)
        time.sleep(1.0)
        shot = program.screenshot("larger")
        w, h = shot.width, shot.height
        self.assertTrue(w > WIDTH + 100 and h > HEIGHT + 100, (w, h))
        black = lambda r, g, b: r + g + b < 30
        for corner in ((0, 0, 60, 60), (w - 60, 0, w, 60), (0, h - 60, 60, h), (w - 60, h - 60, w, h)):
            self.assertEqual(shot.count(black, corner), 0, corner)
        # The frame-rate line (y 10 to 30 at 800 x 600) grown with the window.
        top, bottom = 10 * h // HEIGHT, 30 * h // HEIGHT
        self.assertGreater(shot.count(is_cyan, (0, top, 300 * w // WIDTH, bottom)), 50)
        self.assertEqual(shot.count(is_cyan, (0, 0, 300 * w // WIDTH, top - 2)), 0)

    def test_character_moves(self):
        program = self.launch()
        program.start()
        first = program.screenshot("first")
        self.assertTrue(program.moves((200, HUD_BOTTOM, 600, 600)))
        second = program.screenshot("second")
        # The sky does not move while the camera stays.
        self.assertLess(differing(first, second, (650, 450, 800, 600)), 50)

    def test_space_toggles_wireframe(self):
        program = self.launch()
        program.start()
        sky = self.sky_reference(program)
        solid = program.screenshot("solid")
        region = (150, HUD_BOTTOM, 650, 600)
        box = changed_box(solid, sky, region)
        self.assertIsNotNone(box, "the character is not in view")
        program.key("space", delay=0.3)
        wire = program.screenshot("wireframe")
        # Lines are drawn, the sky shows between them, and the sky box itself
        # stays whole (no clear colour shows through it).
        self.assertGreater(differing(wire, sky, region), 300)
        solid_distance = distance_from_sky(solid, sky, box)
        wire_distance = distance_from_sky(wire, sky, box)
        self.assertLess(wire_distance, 0.8 * solid_distance)
        self.assertEqual(wire.count(is_clear_blue), 0)
        program.key("space", delay=0.3)
        again = program.screenshot("solid_again")
        self.assertGreater(distance_from_sky(again, sky, box), 1.15 * wire_distance)

    def test_keys_switch_refraction_and_reflection(self):
        program = self.launch()
        program.start()
        box = (200, HUD_BOTTOM, 600, 600)
        a = program.screenshot("reflect_a")
        time.sleep(0.3)
        b = program.screenshot("reflect_b")
        drift = differing(a, b, box)
        program.key("2", delay=0.3)
        refract = program.screenshot("refract")
        changed = differing(b, refract, box)
        self.assertGreater(changed, 3 * drift + 500)
        program.key("1", delay=0.3)
        back = program.screenshot("reflect_again")
        self.assertGreater(differing(refract, back, box), 3 * drift + 500)
        self.assertLess(differing(b, back, box), changed)

    def test_f1_shows_the_viewer_panel_and_f1_again_hides_it(self):
        """F1 draws the panel at the right edge over the scene; F1 again and
        that part of the picture is the scene's again (the sky there stays
        while the camera does)."""
        program = self.launch()
        program.start()
        region = (640, 300, 790, 560)  # sky under the panel, clear of the character
        before = program.screenshot("panel_before")
        program.key("F1", delay=0.5)
        shown = program.screenshot("panel_shown")
        self.assertGreater(differing(before, shown, region), 10000, program.stderr_text())
        # The panel's own dark background, where the sky is bright.
        dark = lambda r, g, b: r + g + b < 150
        self.assertGreater(shown.count(dark, region), 5000)
        self.assertEqual(before.count(dark, region), 0)
        program.key("F1", delay=0.5)
        hidden = program.screenshot("panel_hidden")
        self.assertLess(differing(before, hidden, region), 50)

    def test_camera_walks_and_turns(self):
        program = self.launch()
        program.start()
        before = program.screenshot("before_walk")
        program.key("w", "w", "w", "w", "w", delay=0.4)
        after = program.screenshot("after_walk")
        # The HUD's camera line (y 30..50) shows the new Z.
        self.assertGreater(differing(before, after, (0, 30, 400, 50)), 10)
        self.assertGreater(differing(before, after, (0, HUD_BOTTOM, 800, 600)), 1000)
        # A right-button drag turns the view: the sky itself moves.
        w = program.window
        run("xdotool", "mousemove", "--window", w, "400", "300", check=False)
        run("xdotool", "mousedown", "3", check=False)
        for x in range(410, 560, 10):
            run("xdotool", "mousemove", "--window", w, str(x), "300", check=False)
            time.sleep(0.02)
        run("xdotool", "mouseup", "3", check=False)
        time.sleep(0.4)
        turned = program.screenshot("turned")
        self.assertGreater(differing(after, turned, (650, 450, 800, 600)), 1000)

    def test_escape_ends_with_zero(self):
        program = self.launch()
        program.start()
        program.key("Escape", delay=0)
        self.assertEqual(program.wait(10), 0)
        # The teardown leaves no object alive on the device (the device says so
        # on stderr when it is released with some), and GL reported no error.
        errors = program.stderr_text()
        self.assertNotIn("device released while", errors)
        self.assertNotIn("GL error", errors)

    def test_closing_the_window_ends_with_zero(self):
        program = self.launch()
        window = program.start()
        run(ARGS.x_helper, "close", window)
        self.assertEqual(program.wait(10), 0)
        self.assertNotIn("device released while", program.stderr_text())

    def test_failed_starts_say_why_in_a_box_and_end_with_one(self):
        """With a display, a start that fails shows no window but a box
        captioned reflect-refract; closing it ends with exit code 1, the
        reason on stderr."""
        cases = ((dict(remove={os.path.join("Textures", "Snow.dds")}),
                  "Textures/Snow.dds: No such file or directory"),
                 (dict(env={"MESA_GL_VERSION_OVERRIDE": "3.3"}),
                  "OpenGL 4.5 core profile needed; this display offers 3.3 (llvmpipe)"))
        for arguments, said in cases:
            with self.subTest(said):
                program = Program(**arguments)
                try:
                    box = program.find_window("^reflect-refract$", timeout=20)
                    self.assertIsNotNone(box, "no box; stderr: " + program.stderr_text())
                    self.assertIsNone(program.find_window(timeout=0.1))
                    run(ARGS.x_helper, "close", box)
                    self.assertEqual(program.wait(10), 1)
                    self.assertIn("reflect-refract: cannot start: ", program.stderr_text())
                    self.assertIn(said, program.stderr_text())
                finally:
                    program.stop()

    def test_without_a_display_ends_at_once_with_one_line(self):
        def opens(display):
            return subprocess.run(["xdpyinfo", "-display", display], capture_output=True).returncode == 0
        unknown = next(":%d" % n for n in range(54321, 54400) if not opens(":%d" % n))
        for display in (None, unknown):
            with self.subTest(DISPLAY=display):
                program = Program(env={"DISPLAY": display}, cwd=tempfile.gettempdir())
                try:
                    self.assertEqual(program.wait(20), 1)
                    lines = program.stderr_text().splitlines()
                    self.assertEqual(len(lines), 1, lines)
                    self.assertIn("no display: set DISPLAY or WAYLAND_DISPLAY, or run under Xvfb",
                                  lines[0])
                finally:
                    program.stop()

    def test_screenshot_without_a_display_draws_offscreen(self):
        """With no display named, or one that does not open, a screenshot is
        drawn through EGL with no window system: the golden picture and exit
        0. No compositor's socket is there to be found either."""
        def opens(display):
            return subprocess.run(["xdpyinfo", "-display", display], capture_output=True).returncode == 0
        unknown = next(":%d" % n for n in range(54321, 54400) if not opens(":%d" % n))
        runtime = tempfile.mkdtemp(prefix="rr_e2e_runtime_")
        self.addCleanup(shutil.rmtree, runtime, True)
        for display, said in ((None, None), (unknown, "drawing offscreen")):
            with self.subTest(DISPLAY=display):
                env = {"DISPLAY": display, "WAYLAND_DISPLAY": None, "WAYLAND_SOCKET": None,
                       "XDG_RUNTIME_DIR": runtime}
                code, shot, errors = self.shoot(frames=60, env=env)
                self.assertEqual(code, 0, errors)
                self.assertNotIn("GL error", errors)
                # The debug context's count at the end (e2e runs with RR_GL_DEBUG=1).
                self.assertIn("gfx: gl errors: 0", errors)
                lines = [line for line in errors.splitlines() if line != "gfx: gl errors: 0"]
                if said:
                    self.assertEqual(len(lines), 1, lines)
                    self.assertTrue(lines[0].endswith(said), lines)
                else:
                    self.assertEqual(lines, [])
                self.assert_like_golden(shot, 0.005)

    def test_starts_from_other_folders_and_installed(self):
        """From a folder without the program's files, the files beside the
        program are read; installed, those in share/reflect-refract."""
        prefix = tempfile.mkdtemp(prefix="rr_e2e_install_")
        self.addCleanup(shutil.rmtree, prefix, True)
        run(ARGS.cmake, "--install", ARGS.build_dir, "--prefix", prefix)
        elsewhere = tempfile.mkdtemp(prefix="rr_e2e_elsewhere_")
        self.addCleanup(shutil.rmtree, elsewhere, True)
        cases = (
            (ARGS.program, elsewhere, os.path.dirname(ARGS.program)),
            (os.path.join(prefix, "bin", "reflect-refract"), "/",
             os.path.join(prefix, "share", "reflect-refract")),
        )
        for program_path, cwd, data in cases:
            with self.subTest(program=program_path, cwd=cwd):
                program = Program(cwd=cwd, program=program_path)
                try:
                    program.start()
                    # The sky (cube map and effect) covers the background, the
                    # character (the model) moves in the middle.
                    self.assertEqual(program.screenshot().count(is_clear_blue), 0)
                    self.assertTrue(program.moves((200, HUD_BOTTOM, 600, 600)))
                    program.key("Escape", delay=0)
                    self.assertEqual(program.wait(10), 0)
                    errors = program.stderr_text()
                    self.assertIn("reading the program's files from %s (none in the working folder %s)"
                                  % (os.path.realpath(data), os.path.realpath(cwd)), errors)
                    self.assertNotIn("cannot", errors)
                finally:
                    program.stop()

    def test_stop_signals_end_with_zero_in_every_state(self):
        broken = "float4x4 matWorldViewProjection;\nthis is not HLSL;\n"
        effect = os.path.join("Shaders", "ReflectionOrRefraction.fx")
        for state, number in (("running", signal.SIGTERM), ("paused", signal.SIGINT),
                              ("box open", signal.SIGTERM), ("box open", signal.SIGINT)):
            with self.subTest(state=state, signal=number.name):
                program = Program(replace={effect: broken} if state == "box open" else None)
                try:
                    if state == "box open":
                        self.assertIsNotNone(program.find_window("^ERROR$", timeout=20))
                    else:
                        program.start()
                    if state == "paused":
                        run(ARGS.x_helper, "unfocus")
                        time.sleep(0.5)
                        # Inactive, the program waits for messages and draws
                        # nothing: it uses next to no processor time.
                        before = program.cpu_seconds()
                        time.sleep(1.0)
                        self.assertLess(program.cpu_seconds() - before, 0.1)
                    program.process.send_signal(number)
                    self.assertEqual(program.wait(10), 0)
                    # The box went with the program, and the teardown ran.
                    self.assertIsNone(program.find_window("^ERROR$", timeout=0.1))
                    errors = program.stderr_text()
                    self.assertNotIn("device released while", errors)
                    self.assertNotIn("no message box", errors)
                finally:
                    program.stop()

    def test_broken_effect_shows_error_box_then_hud_only(self):
        broken = "float4x4 matWorldViewProjection;\nthis is not HLSL;\n"
        program = self.launch(replace={os.path.join("Shaders", "ReflectionOrRefraction.fx"): broken})
        box = program.find_window("^ERROR$", timeout=20)
        self.assertIsNotNone(box, "no message box captioned ERROR")
        run(ARGS.x_helper, "close", box)
        program.window = program.find_window()
        self.assertIsNotNone(program.window)
        program.wait_for_hud()
        self.assertIsNone(program.find_window("^ERROR$", timeout=0.1))
        shot = program.screenshot("hud_only")
        # Only the clear colour and the HUD: blue everywhere below the HUD.
        below = (0, HUD_BOTTOM, WIDTH, HEIGHT)
        area = WIDTH * (HEIGHT - HUD_BOTTOM)
        self.assertEqual(shot.count(is_clear_blue, below), area)
        self.assertGreater(shot.count(is_cyan, (0, 10, 300, 30)), 30)
        program.key("Escape", delay=0)
        self.assertEqual(program.wait(5), 0)


    def shoot(self, *args, frames=30, env=None, replace=None, timeout=170):
        """--screenshot after frames frames: exit code, picture (None when
        none was saved) and stderr."""
        args = list(args) + ["--screenshot", "shot.png", "--frames", str(frames)]
        program = self.launch(args=args, env=env, replace=replace)
        code = program.wait(timeout)
        where = os.path.join(program.folder, "shot.png")
        return code, load_picture(where) if os.path.exists(where) else None, program.stderr_text()

    def test_help_version_and_bad_usage_need_no_display(self):
        for args, code, said in ((["--help"], 0, "--screenshot FILE.png"),
                                 (["--version"], 0, "reflect-refract 1."),
                                 (["--bogus"], 2, "reflect-refract: unknown option --bogus\nusage: "),
                                 (["--model"], 2, "--model needs a value: REFERENCE.smd\nusage: "),
                                 (["--clip", "3"], 2, "there are 3 animation files, clips 0 to 2"),
                                 (["--model", "none.smd"], 2, "none.smd: No such file or directory")):
            with self.subTest(args=args):
                program = Program(args=args, env={"DISPLAY": None}, cwd=tempfile.gettempdir())
                try:
                    self.assertEqual(program.wait(20), code)
                    self.assertIn(said, program.stdout_text() if code == 0 else program.stderr_text())
                finally:
                    program.stop()

    def test_screenshot_matches_the_golden_picture(self):
        """The default scene after 60 frames, saved without anyone focusing
        the window. Only the frame rate differs from run to run: a channel
        may be off by 24, and 0.5 % of the pixels by more."""
        code, shot, errors = self.shoot(frames=60)
        self.assertEqual(code, 0, errors)
        if os.environ.get("RR_UPDATE_GOLDEN"):
            shutil.copy(os.path.join(self.program.folder, "shot.png"), GOLDEN)
        self.assert_like_golden(shot, 0.005)

    def assert_like_golden(self, shot, share):
        """At most share of the pixels differ from the golden picture by more
        than a channel's tolerance."""
        self.assertIsNotNone(shot, "no picture was saved")
        golden = load_picture(GOLDEN)
        off = differing(shot, golden, (0, 0, WIDTH, HEIGHT))
        if off > share * WIDTH * HEIGHT:
            where = os.path.join(ARGS.build_dir, "e2e_golden")
            os.makedirs(where, exist_ok=True)
            shot.save(os.path.join(where, "actual.ppm"))
            run("compare", "-fuzz", "10%", GOLDEN, os.path.join(where, "actual.ppm"),
                os.path.join(where, "difference.png"), check=False)
            self.fail("%d pixels differ from %s; actual.ppm and difference.png are in %s" % (off, GOLDEN, where))

    def test_another_character_with_its_clips_and_an_effect(self):
        """The squid (59 bones, six materials, a clip of 13 bones, larger
        than ours and off the origin), painted magenta by a flat effect."""
        work = tempfile.mkdtemp(prefix="rr_e2e_squid_")
        self.addCleanup(shutil.rmtree, work, True)
        flat = os.path.join(work, "flat.fx")
        with open(flat, "w") as f:
            f.write(effect_text(model_colour="1.0, 0.0, 1.0"))
        # The same files in a folder far past the loader's 127-character paths.
        far = os.path.join(work, "a" * 70, "b" * 70, "Squid")
        shutil.copytree(os.path.join(ARGS.run_dir, SQUID), far)

        def squid(folder, *more):
            clips = [a for name in SQUID_CLIPS for a in ("--animation", os.path.join(folder, name))]
            return ["--model", os.path.join(folder, "Ref Squid.smd")] + clips + list(more)
        shots = {}
        for name, args in (("clip 0", squid(SQUID)), ("clip 2", squid(SQUID, "--clip", "2")),
                           ("far folder", squid(far, "--clip", "2")),
                           ("bind pose", ["--model", os.path.join(SQUID, "Ref Squid.smd")])):
            with self.subTest(name):
                code, shot, errors = self.shoot(*(args + ["--effect", flat]))
                self.assertEqual(code, 0, errors)
                for problem in ("Error:", "model file", "material texture"):  # all loaded
                    self.assertNotIn(problem, errors)
                # Whole, below the HUD, clear of the edges, and large.
                x0, y0, x1, y1 = outline = bounding_box(shot, is_magenta)
                self.assertTrue(y0 >= HUD_BOTTOM and x0 > 10 and x1 < WIDTH - 10 and y1 < HEIGHT - 10, outline)
                self.assertGreater(max(x1 - x0, (y1 - y0) * 1.5), 0.6 * WIDTH, outline)
                shots[name] = shot
        everything = (0, 0, WIDTH, HEIGHT)
        self.assertGreater(differing(shots["clip 0"], shots["clip 2"], everything), 2000)
        self.assertLess(differing(shots["clip 2"], shots["far folder"], everything), 500)

        # A clip file that does not load ends a screenshot run, after the
        # loader's message; the clip after it kept its number.
        broken = os.path.join(work, "broken.smd")
        with open(broken, "w") as f:
            f.write("not an SMD file\n")
        code, shot, errors = self.shoot("--model", os.path.join(SQUID, "Ref Squid.smd"), "--animation", broken,
                                        "--animation", os.path.join(SQUID, SQUID_CLIPS[0]), "--clip", "1")
        self.assertEqual((code, shot), (1, None), errors)
        self.assertIn("reflect-refract: Error: ", errors)  # the loader's box, on stderr
        self.assertIn("cannot start: the animation %s did not load" % broken, errors)
        self.assertNotIn("--clip 1", errors)

    def test_character_with_weight_links_animates(self):
        """The worm, written as the Blender exporter writes SMD files: every
        vertex names an implicit root that never moves and follows its real
        bones through weight links. Its textures are named without an
        extension. Frames 1 to 101 show the clip's first keyframe (the
        first interval blends it with itself); frame 152 lies halfway
        between the second and the third, where the wave has moved the head
        end of the worm and the sky around it stays as it was."""
        work = tempfile.mkdtemp(prefix="rr_e2e_worm_")
        self.addCleanup(shutil.rmtree, work, True)
        flat = os.path.join(work, "flat.fx")
        with open(flat, "w") as f:
            f.write(effect_text(model_colour="1.0, 0.0, 1.0"))
        args = ["--model", os.path.join(WORM, "PuddleWorm.smd"), "--animation",
                os.path.join(WORM, "anims", "crawl.smd"), "--effect", flat]
        shots = {}
        for frames in (1, 152):
            code, shot, errors = self.shoot(*args, frames=frames)
            self.assertEqual(code, 0, errors)
            for problem in ("Error:", "model file", "material texture", "animation"):  # all loaded, alike
                self.assertNotIn(problem, errors)
            shots[frames] = shot
        x0, y0, x1, y1 = outline = bounding_box(shots[1], is_magenta)
        self.assertTrue(y0 >= HUD_BOTTOM and x1 - x0 > 0.5 * WIDTH, outline)
        # The head end is on the left of the picture: the camera looks at the
        # worm's side from +Y, its head at +X.
        head = (x0, HUD_BOTTOM, x0 + (x1 - x0) // 3, HEIGHT)
        tail = (x1 - (x1 - x0) // 6, HUD_BOTTOM, WIDTH, HEIGHT)
        self.assertGreater(differing(shots[1], shots[152], head), 1500)
        self.assertLess(differing(shots[1], shots[152], tail), differing(shots[1], shots[152], head) / 4)

    def test_cubemap_replaces_the_sky(self):
        faces = ((200, 40, 40), (40, 200, 40), (40, 40, 200), (200, 200, 40), (230, 120, 20), (90, 90, 90))
        cube = os.path.join(tempfile.mkdtemp(prefix="rr_e2e_cube_"), "faces.dds")
        self.addCleanup(shutil.rmtree, os.path.dirname(cube), True)
        write_cube_dds(cube, faces)
        code, shot, errors = self.shoot("--cubemap", cube)
        self.assertEqual(code, 0, errors)
        # Looking along +Z, the sky beside the character is the +Z face; the
        # character reflects the others.
        sky = lambda r, g, b: max(abs(r - 230), abs(g - 120), abs(b - 20)) <= 4
        self.assertEqual(shot.count(sky, (600, HUD_BOTTOM, WIDTH, HEIGHT)), 200 * (HEIGHT - HUD_BOTTOM))
        self.assertGreater(shot.count(lambda r, g, b: not sky(r, g, b), (300, 250, 500, 550)), 5000)

    def test_d3d9_effects_draw_as_their_equivalents(self):
        """Each effect written the Direct3D 9 way (texture and sampler_state,
        texCUBE and friends, compile vs_2_0 ... ps_3_0, render states in the
        passes) draws what its equivalent in the newer syntax draws, within 2
        levels per channel; the frame-rate line (y 8..30) is left out. An
        effect without the pass that draws the character is refused."""
        names = sorted(n[:-len(".d3d9.fx")] for n in os.listdir(D3D9_EFFECTS) if n.endswith(".d3d9.fx"))
        self.assertGreaterEqual(len(names), 12)
        below_rate = (0, 30, WIDTH, HEIGHT)
        for name in names:
            with self.subTest(name):
                shots = {}
                for kind in ("d3d9", "today"):
                    code, shot, errors = self.shoot("--effect", os.path.join(D3D9_EFFECTS, "%s.%s.fx" % (name, kind)),
                                                    frames=10)
                    self.assertEqual(code, 0, errors)
                    self.assertNotIn("not compiled", errors)
                    shots[kind] = (shot, errors)
                largest, over = largest_channel_difference(shots["d3d9"][0], shots["today"][0], below_rate)
                self.assertEqual(over, 0, "%s: %d channel values differ by more than 2 (largest %d)" % (name, over, largest))
                # The sky and the character are drawn, not the clear colour.
                self.assertEqual(shots["d3d9"][0].count(is_clear_blue), 0, name)
        # A parameter the program does not set is named once, with its value.
        errors = self.shoot("--effect", os.path.join(D3D9_EFFECTS, "defaults.d3d9.fx"), frames=2)[2]
        self.assertEqual(errors.count("fBias is not set by the program: it keeps its default 0.25"), 1, errors)
        # Pass 1 gone: the character would vanish; the effect is refused instead.
        work = tempfile.mkdtemp(prefix="rr_e2e_d3d9_")
        self.addCleanup(shutil.rmtree, work, True)
        half = os.path.join(work, "half.fx")
        with open(os.path.join(D3D9_EFFECTS, "cube_vs2.d3d9.fx")) as f:
            text = f.read()
        with open(half, "w") as f:
            f.write(text[:text.index("    pass P1")] + "}\n")
        code, shot, errors = self.shoot("--effect", half, frames=2)
        self.assertEqual(code, 1, errors)  # an --effect that does not load ends the run
        self.assertIn("technique 'TShader' has no pass 1, which draws the character", errors)

    def test_watch_compiles_the_effect_again_on_save(self):
        """An effect that does not compile at first, then a good edit, then a
        broken one: never a box; each failure keeps what runs (first the HUD
        alone) and shows its first error in red under the HUD."""
        effect = os.path.join(tempfile.mkdtemp(prefix="rr_e2e_watch_"), "watched.fx")
        self.addCleanup(shutil.rmtree, os.path.dirname(effect), True)
        with open(effect, "w") as f:
            f.write(effect_text(broken=True))
        program = self.launch(args=["--watch", "--effect", effect])
        program.start()

        def wait_for(until, what):
            end = time.time() + 30
            while time.time() < end:
                shot = program.screenshot()
                if until(shot):
                    return shot
                time.sleep(0.2)
            self.fail(what)

        def save(text):
            with open(effect + ".new", "w") as f:
                f.write(text)
            os.rename(effect + ".new", effect)  # the way many editors save

        alert = lambda s: s.count(is_red, ALERT_LINE) > 30
        wait_for(lambda s: alert(s) and s.count(is_clear_blue) > 200000, "no red line over the HUD alone")
        save(effect_text(model_colour="1.0, 0.0, 1.0"))
        wait_for(lambda s: s.count(is_magenta) > 3000 and not alert(s), "the good edit did not take over")
        save(effect_text(model_colour="1.0, 0.0, 1.0", broken=True))
        wait_for(lambda s: alert(s) and s.count(is_magenta) > 3000, "the broken edit did not keep the effect")
        self.assertIsNone(program.find_window("^ERROR$", timeout=0.1))
        program.key("Escape", delay=0)
        self.assertEqual(program.wait(10), 0)
        errors = program.stderr_text()
        self.assertEqual(errors.count("'notDeclared' : unknown variable"), 2, errors)
        self.assertNotIn("device released while", errors)
    def test_watch_compiles_a_cached_effect_again_on_save(self):
        """An effect the start-up cache holds starts without the compiler
        process and draws as compiled; a save with new bytes is compiled all
        the same, and the first bytes saved again come back from the cache."""
        folder = tempfile.mkdtemp(prefix="rr_e2e_cached_")
        self.addCleanup(shutil.rmtree, folder, True)
        effect = os.path.join(folder, "cached.fx")
        env = {"XDG_CACHE_HOME": os.path.join(folder, "cache"), "RR_NO_CACHE": None}
        magenta = effect_text(model_colour="1.0, 0.0, 1.0")
        with open(effect, "w") as f:
            f.write(magenta)
        code, first, errors = self.shoot("--effect", effect, env=env)
        self.assertEqual(code, 0, errors)
        entries = os.listdir(os.path.join(folder, "cache", "reflect-refract", "effects"))
        self.assertEqual(len([e for e in entries if e.endswith(".effect")]), 1, entries)
        code, cached, errors = self.shoot("--effect", effect, env=env)
        self.assertEqual(code, 0, errors)
        self.assertGreater(cached.count(is_magenta), 3000)
        # The same picture below the HUD (whose frame rate differs).
        below_hud = (0, HUD_BOTTOM, first.width, first.height)
        self.assertEqual(largest_channel_difference(first, cached, below_hud), (0, 0))

        program = self.launch(args=["--watch", "--effect", effect], env=env)
        program.start()

        def wait_for(until, what):
            end = time.time() + 30
            while time.time() < end:
                if until(program.screenshot()):
                    return
                time.sleep(0.2)
            self.fail(what)

        def save(text):
            with open(effect + ".new", "w") as f:
                f.write(text)
            os.rename(effect + ".new", effect)

        wait_for(lambda s: s.count(is_magenta) > 3000, "the cached effect is not drawn")
        save(effect_text())
        wait_for(lambda s: s.count(is_magenta) < 100, "the saved effect did not take over")
        save(magenta)
        wait_for(lambda s: s.count(is_magenta) > 3000, "the first effect did not come back")
        program.key("Escape", delay=0)
        self.assertEqual(program.wait(10), 0)
        self.assertNotIn("start-up cache is not used", program.stderr_text())

    def weston(self, seat, *options):
        """A headless Weston for this test (stopped at its end) in its own
        runtime folder (mode 0700) under its own socket name; seat: with the
        tests' module that gives it the input seat the headless backend
        lacks. The pixman renderer composites the wl_shm buffers of Mesa's
        software rasteriser as a desktop would; no weston.ini, no idle lock.
        Returns the environment that names it."""
        if not shutil.which("weston") or (seat and not os.path.exists(WESTON_SEAT)):
            self.skipTest("no weston, or no seat module (libweston-10 was not found when built)")
        runtime = tempfile.mkdtemp(prefix="rr_weston_")  # mode 0700
        self.addCleanup(shutil.rmtree, runtime, ignore_errors=True)
        socket = "wl-" + os.path.basename(runtime)
        command = ["weston", "--backend=headless-backend.so", "--shell=desktop-shell.so",
                   "--socket=" + socket, "--no-config", "--idle-time=0", "--use-pixman",
                   "--width=1024", "--height=768"] + list(options)
        if seat:
            command.append("--modules=" + WESTON_SEAT)
        unset = ("DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "LD_PRELOAD")
        environment = {name: value for name, value in os.environ.items() if name not in unset}
        weston = subprocess.Popen(command, env=dict(environment, XDG_RUNTIME_DIR=runtime),
                                  stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        self.addCleanup(stop_process, weston)
        # Clients are served from its event loop, after every module is loaded.
        end = time.time() + 20
        while not os.path.exists(os.path.join(runtime, socket)):
            self.assertTrue(time.time() < end and weston.poll() is None, " ".join(command))
            time.sleep(0.05)
        return {"WAYLAND_DISPLAY": socket, "XDG_RUNTIME_DIR": runtime}

    def test_wayland_screenshot_matches_the_golden_picture(self):
        """On a compositor with an input seat and no X display: SDL's
        Wayland driver, the same picture as under X."""
        code, shot, errors = self.shoot(frames=60, env=dict(self.weston(True), DISPLAY=None))
        self.assertEqual(code, 0, errors)
        self.assert_like_golden(shot, 0.01)

    def test_wayland_compositor_that_sdl_cannot_use_gives_way_to_x11_or_one_line(self):
        """Where SDL's Wayland driver would die (no seat) or fails (no
        output), the program says why and takes X11; without X an
        interactive start ends with exit 1 and that one line, and a
        screenshot is drawn offscreen after it."""
        for seat, options, said in ((False, [], "offers no input seat (wl_seat)"),
                                    (True, ["--no-outputs"], "SDL's Wayland driver did not start")):
            for display in (os.environ["DISPLAY"], None):
                with self.subTest(seat=seat, options=options, DISPLAY=display):
                    env = dict(self.weston(seat, *options), DISPLAY=display)
                    # Four runs share the test's time: each has a quarter of it.
                    code, shot, errors = self.shoot(frames=60, env=env, timeout=30)
                    lines = errors.splitlines()
                    ending = ": using X11" if display else ": drawing offscreen"
                    self.assertEqual(code, 0, errors)
                    self.assertTrue(any(said in line and line.endswith(ending) for line in lines), errors)
                    self.assert_like_golden(shot, 0.01)
                    if display:
                        continue
                    program = self.launch(env=env)
                    self.assertEqual(program.wait(30), 1, program.stderr_text())
                    lines = program.stderr_text().splitlines()
                    self.assertEqual(len(lines), 1, lines)
                    self.assertIn("reflect-refract: cannot start: no display", lines[0])
                    self.assertIn(said, lines[0])

    def thumbnail(self, *args, env=None, cwd=None):
        """reflect-refract --thumbnail ARGS (from cwd, default the run
        folder): exit code, stderr and the seconds it took."""
        environment = dict(os.environ, RR_GL_DEBUG="1")
        for name, value in (env or {}).items():
            if value is None:
                environment.pop(name, None)
            else:
                environment[name] = value
        start = time.time()
        done = subprocess.run([ARGS.program, "--thumbnail"] + list(args), cwd=cwd or ARGS.run_dir,
                              env=environment, capture_output=True, text=True, timeout=60)
        return done.returncode, done.stderr, time.time() - start

    def test_thumbnails_transparent_around_the_character_and_refused_files(self):
        """A thumbnail is an RGBA PNG of SIZE pixels: transparent corners, the
        character opaque in the middle, with a display or without one. A bad
        size is bad usage; a file that is not there, not an SMD reference or
        broken inside ends it with one line and leaves no file at all."""
        work = tempfile.mkdtemp(prefix="rr_e2e_thumbnail_")
        self.addCleanup(shutil.rmtree, work, True)
        reference = os.path.join(ARGS.run_dir, "Model", "SMD", "Pudo_Red", "Ref_Red.smd")
        squid = os.path.join(ARGS.run_dir, SQUID)
        no_display = {"DISPLAY": None, "WAYLAND_DISPLAY": None}
        good = ((8, [reference], no_display),
                (64, [reference], None),
                (256, [os.path.join(squid, "Ref Squid.smd"), "--animation",
                       os.path.join(squid, SQUID_CLIPS[1])], no_display))
        for size, args, env in good:
            with self.subTest(size=size, args=args, env=env):
                out = os.path.join(work, "t%d.png" % size)
                code, errors, _ = self.thumbnail(str(size), args[0], out, *args[1:], env=env, cwd=work)
                self.assertEqual((code, errors), (0, ""))
                self.assertEqual(run("identify", "-format", "%w %h %[channels]", out), "%d %d srgba" % (size, size))
                alpha = run_bytes("convert", out, "-depth", "8", "-alpha", "extract", "gray:-")
                self.assertEqual(len(alpha), size * size)
                corners = [alpha[0], alpha[size - 1], alpha[(size - 1) * size], alpha[size * size - 1]]
                self.assertEqual(corners, [0, 0, 0, 0])
                self.assertEqual(alpha[(size // 2) * size + size // 2], 255)
                opaque = sum(1 for a in alpha if a == 255)
                self.assertTrue(0.05 * size * size < opaque < 0.8 * size * size, opaque)

        with open(reference) as f:
            whole = f.read()
        hostile = {"garbage.smd": "\x00\xff" * 5000, "empty.smd": "", "cut.smd": whole[:len(whole) // 3],
                   "nan.smd": whole.replace(" 0.000000 ", " nan ", 3),
                   "huge.smd": "version 1\nnodes\n0 \"r\" -1\nend\nskeleton\ntime 0\n0 0 0 0 0 0 0\nend\n"
                               "triangles\n" + "m\n0 1e38 1e38 1e38 0 0 1 0 0 5 0 1 0 1\n" * 30000 + "end\n"}
        for name, text in hostile.items():
            with open(os.path.join(work, name), "w") as f:
                f.write(text)
        with open(os.path.join(work, "large.smd"), "w") as f:  # refused by its size, unread
            f.write(whole)
            f.truncate(17 << 20)
        hostile["large.smd"] = None
        refused = [(["7", reference], 2, "from 8 to 1024 pixels"),
                   (["1025", reference], 2, "not \"1025\""),
                   (["64", os.path.join(work, "missing.smd")], 2, "No such file or directory"),
                   (["64", reference, os.path.join(work, "no", "t.png")], 2, "does not exist")]
        refused += [(["64", os.path.join(work, name)], 1, name) for name in sorted(hostile)]
        for args, expected, said in refused:
            with self.subTest(args=args):
                out = args[2] if len(args) > 2 else os.path.join(work, "refused.png")
                code, errors, seconds = self.thumbnail(args[0], args[1], out, env=no_display, cwd=work)
                lines = errors.splitlines()
                self.assertEqual(code, expected, errors)
                self.assertIn(said, errors)
                self.assertEqual(len(lines), 1 if expected == 1 else 2, lines)  # usage: and the usage line
                self.assertFalse(os.path.exists(out))
                self.assertFalse([f for f in os.listdir(work) if ".png" in f and not f.startswith("t")])
                print("%s: exit %d in %.2f s" % (os.path.basename(args[1]), code, seconds), file=sys.stderr)

    def test_files_that_do_not_load_end_with_one(self):
        """Each way a file the command line names can fail to load ends the
        run with exit code 1 and no picture; the reason is on stderr."""
        work = tempfile.mkdtemp(prefix="rr_e2e_fail_")
        self.addCleanup(shutil.rmtree, work, True)
        reference = os.path.join(ARGS.run_dir, "Model", "SMD", "Pudo_Red", "Ref_Red.smd")
        with open(reference) as f:
            whole = f.read()
        files = {"bate.smd": "not an SMD file\n", "empty.smd": "",
                 "cut.smd": whole[:len(whole) // 2], "flat.dds": "DDS not really"}
        for name, text in files.items():
            with open(os.path.join(work, name), "w") as f:
                f.write(text)
        at = lambda name: os.path.join(work, name)
        cases = ((["--model", at("bate.smd")], 'the first line is not "version 1"'),
                 (["--model", at("empty.smd")], "the file is empty"),
                 (["--model", at("cut.smd")], "has no \"end\" line"),
                 (["--animation", reference], "cannot start: the animation " + reference),
                 (["--cubemap", at("flat.dds")], "cannot start: cannot load the cube map"),
                 ([at("cut.smd")], "cannot start: the reference " + at("cut.smd")))
        for args, said in cases:
            with self.subTest(args=args):
                code, shot, errors = self.shoot(*args, frames=1)
                self.assertEqual((code, shot), (1, None), errors)
                self.assertIn(said, errors)
        # --clip of the program's own clip whose file did not load names it.
        run_clip = os.path.join("Model", "SMD", "Pudo_Red", "Ani_Red(Run).smd")
        code, shot, errors = self.shoot("--clip", "1", frames=1, replace={run_clip: "broken\n"})
        self.assertEqual((code, shot), (1, None), errors)
        self.assertIn("--clip 1: the animation file ", errors)
        self.assertIn("Ani_Red(Run).smd did not load (line 1: ", errors)
        # A file whose kind cannot be told is a usage error, before any window.
        code, shot, errors = self.shoot(at("bate.smd"), frames=1)
        self.assertEqual((code, shot), (2, None), errors)
        self.assertIn("bate.smd: not an SMD file", errors)

    def test_a_failed_clip_keeps_its_number_and_the_character_its_pose(self):
        """Without options the program goes on past its files' boxes; a
        character none of whose clips loaded stands still in its bind pose."""
        clips = {os.path.join("Model", "SMD", "Pudo_Red", "Ani_Red(%s).smd" % name): "broken\n"
                 for name in ("Attack", "Run", "Stun")}
        program = self.launch(replace=clips)
        for _ in clips:
            box = program.find_window("^Error$", timeout=30)
            self.assertIsNotNone(box, "no box for a clip")
            run(ARGS.x_helper, "close", box)
            time.sleep(0.3)
        program.start()
        sky = self.sky_reference(program)
        shot = program.screenshot("bind_pose")
        self.assertGreater(differing(shot, sky, (200, HUD_BOTTOM, 600, 600)), 3000, "no character")
        self.assertFalse(program.moves((200, HUD_BOTTOM, 600, 600), timeout=2.0), "it moves")
        program.key("Escape", delay=0)
        self.assertEqual(program.wait(10), 0)

        # In watch mode a clip that does not load keeps its slot: clip 1 is Swim.
        work = tempfile.mkdtemp(prefix="rr_e2e_slot_")
        self.addCleanup(shutil.rmtree, work, True)
        broken, flat = os.path.join(work, "broken.smd"), os.path.join(work, "flat.fx")
        with open(broken, "w") as f:
            f.write("broken\n")
        with open(flat, "w") as f:
            f.write(effect_text(model_colour="1.0, 0.0, 1.0"))
        squid = os.path.join(ARGS.run_dir, SQUID)
        program = self.launch(args=["--watch", "--model", os.path.join(squid, "Ref Squid.smd"),
                                    "--animation", broken,
                                    "--animation", os.path.join(squid, SQUID_CLIPS[0]),
                                    "--clip", "1", "--effect", flat])
        program.start()
        shot = program.screenshot("slot")
        self.assertGreater(shot.count(is_red, ALERT_LINE), 30, "no red line for the broken clip")
        self.assertGreater(shot.count(is_magenta), 3000)
        self.assertTrue(program.moves((0, 200, WIDTH, HEIGHT)), "clip 1 does not play")
        program.key("Escape", delay=0)
        self.assertEqual(program.wait(10), 0)
        self.assertIn("model file %s, line 1" % broken, program.stderr_text())

    def test_xlibs_compose_table_is_kept_in_the_start_up_cache(self):
        """A user's X11 start names a folder of the start-up cache (mode 0700)
        for Xlib's Compose table, which Xlib writes there; a user's own
        XCOMPOSECACHE is left as it is. As nobody when the tests run as root:
        Xlib keeps no cache for root."""
        user = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] if os.geteuid() == 0 else []
        if subprocess.run(user + ["test", "-x", ARGS.program]).returncode != 0:
            self.skipTest("nobody cannot run %s" % ARGS.program)
        for own in (False, True):
            with self.subTest(own_cache=own):
                home = tempfile.mkdtemp(prefix="rr_e2e_compose_")
                self.addCleanup(shutil.rmtree, home, True)
                os.chmod(home, 0o755)
                if user:
                    os.chown(home, 65534, 65534)
                ours = os.path.join(home, "cache", "reflect-refract", "compose")
                kept = os.path.join(home, "theirs") if own else ours
                environment = dict(os.environ, HOME=home, XDG_CACHE_HOME=os.path.join(home, "cache"),
                                   SDL_VIDEODRIVER="x11", XCOMPOSECACHE=kept)
                if own:
                    subprocess.run(user + ["mkdir", "-m", "700", kept], check=True)
                else:
                    del environment["XCOMPOSECACHE"]
                done = subprocess.run(user + [ARGS.program, "--screenshot", "s.png", "--frames", "1"], cwd=home,
                                      env=environment, capture_output=True, text=True, timeout=120)
                self.assertEqual(done.returncode, 0, done.stderr)
                self.assertEqual((len(os.listdir(kept)), os.stat(kept).st_mode & 0o777), (1, 0o700))
                self.assertEqual(os.path.exists(ours), not own)

    def test_frames_one_saves_the_whole_first_frame(self):
        """The first frame's picture is whole: the frame-rate line at the top,
        the sky to the right edge as in a longer run, nothing left black."""
        code, first, errors = self.shoot(frames=1)
        self.assertEqual(code, 0, errors)
        code, later, errors = self.shoot(frames=30)
        self.assertEqual(code, 0, errors)
        self.assertGreater(first.count(is_cyan, (0, 10, 300, 30)), 30, "no frame-rate line")
        self.assertLess(differing(first, later, (300, 0, WIDTH, 30)), 50)
        self.assertLess(differing(first, later, (760, 0, WIDTH, HEIGHT)), 50)
        self.assertLess(first.count(lambda r, g, b: r + g + b == 0), 10)

    def test_files_as_arguments_are_taken_like_the_options(self):
        work = tempfile.mkdtemp(prefix="rr_e2e_files_")
        self.addCleanup(shutil.rmtree, work, True)
        flat = os.path.join(work, "flat.fx")
        with open(flat, "w") as f:
            f.write(effect_text(model_colour="1.0, 0.0, 1.0"))
        folder = os.path.join(ARGS.run_dir, SQUID)
        reference = os.path.join(folder, "Ref Squid.smd")
        swim, look = os.path.join(folder, SQUID_CLIPS[0]), os.path.join(folder, SQUID_CLIPS[2])
        code, by_options, errors = self.shoot("--model", reference, "--animation", swim,
                                              "--animation", look, "--clip", "1", "--effect", flat)
        self.assertEqual(code, 0, errors)
        # The clip before the reference, the effect in the middle: the order
        # of the kinds does not matter, the order of the clips does.
        code, by_files, errors = self.shoot(swim, flat, reference, look, "--clip", "1")
        self.assertEqual(code, 0, errors)
        everything = (0, 0, WIDTH, HEIGHT)
        self.assertGreater(by_files.count(is_magenta), 3000)
        self.assertLess(differing(by_options, by_files, everything), 500)
        code, swapped, errors = self.shoot(look, flat, reference, swim, "--clip", "1")
        self.assertGreater(differing(by_options, swapped, everything), 2000)

    def drag(self, program, files):
        """Drags the files from a GTK window onto the program's window and
        lets go (a real XDND drop, as from a file manager)."""
        script = os.path.join(os.path.dirname(__file__), "drag_source.py")
        source = subprocess.Popen(["/usr/bin/python3", script, "1100", "50"] + files,
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            if source.stdout.readline() != b"ready\n":
                why = source.stderr.read().decode(errors="replace")
                self.fail("the drag source did not start: " + why)
            time.sleep(0.3)
            info = run("xwininfo", "-id", program.window)
            left = int(re.search(r"Absolute upper-left X:\s+(-?\d+)", info).group(1))
            top = int(re.search(r"Absolute upper-left Y:\s+(-?\d+)", info).group(1))
            run("xdotool", "mousemove", "1150", "80")
            time.sleep(0.2)
            run("xdotool", "mousedown", "1")
            for step in range(1, 11):
                x = 1150 + (left + 400 - 1150) * step // 10
                y = 80 + (top + 300 - 80) * step // 10
                run("xdotool", "mousemove", str(x), str(y))
                time.sleep(0.05)
            time.sleep(0.3)
            run("xdotool", "mouseup", "1")
            source.wait(timeout=20)
        finally:
            if source.poll() is None:
                source.kill()
                source.wait()
            source.stdout.close()
            source.stderr.close()

    def wait_for_picture(self, program, until, what, timeout=30):
        end = time.time() + timeout
        while time.time() < end:
            shot = program.screenshot()
            if until(shot):
                return shot
            time.sleep(0.2)
        program.screenshot("failed")
        self.fail(what)

    def test_dropped_files_change_the_scene(self):
        """Files dropped together: the squid with a clip and a flat effect;
        then a file that does not load (nothing changes, a red line, no box);
        then a cube map."""
        work = tempfile.mkdtemp(prefix="rr_e2e_drop_")
        self.addCleanup(shutil.rmtree, work, True)
        flat, broken = os.path.join(work, "flat.fx"), os.path.join(work, "broken.smd")
        with open(flat, "w") as f:
            f.write(effect_text(model_colour="1.0, 0.0, 1.0"))
        with open(broken, "w") as f:
            f.write("version 1\nnodes\n")
        cube = os.path.join(work, "faces.dds")
        write_cube_dds(cube, FACES)
        program = self.launch()
        program.start()
        folder = os.path.join(ARGS.run_dir, SQUID)
        self.drag(program, [os.path.join(folder, SQUID_CLIPS[0]), flat,
                            os.path.join(folder, "Ref Squid.smd")])
        squid = self.wait_for_picture(program, lambda s: s.count(is_magenta) > 20000,
                                      "the squid did not come")
        self.drag(program, [broken])
        self.wait_for_picture(program, lambda s: s.count(is_red, ALERT_LINE) > 30, "no red line")
        self.assertGreater(program.screenshot().count(is_magenta), 0.8 * squid.count(is_magenta))
        self.assertIsNone(program.find_window("^Error$", timeout=0.5))
        sky = lambda r, g, b: max(abs(r - 230), abs(g - 120), abs(b - 20)) <= 4
        self.drag(program, [cube])
        self.wait_for_picture(program, lambda s: s.count(sky, (700, 400, WIDTH, HEIGHT)) > 9000,
                              "the sky stayed")
        program.key("Escape", delay=0)
        self.assertEqual(program.wait(10), 0)
        errors = program.stderr_text()
        self.assertIn("loaded with 1 animation file(s)", errors)
        self.assertIn("model file %s, line 2" % broken, errors)
        self.assertNotIn("device released while", errors)

    def test_watch_reloads_every_file_of_the_scene(self):
        """Saves of the model, a clip and the cube map (by rename, as editors
        save) take effect; a broken save keeps what runs and shows in red
        until a good one."""
        work = tempfile.mkdtemp(prefix="rr_e2e_watchall_")
        self.addCleanup(shutil.rmtree, work, True)
        folder = os.path.join(work, "Squid")
        shutil.copytree(os.path.join(ARGS.run_dir, SQUID), folder)
        flat = os.path.join(work, "flat.fx")
        with open(flat, "w") as f:
            f.write(effect_text(model_colour="1.0, 0.0, 1.0"))
        cube = os.path.join(work, "faces.dds")
        faces = FACES
        write_cube_dds(cube, faces)
        reference = os.path.join(folder, "Ref Squid.smd")
        swim = os.path.join(folder, SQUID_CLIPS[0])
        # The sky is looked at where the panel would be: without it.
        program = self.launch(args=["--watch", "--no-panel", "--model", reference, "--animation", swim,
                                    "--effect", flat, "--cubemap", cube])
        program.start()

        def save(path, text):
            mode = "wb" if isinstance(text, bytes) else "w"
            with open(path + ".new", mode) as f:
                f.write(text)
            os.rename(path + ".new", path)

        with open(reference) as f:
            whole = f.read()
        with open(swim) as f:
            swim_text = f.read()
        alert = lambda s: s.count(is_red, ALERT_LINE) > 30
        orange = lambda r, g, b: max(abs(r - 230), abs(g - 120), abs(b - 20)) <= 4
        blue = lambda r, g, b: max(abs(r - 40), abs(g - 40), abs(b - 200)) <= 4
        beside = (700, 400, WIDTH, HEIGHT)
        squid = lambda s: s.count(is_magenta) > 3000
        self.wait_for_picture(program, lambda s: s.count(orange, beside) > 9000, "no sky")
        save(reference, whole[:len(whole) // 2])
        self.wait_for_picture(program, lambda s: alert(s) and squid(s), "the model went")
        save(reference, whole)
        self.wait_for_picture(program, lambda s: not alert(s) and squid(s), "no model again")
        save(swim, "version 1\nnodes\n")
        self.wait_for_picture(program, alert, "no red line for the clip")
        save(swim, swim_text)
        self.wait_for_picture(program, lambda s: not alert(s), "the clip did not load again")
        write_cube_dds(cube + ".new", tuple(faces[i] for i in (0, 1, 2, 3, 2, 5)))
        os.rename(cube + ".new", cube)
        self.wait_for_picture(program, lambda s: s.count(blue, beside) > 9000,
                              "the cube map did not load again")
        program.key("Escape", delay=0)
        self.assertEqual(program.wait(10), 0)
        errors = program.stderr_text()
        for said in ("model %s loaded again" % reference,
                     "animation %s loaded again as clip 0" % swim,
                     "cube map %s loaded again" % cube):
            self.assertIn(said, errors)
        self.assertIsNone(program.find_window("^Error$", timeout=0.1))
        self.assertNotIn("device released while", errors)

    def test_an_uncovered_window_shows_its_picture_again_while_inactive(self):
        """Inactive, the program draws nothing; a window moved across it
        leaves no ghost: the last frame is presented again."""
        program = self.launch()
        program.start()
        run(ARGS.x_helper, "unfocus")
        time.sleep(0.5)
        before = program.screenshot("before_cover")
        cpu = program.cpu_seconds()
        run(ARGS.x_helper, "cover", program.window)
        time.sleep(0.5)
        after = program.screenshot("after_cover")
        self.assertLess(differing(before, after, (0, 0, WIDTH, HEIGHT)), 2000, "a ghost stays")
        self.assertLess(program.cpu_seconds() - cpu, 0.3)
        program.process.send_signal(signal.SIGTERM)
        self.assertEqual(program.wait(10), 0)
    def test_panel_window_follows_its_size_and_f12_saves_dated_pictures(self):
        """With --panel the back buffer takes the window's size: a larger
        window shows more of the scene, nothing stretched (the key help keeps
        its size). F12 saves the picture as reflect-refract-DATE-TIME.png in
        $XDG_PICTURES_DIR (a second one in the same second ends in -2), says
        where on stderr and leaves the working folder alone."""
        pictures = tempfile.mkdtemp(prefix="rr_e2e_pictures_")
        self.addCleanup(shutil.rmtree, pictures, True)
        program = self.launch(args=["--panel"], env={"XDG_PICTURES_DIR": pictures})
        window = program.start()
        help_lines = (0, 50, 500, HUD_BOTTOM + 10)
        before = program.screenshot("panel_start").count(is_cyan, help_lines)
        run("xdotool", "windowsize", "--sync", window, "1000", "700", check=False)
        time.sleep(1.0)
        shot = program.screenshot("panel_larger")
        self.assertEqual((shot.width, shot.height), (1000, 700))
        after = shot.count(is_cyan, help_lines)
        self.assertTrue(0.9 * before < after < 1.1 * before, (before, after))

        program.key("F12", "F12", delay=1.0)
        names = sorted(os.listdir(pictures))
        self.assertEqual(len(names), 2, names)
        for name in names:
            self.assertRegex(name, r"^reflect-refract-\d{4}(-\d\d){5}(-\d+)?\.png$")
        stamps = [name[:len("reflect-refract-YYYY-MM-DD-HH-MM-SS")] for name in names]
        if stamps[0] == stamps[1]:  # both in one second
            self.assertEqual(names, [stamps[0] + "-2.png", stamps[0] + ".png"])
        saved = load_picture(os.path.join(pictures, names[-1]))
        self.assertEqual((saved.width, saved.height), (1000, 700))
        self.assertGreater(saved.count(is_cyan, (0, 10, 300, 30)), 30, "no HUD in the picture")
        self.assertEqual([n for n in os.listdir(program.folder) if n.endswith(".png")], [])
        program.process.send_signal(signal.SIGTERM)
        self.assertEqual(program.wait(10), 0)
        for name in names:
            self.assertIn("F12: the picture is saved as " + os.path.join(pictures, name),
                          program.stderr_text())

    def test_panel_pauses_steps_and_shows_the_keyframe_that_playing_reaches(self):
        """With the panel shown P pauses: the character holds still. From the
        first interval '.' steps onto keyframe 1; ',' then '.' comes back to
        exactly that pose, the one --frames 102 reaches by playing (0.01
        keyframe per frame). P plays on from there."""
        program = self.launch(args=["--panel"])
        program.start()  # well inside the first interval (100 frames)
        program.key("p", delay=0.5)
        character = (150, HUD_BOTTOM, 450, HEIGHT)  # left of the panel
        paused = program.screenshot("paused")
        time.sleep(1.0)
        self.assertEqual(differing(paused, program.screenshot("paused_later"), character, 0), 0)
        program.key("period", delay=0.5)
        stepped = program.screenshot("stepped")
        self.assertGreater(differing(paused, stepped, character), 100)
        program.key("comma", delay=0.5)
        self.assertGreater(differing(stepped, program.screenshot("stepped_back"), character), 100)
        program.key("period", delay=0.5)
        self.assertEqual(differing(stepped, program.screenshot("stepped_again"), character, 0), 0)
        program.key("p", delay=2.0)
        self.assertGreater(differing(stepped, program.screenshot("playing"), character, 0), 0)
        program.stop()
        code, played, errors = self.shoot(frames=102)
        self.assertEqual(code, 0, errors)
        self.assertLess(differing(stepped, played, character), 0.005 * 300 * (HEIGHT - HUD_BOTTOM))


def main():
    global ARGS, WESTON_SEAT
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--run-dir", required=True)
    parser.add_argument("--x-helper", required=True)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--cmake", required=True)
    ARGS, rest = parser.parse_known_args()
    ARGS.program = os.path.abspath(ARGS.program)
    WESTON_SEAT = os.path.join(os.path.abspath(ARGS.build_dir), "tests", "e2e", "weston_seat.so")
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
