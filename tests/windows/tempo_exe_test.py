#!/usr/bin/env python3
"""tempo.exe under Wine with Chinese arguments, on a Chinese Windows (ANSI and OEM code page 936) and
on a Western one (1252 and 850): the arguments reach the commands whatever the code page, and the
output is Chinese in UTF-8 through a pipe and on a console.

Wine takes the Windows code pages from the name of the Unix locale and converts the command line
with that locale's character set, so each Windows runs under a locale named zh_CN.UTF-8 or
de_DE.UTF-8 that is a copy of C.UTF-8 (LOCPATH): a UTF-8 character set under either name.

    tests/windows/tempo_exe_test.py TEMPO_EXE NATIVE_TEMPO WORK_DIR   (WINEPREFIX set)"""
import json
import os
import shutil
import subprocess
import sys
import unittest

TEMPO_EXE, NATIVE_TEMPO, WORK = sys.argv[1:4]
del sys.argv[1:4]
LOCALES = os.path.join(WORK, "locales")
WINDOWS = {"zh_CN.UTF-8": 936, "de_DE.UTF-8": 1252}


def make_locales():
    source = "/usr/lib/locale/C.utf8"
    for name in WINDOWS:
        target = os.path.join(LOCALES, name)
        if os.path.isdir(target):
            continue
        if os.path.isdir(source):
            shutil.copytree(source, target)
        else:  # a system whose C.UTF-8 lives only in the locale archive
            subprocess.run(["localedef", "-i", "C", "-f", "UTF-8", target], check=True)


def environment(locale):
    env = {k: v for k, v in os.environ.items() if not k.startswith("LC_") and k not in ("LANG", "LANGUAGE")}
    env.update(LOCPATH=LOCALES, LC_ALL=locale, WINEDEBUG="-all")
    return env


def wine(locale, *args):
    p = subprocess.run(["wine", TEMPO_EXE, *args], capture_output=True, env=environment(locale), timeout=120)
    return p.returncode, p.stdout, p.stderr


def native(*args):
    """The native tempo's output, or None without one (NATIVE_TEMPO "-")."""
    if NATIVE_TEMPO == "-":
        return None
    return subprocess.run([NATIVE_TEMPO, *args], capture_output=True, check=True).stdout


class ChineseArguments(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        make_locales()

    def test_each_windows_has_its_code_page(self):
        # cmd writes its echo in the console's (OEM) code page: GBK on the Chinese Windows, "??" on
        # the Western one; the narrow command line of a program is made the same way.
        for locale, expected in (("zh_CN.UTF-8", "结婚".encode("gbk")), ("de_DE.UTF-8", b"??")):
            p = subprocess.run(["wine", "cmd", "/c", "echo", "结婚"], capture_output=True, env=environment(locale),
                               timeout=120)
            self.assertEqual(p.stdout.strip(), expected, locale)

    def test_chinese_arguments_give_what_the_native_tempo_gives(self):
        commands = [
            # 结婚 is an activity of the almanac, 牛 an animal
            ("almanac", "--find", "结婚", "--from", "2025-01-01", "--days", "30", "--avoid", "牛"),
            ("day", "2024-02-10", "--place", "北京/天安门"),
            ("query", "days", "--from", "2024", "--years", "3", "--festival", "中秋节"),
        ]
        outputs = {}
        for locale in WINDOWS:
            for args in commands:
                code, out, err = wine(locale, *args)
                self.assertEqual((code, err), (0, b""), (locale, args))
                # Output through a pipe is UTF-8, the same on every Windows and as the native tempo's.
                out = out.replace(b"\r\n", b"\n")
                self.assertEqual(out, outputs.setdefault(args, native(*args) or out), (locale, args))
            # Hand-checked: 中秋节 fell on 2024-09-17, 2025-10-06 and 2026-09-25.
            code, out, _ = wine(locale, "--json", "query", "days", "--from", "2024", "--years", "3", "--festival", "中秋节")
            self.assertEqual(json.loads(out)["hits_iso"], ["2024-09-17", "2025-10-06", "2026-09-25"], locale)
            # A word that is no activity is still refused, and the refusal shows it as typed.
            code, out, err = wine(locale, "almanac", "--find", "吃饭")
            self.assertEqual(code, 2, locale)
            self.assertIn("吃饭", err.decode("utf-8"), locale)

    def test_chinese_on_a_console(self):
        # A terminal makes Wine give the program a console: tempo.exe writes UTF-16 to it
        # (WriteConsoleW), which Wine shows in the terminal's UTF-8.
        for locale in WINDOWS:
            p = subprocess.run(["script", "-qec", "wine '%s' day 2024-02-10 --place 北京/天安门" % TEMPO_EXE, "/dev/null"],
                               capture_output=True, env=environment(locale), stdin=subprocess.DEVNULL, timeout=120)
            shown = p.stdout.decode("utf-8", "replace")
            self.assertEqual(p.returncode, 0, (locale, shown))
            self.assertIn("正月初一", shown, locale)
            self.assertIn("天安门　黎明", shown, locale)


if __name__ == "__main__":
    unittest.main(verbosity=2)
