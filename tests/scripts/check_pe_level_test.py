#!/usr/bin/env python3
"""scripts/check-pe --level: the execution level that a program's embedded manifest requests."""
import os
import subprocess
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                      "check-pe")


def level_tag(level, spacing=" "):
    return f'<requestedExecutionLevel{spacing}level="{level}" uiAccess="false"/>'.encode()


def check(name, image):
    with tempfile.TemporaryDirectory() as d:
        path = os.path.join(d, name)
        with open(path, "wb") as f:
            f.write(image)
        r = subprocess.run([SCRIPT, "--level", path], capture_output=True, text=True)
        return r.returncode, r.stdout


class ExecutionLevel(unittest.TestCase):
    def test_levels(self):
        code = b"MZ\x90\x00" + bytes(range(256)) * 4
        admin = level_tag("requireAdministrator")
        cases = [
            # (program, image, passes)
            ("Setup.exe", code + admin + code, True),
            ("Uninst.exe", code + level_tag("requireAdministrator", "\n    ") + code, True),
            # A manifest that lets the setup run without rights, or none at all.
            ("Setup.exe", code + level_tag("asInvoker") + code, False),
            ("Uninst.exe", code + level_tag("highestAvailable") + code, False),
            ("Setup.exe", code, False),
            # Two manifests that disagree.
            ("Setup.exe", code + admin + level_tag("asInvoker"), False),
            # Programs that are not installers keep the caller's rights.
            ("helper.exe", code + level_tag("asInvoker"), True),
            ("helper.exe", code + admin, False),
        ]
        for name, image, passes in cases:
            with self.subTest(name=name, image=image[-80:]):
                status, out = check(name, image)
                self.assertEqual(status == 0, passes, out)
                self.assertIn(name, out)


if __name__ == "__main__":
    unittest.main()
