#!/usr/bin/env python3
"""scripts/include-cycles.py on small source trees: which circles it finds,
with and without --units, and that it looks includes up below src/ first."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                      "include-cycles.py")

CASES = (
    # name, {file: [includes]}, --units, circles printed
    ("no circle", {"a/x.h": ["a/y.h"], "a/y.h": [], "a/x.cpp": ["a/x.h", "<vector>"]}, False, []),
    ("two headers", {"a/x.h": ["a/y.h"], "a/y.h": ["a/x.h"]}, False, ["a/x.h -> a/y.h -> a/x.h"]),
    ("three headers, beside the file", {"a/x.h": ["y.h"], "a/y.h": ["b/z.h"], "b/z.h": ["a/x.h"]},
     False, ["a/x.h -> a/y.h -> b/z.h -> a/x.h"]),
    ("sources include each other's headers: files", {"a/x.h": [], "a/y.h": [], "a/x.cpp": ["a/y.h"],
                                                     "a/y.cpp": ["a/x.h"]}, False, []),
    ("sources include each other's headers: units", {"a/x.h": [], "a/y.h": [], "a/x.cpp": ["a/y.h"],
                                                     "a/y.cpp": ["a/x.h"]}, True, ["a/x -> a/y -> a/x"]),
    ("own header", {"a/x.h": [], "a/x.cpp": ["a/x.h"]}, True, []),
)


class IncludeCycles(unittest.TestCase):
    def test_cases(self):
        for name, files, units, expected in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as src:
                for path, included in files.items():
                    os.makedirs(os.path.dirname(os.path.join(src, path)), exist_ok=True)
                    with open(os.path.join(src, path), "w") as f:
                        for header in included:
                            f.write('#include %s\n' % (header if header[0] == "<" else '"%s"' % header))
                run = subprocess.run([sys.executable, SCRIPT] + (["--units"] if units else []) + [src],
                                     capture_output=True, text=True)
                self.assertEqual(run.returncode, 1 if expected else 0, run.stdout + run.stderr)
                self.assertEqual(run.stdout.splitlines(), ["include circle: " + c for c in expected])


if __name__ == "__main__":
    unittest.main()
