#!/usr/bin/env python3
"""The Debian package and the documentation that goes with tekstovar-cli.

Package: builds the package with cpack from the build tree and checks it
without installing it: its files, its computed dependencies, the desktop
entry and metainfo as validators see them, both manual pages rendered by man
and the completion script run by bash.

Manual: the manual page and the completion script say what
"tekstovar-cli --help" says: every option, code page name, escape of the
mask languages, exit status and example.

usage: package_test.py BUILD_DIR TEKSTOVAR_CLI CPACK [unittest arguments]
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

BUILD, CLI, CPACK = sys.argv[1:4]
# What a failure about code page names asks for.
ONE_PLACE = "the code page names are kept in _tekstovar_cli_codepages at the top of completion/tekstovar-cli"
ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]
PACKAGE_FILES = [
    "usr/bin/tekstovar",
    "usr/bin/tekstovar-cli",
    "usr/share/applications/tekstovar.desktop",
    "usr/share/icons/hicolor/scalable/apps/tekstovar.svg",
    "usr/share/metainfo/org.example.tekstovar.metainfo.xml",
    "usr/share/man/man1/tekstovar.1.gz",
    "usr/share/man/man1/tekstovar-cli.1.gz",
    "usr/share/bash-completion/completions/tekstovar-cli",
] + [f"usr/share/icons/hicolor/{n}x{n}/apps/tekstovar.png" for n in ICON_SIZES]


def run(*command, **kwargs):
    result = subprocess.run(command, capture_output=True, text=True, **kwargs)
    if result.returncode != 0:
        raise AssertionError(f"{' '.join(command)} failed ({result.returncode}):\n{result.stdout}{result.stderr}")
    return result


def help_text():
    return run(CLI, "--help").stdout


def help_codepages(text):
    line = re.search(r"--from NAME\s+code page of the input: ([A-Z ]+)\n", text)
    assert line, "--help names no code pages after --from"
    return line.group(1).split()


def rendered(page):
    """The page as man prints it, hyphens as typed; groff's warnings fail."""
    env = dict(os.environ, MANWIDTH="100", LC_ALL="C.UTF-8")
    result = run("man", "--warnings", "-l", page, env=env)
    if result.stderr:
        raise AssertionError(f"man warns about {page}:\n{result.stderr}")
    return result.stdout.replace("\u2010", "-").replace("\u2212", "-")


def sections(text):
    """The rendered page's sections by heading, their text on one line."""
    parts = re.split(r"^(\S.*)$", text, flags=re.M)
    return {heading: " " + re.sub(r"\s+", " ", body) for heading, body in zip(parts[1::2], parts[2::2])}


