#!/usr/bin/env python3
"""The manual pages of the Debian package as man shows them: the sections of a manual page in order,
every command of tempo in a subsection of its own with its arguments, every option of tempoline-web,
the Chinese of the help as Chinese, no warning from man, and a NAME line that whatis reads.

    tests/man_pages_test.py TEMPO TEMPOLINE_WEB PAGES_FOLDER

PAGES_FOLDER holds tempo.1.gz and tempoline-web.1.gz (the build's man/ folder)."""
import gzip
import os
import re
import subprocess
import sys
import tempfile
import unittest

TEMPO, WEB, PAGES = sys.argv[1:4]
del sys.argv[1:4]
UTF8 = dict(os.environ, LC_ALL="C.UTF-8", MANWIDTH="120", MAN_KEEP_FORMATTING="", MANPAGER="cat", PAGER="cat")


def shown(page):
    """The page as man renders it in a UTF-8 locale, and what man warned of."""
    p = subprocess.run(["man", "--warnings", "-E", "UTF-8", "-l", os.path.join(PAGES, page)], capture_output=True,
                       env=UTF8)
    assert p.returncode == 0, p.stderr
    text = re.sub(".\b", "", p.stdout.decode("utf-8"))  # no overstriking
    return text, p.stderr.decode("utf-8")


def help_of(*words):
    return subprocess.run([TEMPO, *words, "--help"], capture_output=True, env=UTF8).stdout.decode("utf-8")


def commands_of(help_text):
    """The commands a help text lists under "Subcommands:"."""
    listed, inside = [], False
    for line in help_text.splitlines():
        if line.endswith(":") and not line.startswith(" "):
            inside = line == "Subcommands:"
        elif inside and line.startswith("  ") and line.strip():
            listed.append(line.split()[0])
    return listed


class TempoPage(unittest.TestCase):
    def test_sections_in_order_without_warnings(self):
        text, warnings = shown("tempo.1.gz")
        self.assertEqual(warnings, "")
        headings = [line for line in text.splitlines() if re.fullmatch(r"[A-Z][A-Z ]+", line)]
        self.assertEqual(headings, ["NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "COMMANDS", "EXIT STATUS", "FILES",
                                    "SEE ALSO"])
        # The help's own headings never run into the text.
        for line in text.splitlines():
            self.assertNotIn(line.strip(), ("Positionals:", "Options:", "Subcommands:"), line)

    def test_every_command_has_its_subsection_with_its_arguments_and_example(self):
        text, _ = shown("tempo.1.gz")
        subsections = [line.strip() for line in text.splitlines() if re.match(r"   tempo \S", line)]
        pending = [[c] for c in commands_of(help_of())]
        self.assertGreater(len(pending), 15)
        seen = 0
        while pending:
            words = pending.pop(0)
            command_help = help_of(*words)
            nested = commands_of(command_help)
            pending += [words + [n] for n in nested]
            usage = next(line[len("Usage: "):] for line in command_help.splitlines() if line.startswith("Usage: "))
            self.assertIn(usage, subsections, words)
            section = text.split("   " + usage + "\n", 1)[1].split("\n   tempo ", 1)[0]
            for line in command_help.splitlines():
                option = re.match(r"  (--[a-z-]+)", line)
                if option and option.group(1) != "--help-all":
                    self.assertIn(option.group(1), section, (words, option.group(1)))
                if line.startswith("Example: "):
                    self.assertIn(line[len("Example: "):], section.replace("\n", " "), words)
            seen += 1
        self.assertGreaterEqual(seen, 25)  # the 18 commands, and those of tool and query

    def test_the_chinese_of_the_help_reads_as_chinese(self):
        text, _ = shown("tempo.1.gz")
        chinese = set(re.findall(r"[\u4e00-\u9fff（）]+", help_of("ics") + help_of("day") + help_of("tool")))
        self.assertIn("妈妈生日", chinese)
        flat = re.sub(r"\s+", "", text)
        for word in chinese:
            self.assertIn(word, flat)
        self.assertNotIn("???", text)

    def test_whatis_reads_the_name_line(self):
        p = subprocess.run(["lexgrog", os.path.join(PAGES, "tempo.1.gz")], capture_output=True, env=UTF8)
        self.assertIn("tempo - the calculator of Tempoline", p.stdout.decode("utf-8"))


