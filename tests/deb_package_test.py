#!/usr/bin/env python3
"""The Debian package scripts/package.sh makes, checked as a packager would:

- its copyright is in Debian's machine-readable format, and every library whose headers the build
  compiled into tempo and tempoline-web (found in the build's dependency files, each header's
  Debian package asked of dpkg) has a paragraph with its licence; the libraries linked dynamically
  are in Depends instead;
- its modes do not depend on the umask of the build: the package made again under umask 077 (and
  the C locale, in a folder with Chinese and a blank) holds the same entries with the same modes,
  directories and programs 0755, other files 0644, every entry owned by root.

    tests/deb_package_test.py DEB DEB_UMASK_077 BUILD_DIR"""
import glob
import io
import os
import re
import subprocess
import sys
import tarfile
import unittest

DEB, DEB_077, BUILD = sys.argv[1:4]
del sys.argv[1:4]

# Header packages whose libraries are linked dynamically: their runtime package must be in Depends
# (its own copyright goes with it). Kernel headers hold no code.
DYNAMIC = {"libc6-dev": "libc6", "libstdc++-12-dev": "libstdc++6", "libical-dev": "libical3",
           "libgcc-12-dev": "libgcc-s1", "linux-libc-dev": None}


def paragraphs(text):
    """The paragraphs of a deb822 file as dicts; continuation lines joined with newlines."""
    out = []
    for block in re.split(r"\n\s*\n", text.strip("\n")):
        fields, key = {}, None
        for line in block.split("\n"):
            if line[:1] in (" ", "\t"):
                fields[key] += "\n" + line[1:]
            else:
                key, _, value = line.partition(":")
                fields[key] = value.strip()
        out.append(fields)
    return out


def data_tar(deb):
    return tarfile.open(fileobj=io.BytesIO(subprocess.run(["dpkg-deb", "--fsys-tarfile", deb], check=True,
                                                          capture_output=True).stdout))


def control_tar(deb):
    return tarfile.open(fileobj=io.BytesIO(subprocess.run(["dpkg-deb", "--ctrl-tarfile", deb], check=True,
                                                          capture_output=True).stdout))


def included_header_packages():
    """The Debian packages of the headers that tempo and tempoline-web were compiled from."""
    headers = set()
    for target in ("tempo", "tempoline-web", "tempo_cli_lib", "tempo_ics_lib", "tempoline_web", "tempoline_core",
                   "tempoline_text"):
        for depfile in glob.glob(os.path.join(BUILD, "CMakeFiles", target + ".dir", "**", "*.o.d"), recursive=True):
            with open(depfile, encoding="utf-8") as f:
                for word in f.read().replace("\\\n", " ").split():
                    if word.endswith(":") or not word.startswith("/"):
                        continue
                    path = os.path.realpath(word)
                    if not path.startswith(os.path.realpath(BUILD)) and "/usr/" in path:
                        headers.add(path)
    assert headers, "no dependency files in %s" % BUILD
    owners = subprocess.run(["dpkg", "-S", *sorted(headers)], capture_output=True, text=True).stdout
    packages = set()
    for line in owners.splitlines():
        for name in line.split(": ")[0].split(", "):
            packages.add(name.split(":")[0])  # without the architecture
    return packages


class Copyright(unittest.TestCase):
    def setUp(self):
        member = data_tar(DEB).extractfile("./usr/share/doc/tempoline/copyright")
        self.text = member.read().decode("utf-8")
        self.paragraphs = paragraphs(self.text)

    def test_machine_readable_with_every_licence_text(self):
        header = self.paragraphs[0]
        self.assertEqual(header["Format"], "https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")
        files = [p for p in self.paragraphs[1:] if "Files" in p]
        texts = {p["License"].split("\n")[0]: p["License"] for p in self.paragraphs[1:] if "Files" not in p}
        self.assertEqual(files[0]["Files"], "*")
        for p in files:
            self.assertTrue(p.get("Copyright"), p)
            name = p["License"].split("\n")[0]
            # A short name alone needs a stand-alone paragraph with the whole text.
            self.assertIn(name, texts, p["Files"])
            self.assertGreater(len(texts[name].split("\n")), 8, name)
        self.assertIn("Redistributions in binary form must reproduce", texts["BSD-3-clause"])
        self.assertIn("Boost Software License - Version 1.0", texts["BSL-1.0"])

    def test_every_library_compiled_in_has_its_licence_and_the_linked_ones_are_depended_on(self):
        depends = subprocess.run(["dpkg-deb", "-f", DEB, "Depends"], check=True, capture_output=True,
                                 text=True).stdout
        comments = " ".join(p.get("Comment", "") for p in self.paragraphs if "Files" in p)
        packages = included_header_packages()
        # The libraries the build is known to compile in: a lost dependency file would hide them.
        self.assertTrue({"libcli11-dev", "nlohmann-json3-dev"} <= packages, packages)
        self.assertTrue(any(p.startswith("libboost") for p in packages), packages)
        for package in sorted(packages):
            if package in DYNAMIC:
                if DYNAMIC[package]:
                    self.assertRegex(depends, r"\b%s\b" % re.escape(DYNAMIC[package]), package)
                continue
            # libboost1.74-dev is named as libboost-dev, the package the build asks for.
            unversioned = re.sub(r"[0-9.]+-dev$", "-dev", package)
            self.assertTrue(package in comments or unversioned in comments,
                            "%s is compiled in but the copyright has no paragraph for it" % package)


class Modes(unittest.TestCase):
    def entries(self, tar):
        return {m.name: (m.mode, m.type, m.uname, m.gname, m.size) for m in tar.getmembers()}

    def test_the_same_entries_and_modes_under_umask_077(self):
        for read in (data_tar, control_tar):
            first, second = self.entries(read(DEB)), self.entries(read(DEB_077))
            self.assertEqual(first, second, read.__name__)
        for name, (mode, kind, user, group, _) in self.entries(data_tar(DEB)).items():
            self.assertEqual((user, group), ("root", "root"), name)
            executable = kind == tarfile.DIRTYPE or name.startswith("./usr/bin/")
            if kind != tarfile.SYMTYPE:
                self.assertEqual(oct(mode), oct(0o755 if executable else 0o644), name)
        for name, (mode, kind, *_rest) in self.entries(control_tar(DEB)).items():
            script = os.path.basename(name) in ("postinst", "prerm", "postrm") or kind == tarfile.DIRTYPE
            self.assertEqual(oct(mode), oct(0o755 if script else 0o644), name)


if __name__ == "__main__":
    unittest.main(verbosity=2)
