#!/usr/bin/env python3
"""The release manifests, made from two small zips: where the package managers look for them, passing the
kept schemas, naming each zip's hash, and refused with the file and the field named when anything is off."""
import hashlib
import json
import os
import shutil
import sys
import tempfile
import unittest
import zipfile

import yaml

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import manifests  # noqa: E402

VERSION = "1.10"  # a number, to a YAML reader that is not told otherwise
WINGET = "winget/manifests/z/Zentrilo/Zentrilo/1.10/Zentrilo.Zentrilo"
INSTALLER, LOCALE, SCOOP = f"{WINGET}.installer.yaml", f"{WINGET}.locale.zh-CN.yaml", "scoop/zentrilo.json"


class ManifestTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="zentrilo-manifest-test-")
        self.addCleanup(shutil.rmtree, self.folder)
        self.make("zentrilo.exe")

    def make(self, entry):
        """Zips a stand-in executable per architecture as entry, and the manifests and SHA256SUMS for them."""
        self.zips, self.hashes = {}, {}
        for arch in ("x86_64", "i686"):
            self.zips[arch] = os.path.join(self.folder, f"zentrilo-{VERSION}-{arch}.zip")
            with zipfile.ZipFile(self.zips[arch], "w") as z:
                z.writestr(entry, f"MZ, for {arch}")
            with open(self.zips[arch], "rb") as f:
                self.hashes[arch] = hashlib.sha256(f.read()).hexdigest()
        release = manifests.release_settings(VERSION, "https://example.org/zentrilo", "A display scale")
        self.files = manifests.render(release, self.zips)
        self.sums = "".join(f"{h}  {os.path.basename(self.zips[a])}\n" for a, h in self.hashes.items())

    def refusal(self, files=None, sums=None):
        with self.assertRaises(manifests.ManifestError) as caught:
            manifests.check(files or self.files, self.folder, sums or self.sums)
        return str(caught.exception)

    def test_the_files_are_where_the_package_managers_look_and_pass_their_checks(self):
        self.assertEqual(sorted(self.files), sorted([f"{WINGET}.yaml", f"{WINGET}.locale.en-US.yaml", INSTALLER,
                                                     LOCALE, SCOOP]))
        manifests.check(self.files, self.folder, self.sums)
        for path in self.files:
            if path.endswith(".yaml"):
                self.assertEqual(yaml.safe_load(self.files[path])["PackageVersion"], VERSION, path)

    def test_each_hash_is_its_zips(self):
        installers = yaml.safe_load(self.files[INSTALLER])["Installers"]
        self.assertEqual({i["Architecture"]: i["InstallerSha256"] for i in installers},
                         {"x64": self.hashes["x86_64"].upper(), "x86": self.hashes["i686"].upper()})
        scoop = json.loads(self.files[SCOOP])["architecture"]
        self.assertEqual({a: scoop[a]["hash"] for a in scoop}, {"64bit": self.hashes["x86_64"],
                                                               "32bit": self.hashes["i686"]})

    def test_a_broken_manifest_is_refused_with_its_field_named(self):
        x64, x86 = self.hashes["x86_64"], self.hashes["i686"]
        cases = {
            "a broken hash": (INSTALLER, x64.upper(), x86.upper(), "Installers[0].InstallerSha256"),
            "a broken Scoop hash": (SCOOP, x86, x64, "architecture.32bit.hash"),
            "a version mismatch": (LOCALE, "'1.10'", "'1.11'", "PackageVersion: 1.11 is not 1.10"),
            "a Scoop version mismatch": (SCOOP, '"1.10"', '"1.11"', "version: 1.11 is not 1.10"),
            "a value the schema refuses": (INSTALLER, "InstallerType: zip", "InstallerType: zip\n"
                                           "ElevationRequirement: highestAvailable", "ElevationRequirement"),
            "a field winget does not know": (LOCALE, "Tags:", "Tag:", "'Tag' was unexpected"),
            "a field Scoop does not know": (SCOOP, '"bin"', '"binary"', "'binary' was unexpected"),
            "LF line ends": (SCOOP, "\r\n", "\n", "exactly one line end"),
        }
        for case, (path, old, new, expected) in cases.items():
            with self.subTest(case):
                self.assertIn(old.encode(), self.files[path])
                files = dict(self.files, **{path: self.files[path].replace(old.encode(), new.encode())})
                self.assertIn(f"{path}: ", self.refusal(files))
                self.assertIn(expected, self.refusal(files))
        with self.subTest("a stale SHA256SUMS"):
            self.assertIn(f"SHA256SUMS says {x86} for zentrilo-1.10-x86_64.zip",
                          self.refusal(sums=self.sums.replace(x64, x86, 1)))

    def test_a_zip_without_the_executable_at_its_root_is_refused(self):
        self.make("bin/zentrilo.exe")
        self.assertIn(f"{INSTALLER}: Installers[0]: zentrilo-1.10-x86_64.zip has no zentrilo.exe at its root",
                      self.refusal())
        self.assertIn(f"{SCOOP}: architecture.32bit: zentrilo-1.10-i686.zip has no zentrilo.exe at its root",
                      self.refusal())


if __name__ == "__main__":
    unittest.main()
