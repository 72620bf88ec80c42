#!/usr/bin/env python3
"""scripts/gbk-texts: UTF-8 text lists turned into headers of GBK byte strings."""
import importlib.machinery
import os
import re
import subprocess
import sys
import tempfile
import types
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                      "gbk-texts")
loader = importlib.machinery.SourceFileLoader("gbk_texts", SCRIPT)
gbk_texts = types.ModuleType("gbk_texts")
gbk_texts.__file__ = SCRIPT
loader.exec_module(gbk_texts)


def c_bytes(literal_run):
    """Decodes adjacent C string literals the way a compiler does (\\x takes every hex digit)."""
    out = bytearray()
    for piece in re.findall(r'"((?:[^"\\]|\\.)*)"', literal_run):
        i = 0
        while i < len(piece):
            if piece[i] != "\\":
                out += piece[i].encode("ascii")
                i += 1
                continue
            if piece[i + 1] == "x":
                j = i + 2
                while j < len(piece) and piece[j] in "0123456789abcdefABCDEF":
                    j += 1
                value = int(piece[i + 2:j], 16)
                if value > 0xFF:
                    raise ValueError(f"escape {piece[i:j]} is out of range")
                out.append(value)
                i = j
                continue
            out.append(ord(piece[i + 1]))
            i += 2
    return bytes(out)


def constants(header):
    """{name: bytes} of every constant in a generated header."""
    found = {}
    for m in re.finditer(r"inline constexpr char (\w+)\[\] = (.*);$", header, re.M):
        found[m.group(1)] = c_bytes(m.group(2))
    return found


class Run:
    """A source file in a folder of its own (removed when the test ends) and the script on it."""

    def __init__(self, test, source_text):
        self.dir = tempfile.TemporaryDirectory()
        test.addCleanup(self.dir.cleanup)
        self.source = os.path.join(self.dir.name, "A.texts")
        self.output = os.path.join(self.dir.name, "out", "A.texts.h")
        with open(self.source, "w", encoding="utf-8") as f:
            f.write(source_text)

    def __call__(self):
        return subprocess.run([sys.executable, SCRIPT, self.source, self.output],
                              capture_output=True, text=True)

    def header(self):
        with open(self.output, encoding="utf-8") as f:
            return f.read()


class Texts(unittest.TestCase):
    def test_texts_become_the_gbk_bytes(self):
        cases = [
            ("plain", '"安装"', "安装".encode("gbk")),
            ("ascii kept", '"下一步(&N)->"', "下一步(&N)->".encode("gbk")),
            ("line breaks", r'"a\r\n\tb"', b"a\r\n\tb"),
            ("quote and backslash", r'"目录\\ \"x\""', "目录\\ \"x\"".encode("gbk")),
            ("hex digit after a double-byte character", '"中A1f"', "中A1f".encode("gbk")),
            ("trail byte 0x5C", '"表"', b"\xB1\xED"),
            ("trailing blank", '"大小 "', "大小 ".encode("gbk")),
            ("empty", '""', b""),
            ("pieces joined", '"正在" "安装"', "正在安装".encode("gbk")),
        ]
        for what, written, expected in cases:
            with self.subTest(what):
                run = Run(self, f"namespace sk::t\nkA = {written}\n")
                done = run()
                self.assertEqual(done.returncode, 0, done.stderr)
                self.assertEqual(constants(run.header())["kA"], expected)

    def test_continuation_lines_namespaces_and_comments(self):
        run = Run(self, "# heading\nnamespace sk::one\nkA = \"第一\"\n    \"行\\r\\n\"\n"
                  "  \"第二行\"\n\nnamespace sk::two\n# about kA\nkA = \"另\"\n")
        done = run()
        self.assertEqual(done.returncode, 0, done.stderr)
        header = run.header()
        one, two = header.split("namespace sk::two {")
        self.assertIn("namespace sk::one {", one)
        self.assertEqual(constants(one)["kA"], "第一行\r\n第二行".encode("gbk"))
        self.assertEqual(constants(two)["kA"], "另".encode("gbk"))

    def test_a_final_backslash_does_not_swallow_the_next_line(self):
        run = Run(self, 'namespace sk::t\nkA = "目录\\\\"\nkB = "x"\n')
        self.assertEqual(run().returncode, 0)
        for line in run.header().splitlines():
            self.assertFalse(line.endswith("\\"), line)
        self.assertEqual(set(constants(run.header())), {"kA", "kB"})

    def test_faults_name_the_file_and_line_and_write_nothing(self):
        cases = [
            ("unencodable", 'namespace sk::t\nkA = "好"\nkB = "😀"\n', 3, "cannot be written in GBK"),
            ("raw byte escape", 'namespace sk::t\nkA = "\\xB0"\n', 2, "unknown escape"),
            ("no closing quote", 'namespace sk::t\nkA = "abc\n', 2, "no closing quote"),
            ("unquoted", "namespace sk::t\nkA = abc\n", 2, "double quotes"),
            ("twice", 'namespace sk::t\nkA = "a"\n\nkA = "b"\n', 4, "given twice"),
            ("before a namespace", 'kA = "a"\n', 1, "before any 'namespace'"),
            ("lone continuation", 'namespace sk::t\n  "a"\n', 2, "continuation"),
            ("bad name", 'namespace sk::t\n1k = "a"\n', 2, "expected"),
        ]
        for what, text, line, message in cases:
            with self.subTest(what):
                run = Run(self, text)
                done = run()
                self.assertEqual(done.returncode, 1)
                self.assertIn(f"{run.source}:{line}: ", done.stderr)
                self.assertIn(message, done.stderr)
                self.assertFalse(os.path.exists(run.output))

    def test_an_unchanged_header_is_not_rewritten(self):
        run = Run(self, 'namespace sk::t\nkA = "a"\n')
        self.assertEqual(run().returncode, 0)
        os.utime(run.output, (1000, 1000))
        self.assertEqual(run().returncode, 0)
        self.assertEqual(os.stat(run.output).st_mtime, 1000)
        with open(run.source, "a", encoding="utf-8") as f:
            f.write('kB = "b"\n')
        self.assertEqual(run().returncode, 0)
        self.assertNotEqual(os.stat(run.output).st_mtime, 1000)

    def test_every_gbk_byte_pair_survives_the_literal(self):
        # Every double-byte code, each followed by a hex digit: the escaping never merges bytes.
        data = bytes(b for lead in range(0x81, 0xFF)
                     for b in (lead, 0xA1, ord("7"), lead, 0x40, lead, 0xFE, ord("f")))
        self.assertEqual(c_bytes(gbk_texts.c_literal(data)), data)


if __name__ == "__main__":
    unittest.main()
