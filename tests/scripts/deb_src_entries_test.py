#!/usr/bin/env python3
"""The deb-src entries that scripts/deb-src-entries derives from a machine's apt sources."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                      "deb-src-entries")


def run(files, codename="bookworm"):
    with tempfile.TemporaryDirectory() as apt:
        os.makedirs(os.path.join(apt, "sources.list.d"))
        for name, text in files.items():
            with open(os.path.join(apt, name), "w", encoding="utf-8") as f:
                f.write(text)
        r = subprocess.run([sys.executable, SCRIPT, codename, apt], capture_output=True,
                           text=True)
        return r.returncode, r.stdout, r.stderr


class DebSrcEntries(unittest.TestCase):
    def test_deb822_entries_keep_uris_suites_components_and_keyring(self):
        code, out, _ = run({"sources.list.d/main.sources": (
            "Types: deb\n"
            "# a comment inside the stanza\n"
            "URIs: file:///srv/mirror/debian\n"
            "Suites: bookworm bookworm-updates\n"
            "Components: main contrib\n"
            "Signed-By: /usr/share/keyrings/archive.gpg\n"
            "\n"
            "Types: deb\nURIs: file:///srv/other\nSuites: nodistro\nComponents: main\n"
            "\n"
            "Enabled: no\nTypes: deb\nURIs: file:///srv/off\nSuites: bookworm\n"
            "Components: main\n")})
        self.assertEqual(code, 0)
        self.assertEqual(out, "Types: deb-src\nURIs: file:///srv/mirror/debian\n"
                              "Suites: bookworm bookworm-updates\nComponents: main contrib\n"
                              "Signed-By: /usr/share/keyrings/archive.gpg\n")

    def test_one_line_entries_and_their_options(self):
        code, out, _ = run({
            "sources.list": (
                "# deb file:///srv/commented bookworm main\n"
                "deb [arch=amd64 signed-by=/k.gpg] file:///srv/a bookworm main\n"
                "deb-src file:///srv/a bookworm main\n"
                "deb file:///srv/a bookworm-security main non-free\n"
                "deb file:///srv/b bullseye main\n"),
            "sources.list.d/extra.list": "deb file:///srv/c bookworm contrib\n"})
        self.assertEqual(code, 0)
        self.assertEqual(out, "Types: deb-src\nURIs: file:///srv/a\nSuites: bookworm\n"
                              "Components: main\nSigned-By: /k.gpg\n\n"
                              "Types: deb-src\nURIs: file:///srv/a\nSuites: bookworm-security\n"
                              "Components: main non-free\n")

    def test_inline_keys_are_copied_and_the_own_file_is_ignored(self):
        code, out, _ = run({
            "sources.list.d/k.sources": (
                "Types: deb deb-src\nURIs: file:///srv/k\nSuites: bookworm\nComponents: main\n"
                "Signed-By:\n -----BEGIN PGP PUBLIC KEY BLOCK-----\n .\n abc\n"
                " -----END PGP PUBLIC KEY BLOCK-----\n"),
            "sources.list.d/setupkit-src.sources": (
                "Types: deb\nURIs: file:///srv/own\nSuites: bookworm\nComponents: main\n")})
        self.assertEqual(code, 0)
        self.assertNotIn("/srv/own", out)
        self.assertIn("Signed-By:\n -----BEGIN PGP PUBLIC KEY BLOCK-----\n .\n abc\n"
                      " -----END PGP PUBLIC KEY BLOCK-----\n", out)

    def test_no_matching_entry_is_an_error(self):
        code, out, err = run({"sources.list": "deb file:///srv/b bullseye main\n"})
        self.assertEqual(code, 1)
        self.assertEqual(out, "")
        self.assertIn("bookworm", err)


if __name__ == "__main__":
    unittest.main()
