"""The Debian package that CPack makes from this build: what it installs where, what it
declares, whether Debian's own checker accepts it, and whether desktops accept its
desktop entry and metainfo."""

import configparser
import gzip
import os
import pathlib
import shutil
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

BUILD_DIR = os.environ["SOMNARA_BUILD_DIR"]
APP_ID = os.environ["SOMNARA_APP_ID"]
VERSION = os.environ["SOMNARA_VERSION"]
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def run(*args, **kwargs):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kwargs)


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.TemporaryDirectory(prefix="somnara-package-")
        work = pathlib.Path(cls.work.name)
        run(os.environ["CPACK"], "--config", f"{BUILD_DIR}/CPackConfig.cmake", "-G", "DEB",
            "-B", str(work / "out"))
        debs = sorted((work / "out").glob("somnara_*.deb"))
        assert len(debs) == 1, f"expected one package, found {debs}"
        cls.deb = str(debs[0])
        cls.root = work / "root"
        run("dpkg-deb", "--extract", cls.deb, str(cls.root))
        listing = run("dpkg-deb", "--contents", cls.deb).stdout.splitlines()
        # "-rwxr-xr-x root/root 234 2026-12-08 02:28 ./usr/bin/somnara"
        cls.entries = {line.split()[5].removeprefix("./").rstrip("/"): line.split()[0]
                       for line in listing}
        cls.files = {path for path, mode in cls.entries.items() if not mode.startswith("d")}

    @classmethod
    def tearDownClass(cls):
        cls.work.cleanup()

    executable = "usr/lib/somnara/somnara"

    def field(self, name):
        return run("dpkg-deb", "--field", self.deb, name).stdout.strip()

    def test_program_folder_holds_the_executable_and_its_movies_only(self):
        folder = {path for path in self.files if path.startswith("usr/lib/somnara/")}
        self.assertIn(self.executable, folder)
        self.assertEqual(folder, {"usr/lib/somnara/somnara", "usr/lib/somnara/Pendulum.swf",
                                  "usr/lib/somnara/BoxUpward.swf", "usr/lib/somnara/BoxDownward.swf"})
        self.assertEqual(self.entries["usr/lib/somnara/somnara"], "-rwxr-xr-x")
        self.assertIn("ELF", run("file", "--brief", str(self.root / "usr/lib/somnara/somnara")).stdout)

    def test_desktop_files_are_named_by_the_application_id(self):
        expected = {"usr/bin/somnara",
                    f"usr/share/applications/{APP_ID}.desktop",
                    f"usr/share/metainfo/{APP_ID}.metainfo.xml"}
        expected |= {f"usr/share/icons/hicolor/{size}x{size}/apps/{APP_ID}.png" for size in ICON_SIZES}
        self.assertLessEqual(expected, self.files)
        self.assertEqual(self.entries["usr/bin/somnara"], "-rwxr-xr-x")
        for size in ICON_SIZES:
            icon = self.root / f"usr/share/icons/hicolor/{size}x{size}/apps/{APP_ID}.png"
            self.assertIn(f"{size} x {size}", run("file", "--brief", str(icon)).stdout, icon)

    def test_nothing_lands_outside_usr_and_no_script_runs_on_install_or_removal(self):
        # The user's settings and lock live under their home and runtime folders; the
        # package neither ships nor removes anything there.
        self.assertEqual({path for path in self.files if not path.startswith("usr/")}, set())
        control = pathlib.Path(self.work.name) / "control"
        run("dpkg-deb", "--control", self.deb, str(control))
        self.assertEqual(sorted(os.listdir(control)), ["control", "md5sums"])

    def test_control_fields_describe_and_place_the_package(self):
        self.assertEqual(self.field("Package"), "somnara")
        self.assertEqual(self.field("Version"), VERSION)
        self.assertEqual(self.field("Section"), "misc")
        self.assertEqual(self.field("Priority"), "optional")
        self.assertRegex(self.field("Maintainer"), r"^[^<>]+ <[^@<>\s]+@[^@<>\s]+>$")
        summary, _, body = self.field("Description").partition("\n")
        self.assertTrue(summary and len(summary) < 80, summary)
        self.assertGreater(len(body), 100)
        self.assertTrue(all(len(line) <= 80 for line in body.splitlines()))

    def test_depends_names_qt_and_its_display_plugins(self):
        depends = {entry.split()[0] for entry in self.field("Depends").split(", ")}
        # Found by dpkg-shlibdeps in the executable...
        self.assertLessEqual({"libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6"}, depends)
        # ...and named by hand, since Qt loads its display plug-ins only at run time: X11
        # always, the native Wayland one as apt's default choice that a user may decline.
        self.assertIn("qt6-qpa-plugins", depends)
        self.assertEqual(self.field("Recommends"), "qt6-wayland")

    def test_lintian_finds_no_error_and_no_warning(self):
        # --fail-on makes lintian's exit status the verdict; its tags are printed for
        # whoever reads a failure. Overrides shipped in the package are honoured.
        result = subprocess.run(["lintian", "--fail-on", "error,warning", "--display-level", ">=warning",
                                 "--tag-display-limit", "0", self.deb], capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertNotRegex(result.stdout, r"(?m)^[EW]: ", "no error or warning tags")

    def test_changelog_is_compressed_reproducibly_and_names_this_version(self):
        path = self.root / "usr/share/doc/somnara/changelog.gz"
        raw = path.read_bytes()
        # gzip -n: no name and no time in the header (bytes 4-7 are the time stamp).
        self.assertEqual(raw[4:8], bytes(4))
        first = gzip.decompress(raw).decode().splitlines()[0]
        self.assertRegex(first, rf"^somnara \({VERSION}\) \S+; urgency=\w+$")

    def test_copyright_is_machine_readable_and_covers_every_file(self):
        text = (self.root / "usr/share/doc/somnara/copyright").read_text()
        paragraphs = [p for p in text.split("\n\n") if p.strip()]
        self.assertTrue(paragraphs[0].startswith(
            "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"))
        self.assertIn("Files: *", [line for p in paragraphs for line in p.splitlines()])
        licence = next(p for p in paragraphs if p.startswith("Files: *"))
        self.assertRegex(licence, r"(?m)^Copyright: \d{4}")
        self.assertRegex(licence, r"(?m)^License: \S+\n .+")

    def test_manual_page_names_the_command_and_the_files_the_program_uses(self):
        page = run("man", "--local-file", str(self.root / "usr/share/man/man1/somnara.1.gz"),
                   env={**os.environ, "MANWIDTH": "200", "LANG": "C.UTF-8"}).stdout
        for heading in ("NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "FILES"):
            self.assertRegex(page, rf"(?m)^{heading}$")
        self.assertIn("somnara - ", page)
        # The program names its settings file after its executable.
        self.assertIn(f"~/.config/{pathlib.Path(self.executable).name}.conf", page)
        self.assertIn("$XDG_RUNTIME_DIR/somnara.lock", page)

    def test_command_starts_the_program_from_its_folder_through_any_link(self):
        # A stand-in program reports how it was started; the real one finds its movies
        # through the path it was started by.
        root = pathlib.Path(self.work.name) / "launch"
        shutil.copytree(self.root, root)
        program = root / "usr/lib/somnara/somnara"
        program.write_text('#!/bin/sh\necho "$0" "$@"\n')
        linked = root / "elsewhere"
        linked.mkdir()
        (linked / "somnara").symlink_to(root / "usr/bin/somnara")
        for command in (root / "usr/bin/somnara", linked / "somnara"):
            started = run(str(command), "two words", "-x").stdout
            self.assertEqual(started, f"{root}/usr/bin/../lib/somnara/somnara two words -x\n")

    def test_desktop_entry_is_valid_and_names_the_installed_command_and_icon(self):
        entry_path = self.root / f"usr/share/applications/{APP_ID}.desktop"
        result = subprocess.run(["desktop-file-validate", str(entry_path)], capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertEqual(result.stdout + result.stderr, "", "no warnings either")
        entry = configparser.ConfigParser(interpolation=None)
        entry.optionxform = str
        entry.read(entry_path)
        desktop = entry["Desktop Entry"]
        self.assertIn(f"usr/bin/{desktop['Exec'].split()[0]}", self.files)
        self.assertEqual(desktop["Icon"], APP_ID)
        # On X11 the desktop matches windows to the entry by their class, which Qt takes
        # from the executable's file name.
        self.assertIn(f"usr/lib/somnara/{desktop['StartupWMClass']}", self.files)

    def test_metainfo_is_valid_and_names_the_desktop_entry_and_command(self):
        metainfo = self.root / f"usr/share/metainfo/{APP_ID}.metainfo.xml"
        result = subprocess.run(["appstreamcli", "validate", "--no-net", "--no-color", str(metainfo)],
                                capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertNotRegex(result.stdout, r"(?m)^[EW]:", "no errors or warnings")
        component = ElementTree.parse(metainfo).getroot()
        self.assertEqual(component.findtext("id"), APP_ID)
        launchable = component.findtext("launchable[@type='desktop-id']")
        self.assertIn(f"usr/share/applications/{launchable}", self.files)
        self.assertIn(f"usr/bin/{component.findtext('provides/binary')}", self.files)
        self.assertEqual(component.find("releases/release").get("version"), VERSION)
        self.assertIsNotNone(component.find("content_rating"))
        self.assertTrue(component.findtext("metadata_license") and component.findtext("project_license"))


if __name__ == "__main__":
    unittest.main()
