#!/usr/bin/env python3
"""scripts/help-pages: the man page and bash completion made from the program's help texts."""
import importlib.machinery
import os
import subprocess
import tempfile
import types
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                      "help-pages")
loader = importlib.machinery.SourceFileLoader("help_pages", SCRIPT)
help_pages = types.ModuleType("help_pages")
help_pages.__file__ = SCRIPT
loader.exec_module(help_pages)

TOP = """usage: setupkit <command> [options]

commands:
  build     build a setup program
  verify    check a setup file

'setupkit <command> --help' describes a command.
"""
BUILD = """Builds a setup program.
Usage: setupkit build [OPTIONS] MANIFEST

Positionals:
  MANIFEST TEXT REQUIRED      the manifest

Options:
  -h,--help                   Print this help message and exit
  -o,--output TEXT            setup program to write
  --components TEXT Excludes: --no-components
                              component packages (NAME,...)
  --no-components Excludes: --components
                              no component package
.startup is a word that begins a line, C:\\Setup a path
"""


def fake_program(folder, top, helps, fail_on=None):
    """A stand-in setupkit that prints the given texts (exit 3 for the command fail_on)."""
    path = os.path.join(folder, "setupkit")
    with open(path, "w") as f:
        f.write("#!/usr/bin/env python3\nimport sys\n")
        f.write(f"top, helps, fail_on = {top!r}, {helps!r}, {fail_on!r}\n")
        f.write("a = sys.argv[1:]\n")
        f.write("if a == ['--version']: print('setupkit 1.2.3'); sys.exit(0)\n")
        f.write("if a == ['--help']: print(top, end=''); sys.exit(0)\n")
        f.write("if a[0] == fail_on: sys.exit(3)\n")
        f.write("print(helps[a[0]], end='')\n")
    os.chmod(path, 0o755)
    return path


class Parsing(unittest.TestCase):
    def test_commands(self):
        cases = [
            (TOP, [("build", "build a setup program"), ("verify", "check a setup file")]),
            # The block ends at the first line that is not a command.
            ("commands:\n  info  print it\n\n  later  not a command\n", [("info", "print it")]),
        ]
        for text, want in cases:
            with self.subTest(text=text):
                self.assertEqual(help_pages.parse_commands(text), want)

    def test_no_commands_is_an_error(self):
        for text in ["", "usage: setupkit\n", "commands:\n\n"]:
            with self.subTest(text=text):
                with self.assertRaises(help_pages.HelpError):
                    help_pages.parse_commands(text)

    def test_options(self):
        cases = [
            (BUILD, ["-h", "--help", "-o", "--output", "--components", "--no-components"]),
            # Words of the description or of other blocks are not options.
            ("Positionals:\n  --x TEXT   not an option here\nOptions:\n  --y  see --z\n", ["--y"]),
            ("Verifies a file.\n", []),
        ]
        for text, want in cases:
            with self.subTest(text=text):
                self.assertEqual(help_pages.parse_options(text), want)

    def test_roff_escaping(self):
        cases = [
            (".startup", "\\&.startup"),
            ("'quoted", "\\&'quoted"),
            ("C:\\Setup", "C:\\eSetup"),
            ("a . b", "a . b"),
        ]
        for text, want in cases:
            with self.subTest(text=text):
                self.assertEqual(help_pages.roff_text(text), want)


class Program(unittest.TestCase):
    def test_pages_follow_the_help_texts(self):
        with tempfile.TemporaryDirectory() as d:
            prog = fake_program(d, TOP, {"build": BUILD, "verify": "Verifies.\n"})
            out = os.path.join(d, "out")
            r = subprocess.run([SCRIPT, prog, out], capture_output=True, text=True)
            self.assertEqual(r.returncode, 0, r.stderr)
            with open(os.path.join(out, "setupkit.1")) as f:
                page = f.read()
            self.assertIn('"setupkit 1.2.3"', page)
            self.assertIn(".SS build", page)
            self.assertIn(".SS verify", page)
            self.assertIn("\\&.startup is a word", page)
            # The completion offers exactly the commands, and each command's options.
            comp = os.path.join(out, "setupkit")
            words = subprocess.run(
                ["bash", "-c", 'source "$1"; COMP_WORDS=(setupkit ""); COMP_CWORD=1; _setupkit;'
                 ' echo "${COMPREPLY[*]}"; COMP_WORDS=(setupkit build --no); COMP_CWORD=2;'
                 ' _setupkit; echo "${COMPREPLY[*]}"', "_", comp],
                capture_output=True, text=True).stdout.splitlines()
            self.assertEqual(words, ["build verify --help --version", "--no-components"])

    def test_a_failing_program_writes_nothing(self):
        with tempfile.TemporaryDirectory() as d:
            cases = [
                ("a command whose help fails", fake_program(d, TOP, {"build": BUILD}, "verify")),
                ("no command listed", fake_program(d, "usage: setupkit\n", {})),
                ("a program that is missing", os.path.join(d, "absent")),
            ]
            for what, prog in cases:
                with self.subTest(what):
                    out = os.path.join(d, "out-" + what.replace(" ", "-"))
                    r = subprocess.run([SCRIPT, prog, out], capture_output=True, text=True)
                    self.assertEqual(r.returncode, 2)
                    self.assertIn("help-pages:", r.stderr)
                    self.assertFalse(os.path.exists(os.path.join(out, "setupkit.1")))


if __name__ == "__main__":
    unittest.main()
