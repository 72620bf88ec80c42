#!/usr/bin/env python3
"""scripts/wine32-plan: the versions it pins for i386 libraries, and the plans it refuses."""
import importlib.machinery
import importlib.util
import os
import subprocess
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                      "wine32-plan")
_loader = importlib.machinery.SourceFileLoader("wine32_plan", SCRIPT)
_spec = importlib.util.spec_from_loader("wine32_plan", _loader)
plan = importlib.util.module_from_spec(_spec)
_loader.exec_module(plan)


def newer(a, b):
    return subprocess.run(["dpkg", "--compare-versions", a, "gt", b]).returncode == 0


UNMET = """Some packages could not be installed.
The following packages have unmet dependencies:
 libcurl4:i386 : Depends: libbrotli1:i386 (>= 0.6.0) but it is not going to be installed
                 Depends: libssl3:i386 (>= 3.0.0) but it is not going to be installed
 libwine:i386 : Depends: libgstreamer-plugins-base1.0-0:i386 (>= 1.0.0) but it is not going
 maven : Depends: default-jre-headless (>= 2:1.7) but it is not going to be installed
E: Unable to correct problems, you have held broken packages.
"""

SIMULATED = """Inst libc6:i386 (2.36-9+deb12u14 Debian:12.15/oldstable [i386])
Inst libssl3 [3.0.19-1~deb12u2] (3.0.20-1~deb12u2 Debian:12.15/oldstable [amd64])
Inst libssl3:i386 (3.0.20-1~deb12u2 Debian:12.15/oldstable [i386])
Remv wine64 [8.0~repack-4]
Conf libc6:i386 (2.36-9+deb12u14 Debian:12.15/oldstable [i386])
"""

MADISON = """libcurl4 | 7.88.1-10+deb12u15 | file:///srv/mirror/debian bookworm/main amd64 Packages
libcurl4:i386 | 7.88.1-10+deb12u15 | file:///srv/mirror/debian bookworm/main i386 Packages
  libcurl4 | 7.88.1-10+deb12u5 | file:///srv/mirror/debian-security bookworm-security/main amd64 Packages
      curl | 7.88.1-10+deb12u15 | file:///srv/mirror/debian bookworm/main Sources
"""


class Parsing(unittest.TestCase):
    def test_unplaced_names_are_the_i386_packages_of_the_report_in_order(self):
        self.assertEqual(plan.unplaced_i386(UNMET),
                         ["libcurl4", "libbrotli1", "libssl3", "libwine",
                          "libgstreamer-plugins-base1.0-0"])
        self.assertEqual(plan.unplaced_i386("Inst libfoo:i386 (1.0)\n"), [])

    def test_simulation_changes(self):
        removed, changed = plan.plan_changes(SIMULATED)
        self.assertEqual(removed, ["wine64"])
        self.assertEqual(changed, [("libssl3", "3.0.19-1~deb12u2", "3.0.20-1~deb12u2")])

    def test_madison_versions_per_architecture(self):
        cases = [("libcurl4:amd64", ["7.88.1-10+deb12u15", "7.88.1-10+deb12u5"]),
                 ("libcurl4:i386", ["7.88.1-10+deb12u15"]),
                 ("curl:amd64", [])]
        for pkg, want in cases:
            with self.subTest(pkg=pkg):
                self.assertEqual(plan.madison_versions(MADISON, pkg), want)


class ChooseVersion(unittest.TestCase):
    def test_choices(self):
        # (installed amd64, amd64 versions, i386 versions, allow_older, expected)
        cases = [
            ("1.0-1", ["1.0-1"], ["1.0-1"], False, ("1.0-1", False)),
            # The installed version is gone from the indexes (a point release replaced it):
            # both sides move up to the newest version offered for both.
            ("3.0.19", ["3.0.22", "3.0.20", "3.0.17"], ["3.0.20", "3.0.17"], False,
             ("3.0.20", True)),
            # A security update whose i386 index is missing: only older versions are offered.
            ("1.22.0-3+deb12u7", ["1.22.0-3+deb12u7", "1.22.0-3+deb12u6"],
             ["1.22.0-3+deb12u6"], False, None),
            ("1.22.0-3+deb12u7", ["1.22.0-3+deb12u7", "1.22.0-3+deb12u6"],
             ["1.22.0-3+deb12u6"], True, ("1.22.0-3+deb12u6", True)),
            # Older versions are taken only when nothing else fits.
            ("2.0", ["3.0", "1.0"], ["3.0", "1.0"], True, ("3.0", True)),
            ("2.0", ["2.0"], [], True, None),
        ]
        for installed, amd64, i386, older, want in cases:
            with self.subTest(installed=installed, allow_older=older):
                self.assertEqual(plan.choose_version(installed, amd64, i386, newer, older), want)