def complete(script, *words):
    """What the completion script offers for the last of the words."""
    line = " ".join(f"'{w}'" for w in words)
    program = f"source '{script}'; COMP_WORDS=(tekstovar-cli {line}); COMP_CWORD={len(words)}; " \
              "_tekstovar_cli; printf '%s\\n' \"${COMPREPLY[@]}\""
    return [w for w in run("bash", "-c", program, cwd=os.path.dirname(script)).stdout.split("\n") if w]


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="tekstovar-package-")
        cls.addClassCleanup(shutil.rmtree, cls.work, ignore_errors=True)
        run(CPACK, "-G", "DEB", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", cls.work)
        debs = [f for f in os.listdir(cls.work) if f.endswith(".deb")]
        assert len(debs) == 1, f"cpack made {debs}"
        cls.deb = os.path.join(cls.work, debs[0])
        cls.root = os.path.join(cls.work, "root")
        run("dpkg-deb", "-x", cls.deb, cls.root)

    def test_holds_every_file_and_computed_dependencies(self):
        listed = {line.split()[-1].removeprefix("./") for line in run("dpkg-deb", "-c", self.deb).stdout.splitlines()}
        self.assertEqual([f for f in PACKAGE_FILES if f not in listed], [])
        depends = run("dpkg-deb", "-f", self.deb, "Depends").stdout
        # Found by dpkg-shlibdeps in the binaries, not written by hand.
        for library in ("libc6", "libqt6widgets6", "libqt6network6", "libstdc++6"):
            self.assertIn(library, depends)

    def test_desktop_entry_and_metainfo_validate(self):
        entry = os.path.join(self.root, "usr/share/applications/tekstovar.desktop")
        self.assertEqual(run("desktop-file-validate", entry).stdout, "")
        with open(entry, encoding="utf-8") as f:
            lines = f.read().splitlines()
        self.assertIn("Exec=tekstovar %F", lines)
        self.assertIn("Icon=tekstovar", lines)
        self.assertIn("MimeType=text/plain;text/html;text/css;text/x-log;", lines)
        run("appstreamcli", "validate", "--no-net",
            os.path.join(self.root, "usr/share/metainfo/org.example.tekstovar.metainfo.xml"))
        # The metainfo with the desktop entry and icon it names, as installed.
        run("appstreamcli", "validate-tree", "--no-net", self.root)

    def test_manual_pages_render(self):
        for page, heading in (("tekstovar", "THE PROGRAM DIRECTORY"), ("tekstovar-cli", "EXIT STATUS")):
            text = rendered(os.path.join(self.root, f"usr/share/man/man1/{page}.1.gz"))
            self.assertTrue(text.startswith(page.upper() + "(1)"), text[:80])
            for section in ("NAME", "SYNOPSIS", "DESCRIPTION", "FILES", "SEE ALSO", heading):
                self.assertIn(f"\n{section}\n", text, page)

    def test_completion_offers_code_pages_options_and_files(self):
        script = os.path.join(self.root, "usr/share/bash-completion/completions/tekstovar-cli")
        codepages = help_codepages(help_text())
        self.assertEqual(complete(script, "--from", ""), codepages, ONE_PLACE)
        self.assertEqual(complete(script, "-s", "x", "--to", codepages[1][0]), [codepages[1]])
        self.assertIn("--overwrite-backup", complete(script, "--ov"))
        # Files after an option that takes one, and for the paths.
        self.assertEqual(complete(script, "--log", "tekstovar-c"), ["tekstovar-cli"])
        self.assertEqual(complete(script, "-s", "a", "tekstovar-c"), ["tekstovar-cli"])
        self.assertEqual(complete(script, "-s", ""), [])


class Manual(unittest.TestCase):
    def setUp(self):
        self.help = help_text()
        text = rendered(os.path.join(BUILD, "man/tekstovar-cli.1"))
        self.page = re.sub(r"\s+", " ", text)
        self.sections = sections(text)
        self.completion = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../completion/tekstovar-cli")

    def test_every_option_is_described_and_completed(self):
        options = set(re.findall(r"(?<![\w-])(--?[a-z](?:[a-z-]*[a-z])?)(?![\w-])", self.help))
        self.assertIn("--overwrite-backup", options)
        section = self.sections["OPTIONS"]
        self.assertEqual(sorted(o for o in options if not re.search(rf"(?<![\w-]){o}(?![\w-])", section)), [])
        offered = set(complete(os.path.abspath(self.completion), "-"))
        self.assertEqual(sorted(options - offered), [])

    def test_code_pages_are_those_of_the_help(self):
        codepages = help_codepages(self.help)
        listed = re.search(r"--from NAME The code page of the input, one of: ([A-Z, ]+)\.", self.page)
        self.assertIsNotNone(listed)
        self.assertEqual(listed.group(1).split(", "), codepages, ONE_PLACE)
        with open(self.completion, encoding="utf-8") as f:
            kept = re.search(r'^_tekstovar_cli_codepages="([^"]*)"', f.read(), re.M).group(1).split()
        self.assertEqual(kept, codepages, ONE_PLACE)

    def test_escapes_exit_statuses_and_examples_are_those_of_the_help(self):
        escapes = set(re.findall(r"\\[^\s]", self.help))
        self.assertEqual(sorted(e for e in escapes if e not in self.page), [])
        statuses = re.search(r"Exit status:(.*?)\n\n", self.help, re.S).group(1)
        exits = self.sections["EXIT STATUS"]
        for status in re.findall(r"\b(\d+) (?:done|a |some|or|stopped)", statuses):
            self.assertRegex(exits, rf" {status} ")
        for example in re.findall(r"^  (tekstovar-cli .*?)\s{2,}\S", self.help.split("Examples:")[1], re.M):
            self.assertIn(example, self.page)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:])