class WebPage(unittest.TestCase):
    def test_every_option_and_the_sections(self):
        text, warnings = shown("tempoline-web.1.gz")
        self.assertEqual(warnings, "")
        headings = [line for line in text.splitlines() if re.fullmatch(r"[A-Z][A-Z ]+", line)]
        self.assertEqual(headings, ["NAME", "SYNOPSIS", "DESCRIPTION", "ROUTES", "OPTIONS", "FORECAST FILE",
                                    "EXIT STATUS", "FILES", "SEE ALSO"])
        web_help = subprocess.run([WEB, "--help"], capture_output=True, env=UTF8).stdout.decode("utf-8")
        options = re.findall(r"^  (--[a-z-]+)", web_help, re.M)
        self.assertGreater(len(options), 6)
        for option in options:
            self.assertRegex(text, r"\n       " + re.escape(option) + r"\b", option)
        self.assertIn("/etc/default/tempoline-web", text)
        # Every route the service answers (web/service.cpp routes them) is in the help and the page.
        for route in ("/weather/CODE.shtml", "/download/index.html", "/download/tempoline.html", "/help/778.php",
                      "/holidays/cn.tsv", "/calendar.ics"):
            self.assertIn(route, web_help, route)
            self.assertIn(route, text, route)
        # The forecast file's format is on the page itself, the weather words in Chinese.
        self.assertIn('"wind_force": "3级"', text)

    def test_version(self):
        p = subprocess.run([WEB, "--version"], capture_output=True, env=UTF8)
        self.assertEqual((p.returncode, p.stdout, p.stderr), (0, b"tempoline-web 4.2 (Tempoline 4.2)\n", b""))


class InstalledFilesOnly(unittest.TestCase):
    def test_no_page_or_help_names_a_file_of_the_source_tree(self):
        # The package installs the programs, their pages and /etc/default/tempoline-web: a path of
        # the source tree (web/demo-forecast.json, data/*.tsv) would send the reader nowhere.
        texts = {"tempo.1": shown("tempo.1.gz")[0], "tempoline-web.1": shown("tempoline-web.1.gz")[0],
                 "tempoline-web --help": subprocess.run([WEB, "--help"], capture_output=True,
                                                        env=UTF8).stdout.decode("utf-8"),
                 "tempo --help-all": subprocess.run([TEMPO, "--help-all"], capture_output=True,
                                                    env=UTF8).stdout.decode("utf-8")}
        for name, text in texts.items():
            self.assertIsNone(re.search(r"\b(web|data|docs|scripts|packaging)/\S+", text), name)


class Generator(unittest.TestCase):
    def test_the_same_pages_from_the_same_programs(self):
        # Made again from the same programs with the same date, the pages are the same bytes.
        script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "man_pages.py")
        with tempfile.TemporaryDirectory() as a, tempfile.TemporaryDirectory() as b:
            for folder in (a, b):
                env = dict(UTF8, SOURCE_DATE_EPOCH="1796601600")
                subprocess.run([sys.executable, script, TEMPO, WEB, "4.2", folder], check=True, env=env)
            for name in ("tempo.1", "tempoline-web.1"):
                with open(os.path.join(a, name), "rb") as f, open(os.path.join(b, name), "rb") as g:
                    first = f.read()
                    self.assertEqual(first, g.read())
                self.assertIn(b'"2026-12-07"', first.splitlines()[1])


if __name__ == "__main__":
    unittest.main()