class FakeApt:
    """Simulations answered from a table: the argument set -> (status, output)."""

    def __init__(self, answers, installed, versions):
        self.answers, self.installed, self.table = answers, installed, versions
        self.asked = []

    def simulate(self, args):
        self.asked.append(sorted(args))
        for pins, answer in self.answers:
            if set(pins) <= set(args):
                return answer
        raise AssertionError(f"unexpected simulation {args}")

    def installed_version(self, pkg):
        return self.installed.get(pkg)

    def source_of(self, pkg):
        return {"libssl3:amd64": "openssl", "libssl-dev:amd64": "openssl"}.get(pkg)

    def versions(self, pkg):
        return self.table.get(pkg, [])

    newer = staticmethod(newer)


class MakePlan(unittest.TestCase):
    BASE = ["wine32:i386=8.0", "libwine:i386=8.0"]
    OK = (0, "Inst wine32:i386 (8.0 Debian [i386])\n")

    def test_pins_the_libraries_apt_cannot_place_then_succeeds(self):
        apt = FakeApt(
            [(["libssl3:i386=3.0.20", "libssl3:amd64=3.0.20", "zlib1g:i386=1:1.2.13"], self.OK),
             (self.BASE, (100, UNMET.replace("libcurl4", "zlib1g")))],
            {"libssl3:amd64": "3.0.19", "zlib1g:amd64": "1:1.2.13"},
            {"libssl3:amd64": ["3.0.22", "3.0.20"], "libssl3:i386": ["3.0.20"],
             "zlib1g:amd64": ["1:1.2.13"], "zlib1g:i386": ["1:1.2.13"]})
        got = plan.make_plan(apt, "8.0", lambda m: None)
        self.assertEqual(sorted(got), sorted(self.BASE + [
            "zlib1g:i386=1:1.2.13", "libssl3:i386=3.0.20", "libssl3:amd64=3.0.20"]))

    def test_keeps_the_development_files_of_a_library_it_moves(self):
        moved = ["libssl3:i386=3.0.20", "libssl3:amd64=3.0.20"]
        apt = FakeApt(
            [(moved + ["libssl-dev:amd64=3.0.20"], self.OK),
             (moved, (0, "Remv libssl-dev [3.0.19]\n" + self.OK[1])),
             (self.BASE, (100, UNMET))],
            {"libssl3:amd64": "3.0.19"},
            {"libssl3:amd64": ["3.0.22", "3.0.20"], "libssl3:i386": ["3.0.20"],
             "libssl-dev:amd64": ["3.0.22", "3.0.20"]})
        got = plan.make_plan(apt, "8.0", lambda m: None)
        self.assertIn("libssl-dev:amd64=3.0.20", got)

    def test_refusals(self):
        installed = {"libgstreamer-plugins-base1.0-0:amd64": "1.22.0-3+deb12u7"}
        versions = {"libgstreamer-plugins-base1.0-0:amd64": ["1.22.0-3+deb12u7"],
                    "libgstreamer-plugins-base1.0-0:i386": ["1.22.0-3+deb12u6"]}
        cases = [
            ("removal", [(self.BASE, (0, SIMULATED))], "would remove wine64"),
            # A removed package from another source than the moved library is not pinned.
            ("removal of an unrelated package",
             [(self.BASE, (0, "Remv python3-dev [3.11.2-1]\n"))], "would remove python3-dev"),
            ("downgrade", [(self.BASE, (0, "Inst libfoo [2.0] (1.0 Debian [amd64])\n"))],
             "would downgrade libfoo"),
            ("no common version", [(self.BASE, (100, UNMET))],
             "libgstreamer-plugins-base1.0-0 1.22.0-3+deb12u7"),
            ("nothing to pin", [(self.BASE, (100, "E: Unable to locate package wine32\n"))],
             "cannot install wine32:i386=8.0"),
        ]
        for name, answers, message in cases:
            with self.subTest(name):
                with self.assertRaises(SystemExit) as stop:
                    plan.make_plan(FakeApt(answers, installed, versions), "8.0", lambda m: None)
                self.assertIn(message, str(stop.exception.code))


if __name__ == "__main__":
    unittest.main()
