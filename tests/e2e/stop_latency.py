#!/usr/bin/env python3
"""Measures how long the program takes to end after SIGTERM, in each state:
drawing frames, paused (inactive window), and with a start-up box open (also
how long until the box is gone). Prints medians and maxima; asserts nothing.

  python3 tests/e2e/stop_latency.py BUILD_DIR [ROUNDS]   (under an X display)
"""
import os
import signal
import statistics
import sys
import time

import e2e_test as e2e


def main():
    build = os.path.abspath(sys.argv[1])
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    e2e.ARGS = type("Args", (), dict(program=os.path.join(build, "run", "reflect-refract"),
                                     run_dir=os.path.join(build, "run"),
                                     x_helper=os.path.join(build, "tests", "e2e", "x_helper")))
    holder = e2e.hold_display()
    broken = {os.path.join("Shaders", "ReflectionOrRefraction.fx"): "this is not HLSL;\n"}
    times = {}
    for _ in range(rounds):  # the states interleaved, so that load hits all alike
        for state in ("running", "paused", "box open"):
            program = e2e.Program(replace=broken if state == "box open" else None)
            if state == "box open":
                program.find_window("^ERROR$", timeout=30)
            else:
                program.start()
                if state == "paused":
                    e2e.run(e2e.ARGS.x_helper, "unfocus")
                    time.sleep(0.7)
            started = time.time()
            program.process.send_signal(signal.SIGTERM)
            box_open = state == "box open"
            while program.process.poll() is None:
                if box_open and not e2e.visible_windows("^ERROR$"):
                    times.setdefault("box gone", []).append(time.time() - started)
                    box_open = False
                time.sleep(0.005)
            times.setdefault(state, []).append(time.time() - started)
            assert program.process.returncode == 0, (state, program.stderr_text())
            program.stop()
    holder.stdin.close()
    holder.wait()
    for state, values in times.items():
        print("%-9s median %.3f s  max %.3f s  (%d rounds)"
              % (state, statistics.median(values), max(values), len(values)))


if __name__ == "__main__":
    main()
