#!/usr/bin/env python3
"""A --watch session that saves broken and good versions of an effect in
turn, the way a person typing one would.

    scripts/watch-soak.py [--saves N] [--program build/run/reflect-refract]

Each save is followed by the program's verdict on stderr ("compiled again"
or "not compiled, the running effect stays") before the next one. The broken
versions include what used to take the program down: glslang crashers, a
stack overflow, a technique without pass 1, a syntax error; every 50th save
is a macro runaway (2 s of the compiler's processor time). The good versions
paint the character in a colour of their own.

Passes when the program ends with exit code 0 on SIGTERM, the last good
version's colour is on the screen, and its resident memory at the end is
within 2 % of what it was once every version had been saved once. Needs an X
display (scripts/display.sh) and ImageMagick's import.
"""
import argparse
import os
import queue
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TITLE = "^\\[Tesnal\\] Reflection/Refraction for HLSL$"

COLOURS = [(255, 0, 255), (0, 255, 0), (255, 128, 0), (0, 128, 255)]


def good(text, colour):
    r, g, b = (c / 255.0 for c in colour)
    return text.replace("return float4(saturate(color), 1.0);",
                        "return float4(%.3f, %.3f, %.3f, 1.0);" % (r, g, b))


def broken_versions(text):
    above = text.index("technique TShader")
    insert = lambda extra: text[:above] + extra + "\n" + text[above:]
    defines = "#define A0 x x\n" + "".join("#define A%d A%d A%d\n" % (i, i - 1, i - 1) for i in range(1, 24))
    return {
        "syntax": text.replace("float3 n = normalize(normal);", "float3 n = normalize(normal) +;"),
        "stray out": text + "out\n",
        "unfinished call": insert("float u=o(e--"),
        "twice named": insert("int a; float x a;"),
        "deep parentheses": insert("float deep() { return " + "(" * 100000 + "1" + ")" * 100000 + "; }"),
        "no pass 1": text[:text.index("    pass P1")] + "}\n",
        "unknown variable": text.replace("float3 n = normalize(normal);", "float3 n = normalize(normal) + notDeclared;"),
        "macros": defines + "float f() { return A23; }\n" + text,
    }


def resident_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def window_of(pid, pattern, timeout=60):
    end = time.time() + timeout
    while time.time() < end:
        out = subprocess.run(["xdotool", "search", "--pid", str(pid), "--name", pattern],
                             capture_output=True, text=True).stdout.split()
        if out:
            return out[0]
        time.sleep(0.2)
    return None


def count_colour(window, colour):
    ppm = subprocess.run(["import", "-window", window, "-depth", "8", "ppm:-"], check=True,
                         capture_output=True).stdout
    # Binary PPM: four whitespace-separated fields, then the pixels.
    fields, offset = [], 0
    while len(fields) < 4:
        while ppm[offset:offset + 1].isspace():
            offset += 1
        end = offset
        while not ppm[end:end + 1].isspace():
            end += 1
        fields.append(ppm[offset:end])
        offset = end
    pixels = ppm[offset + 1:]
    n = 0
    for i in range(0, len(pixels) - 2, 3):
        if all(abs(pixels[i + k] - colour[k]) <= 8 for k in range(3)):
            n += 1
    return n


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--saves", type=int, default=500)
    parser.add_argument("--verbose", action="store_true", help="print the resident memory every 25 saves")
    parser.add_argument("--only", choices=("good", "broken"), help="save only good or only broken versions")
    parser.add_argument("--program", default=os.path.join(ROOT, "build", "run", "reflect-refract"))
    args = parser.parse_args()
    program = os.path.abspath(args.program)
    run_dir = os.path.dirname(program)
    with open(os.path.join(run_dir, "Shaders", "ReflectionOrRefraction.fx")) as f:
        text = f.read()
    broken = broken_versions(text)
    kinds = [k for k in broken if k != "macros"]

    work = tempfile.mkdtemp(prefix="rr_watch_soak_")
    effect = os.path.join(work, "soak.fx")
    with open(effect, "w") as f:
        f.write(good(text, COLOURS[0]))
    process = subprocess.Popen([program, "--watch", "--effect", effect], cwd=run_dir,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    verdicts = queue.Queue()
    log = []

    def read_stderr():
        for raw in process.stderr:
            line = raw.decode(errors="replace")
            log.append(line)
            if "compiled again" in line or "not compiled, the running effect stays" in line:
                verdicts.put(line)
    threading.Thread(target=read_stderr, daemon=True).start()

    def fail(why):
        if process.poll() is None:
            process.kill()
        process.wait()
        sys.stderr.write("watch-soak: %s\n--- last stderr lines:\n%s" % (why, "".join(log[-20:])))
        shutil.rmtree(work, ignore_errors=True)
        sys.exit(1)

    window = window_of(process.pid, TITLE)
    if window is None:
        fail("the window did not appear")
    time.sleep(1.0)

    def save(content):
        with open(effect + ".new", "w") as f:
            f.write(content)
        os.rename(effect + ".new", effect)
        try:
            return verdicts.get(timeout=60)
        except queue.Empty:
            fail("no verdict within 60 s of a save")

    # Memory is compared from the point where every version has been saved
    # once: the first compiles of each kind grow the heap to its working size.
    warm_up = min(args.saves, 2 * len(kinds))
    at_start = resident_kib(process.pid)
    baseline = None
    last_good = COLOURS[0]
    started = time.time()
    for n in range(args.saves):
        if process.poll() is not None:
            fail("the program ended during save %d" % n)
        if (n % 2 == 0 and args.only != "broken") or args.only == "good":
            last_good = COLOURS[(n // 2) % len(COLOURS)]
            verdict = save(good(text, last_good))
            if "compiled again" not in verdict:
                fail("good save %d was refused: %s" % (n, verdict))
        else:
            kind = "macros" if n % 50 == 49 else kinds[(n // 2) % len(kinds)]
            verdict = save(broken[kind])
            if "not compiled" not in verdict:
                fail("broken save %d (%s) was taken: %s" % (n, kind, verdict))
        if n == warm_up - 1:
            baseline = resident_kib(process.pid)
        if args.verbose and n % 25 == 24:
            print("watch-soak: after %d saves %d KiB" % (n + 1, resident_kib(process.pid)), flush=True)
    time.sleep(1.0)
    end_rss = resident_kib(process.pid)
    shown = count_colour(window, last_good)
    process.send_signal(signal.SIGTERM)
    try:
        code = process.wait(timeout=20)
    except subprocess.TimeoutExpired:
        fail("the program did not end on SIGTERM")
    shutil.rmtree(work, ignore_errors=True)
    growth = (end_rss - baseline) / baseline * 100 if baseline else 0.0
    print("watch-soak: %d saves in %.0f s; resident memory %d KiB at start, %d KiB once every version was saved "
          "(%d saves), %d KiB at the end (%+.2f %%); %d pixels of the last good colour; exit code %d"
          % (args.saves, time.time() - started, at_start, baseline or 0, warm_up, end_rss, growth, shown, code))
    if code != 0:
        sys.exit("watch-soak: exit code %d" % code)
    if shown < 2000:
        sys.exit("watch-soak: the last good effect is not on the screen")
    if growth > 2.0:
        sys.exit("watch-soak: resident memory grew by %.2f %%" % growth)


if __name__ == "__main__":
    main()
