#!/usr/bin/env python3
"""The winget manifests scripts/package.sh writes into dist/winget/, checked against the release zip
beside them: the four files of one package and version (version, installer, the default locale
zh-CN and the locale en-US), a portable zip for one user whose programs lie where the manifest says
under their aliases, the zip's SHA-256, and the fields and limits of winget's manifest schema 1.6.

    tests/winget_test.py DIST VERSION"""
import hashlib
import os
import re
import sys
import unittest
import zipfile

import yaml

DIST, VERSION = sys.argv[1:3]
del sys.argv[1:3]
ID = "Tempoline.Tempoline"
ZIP = os.path.join(DIST, "Tempoline-%s-win64.zip" % VERSION)


def manifest(suffix):
    path = os.path.join(DIST, "winget", ID + suffix + ".yaml")
    with open(path, encoding="utf-8") as f:
        text = f.read()
    return text, yaml.safe_load(text)


class Manifests(unittest.TestCase):
    def test_the_four_files_of_one_package_and_version(self):
        self.assertEqual(sorted(os.listdir(os.path.join(DIST, "winget"))),
                         sorted(ID + s + ".yaml" for s in ("", ".installer", ".locale.zh-CN", ".locale.en-US")))
        types = {}
        for suffix in ("", ".installer", ".locale.zh-CN", ".locale.en-US"):
            text, m = manifest(suffix)
            self.assertNotIn("@", text.replace("developers@", ""), suffix)  # every placeholder filled in
            self.assertEqual((m["PackageIdentifier"], m["PackageVersion"], m["ManifestVersion"]), (ID, VERSION, "1.6.0"))
            types[suffix] = m["ManifestType"]
        self.assertEqual(types, {"": "version", ".installer": "installer", ".locale.zh-CN": "defaultLocale",
                                 ".locale.en-US": "locale"})
        self.assertEqual(manifest("")[1]["DefaultLocale"], "zh-CN")

    def test_a_portable_zip_for_one_user_with_its_hash(self):
        _, m = manifest(".installer")
        self.assertEqual((m["InstallerType"], m["NestedInstallerType"], m["Scope"]), ("zip", "portable", "user"))
        self.assertRegex(m["ReleaseDate"], r"^\d{4}-\d{2}-\d{2}$")
        [installer] = m["Installers"]
        self.assertEqual(installer["Architecture"], "x64")
        self.assertTrue(installer["InstallerUrl"].startswith("https://"))
        self.assertTrue(installer["InstallerUrl"].endswith("/" + os.path.basename(ZIP)))
        with open(ZIP, "rb") as f:
            self.assertEqual(installer["InstallerSha256"], hashlib.sha256(f.read()).hexdigest().upper())
        with zipfile.ZipFile(ZIP) as z:
            names = set(z.namelist())
        aliases = {}
        for nested in m["NestedInstallerFiles"]:
            path = nested["RelativeFilePath"]
            self.assertIn(path.replace("\\", "/"), names, path)  # winget writes Windows paths
            aliases[path.rsplit("\\", 1)[1]] = nested["PortableCommandAlias"]
        self.assertEqual(aliases, {"Tempoline.exe": "tempoline", "tempo.exe": "tempo"})

    def test_the_locales_have_the_fields_winget_requires(self):
        for suffix, locale, name in ((".locale.zh-CN", "zh-CN", "橙鹿万年历"), (".locale.en-US", "en-US", "Tempoline")):
            _, m = manifest(suffix)
            self.assertEqual((m["PackageLocale"], m["PackageName"]), (locale, name))
            for field in ("Publisher", "License", "ShortDescription", "PublisherUrl", "LicenseUrl", "PackageUrl"):
                self.assertTrue(m.get(field), (suffix, field))
            self.assertLessEqual(len(m["ShortDescription"]), 256)
            self.assertLessEqual(len(m["Description"]), 10000)
            self.assertLessEqual(len(m["Tags"]), 16)
            for tag in m["Tags"]:
                self.assertRegex(tag, r"^\S{1,40}$")
            for field in ("PublisherUrl", "LicenseUrl", "PackageUrl", "PublisherSupportUrl"):
                self.assertRegex(m[field], r"^https?://\S+$")
        self.assertEqual(manifest(".locale.zh-CN")[1]["Moniker"], "tempoline")
        self.assertNotIn("Moniker", manifest(".locale.en-US")[1])  # the default locale's alone


if __name__ == "__main__":
    unittest.main()
