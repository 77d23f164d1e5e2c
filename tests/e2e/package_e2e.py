"""The packages as a user gets them.

The .tar.gz or .zip is unpacked into a fresh folder whose path has a blank
in it; the tools run from there (under --runner for Windows) and behave as
the build's own programs do. The Debian package (--deb) is checked by
lintian, installed with dpkg, its programs run from PATH and its manual
pages read with man, and removed again: into a scratch root, unless
PACKAGE_TEST_INSTALL=system (scripts/test.sh --ci) asks for the machine
itself."""
import argparse
import gzip
import os
import re
import shutil
import stat
import struct
import subprocess
import sys
import tarfile
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree
import zipfile

import harness
from harness import run

PACKAGE = DEB = SOURCE = BUILD = None

# Shipped file: the source file it is a copy of (gunzipped for .gz), or None.
LINUX_FILES = {
    "bin/infsurvey": None,
    "bin/pnpsum": None,
    "share/infsurvey/gridpane.html": "infsurvey/gridpane.html",
    "share/infsurvey/gridpane.xsl": "infsurvey/gridpane.xsl",
    "share/man/man1/infsurvey.1.gz": "infsurvey/infsurvey.1",
    "share/man/man1/pnpsum.1.gz": "pnpsum/pnpsum.1",
    "share/doc/printer-tools/README.txt": None,
    "share/doc/printer-tools/copyright": "packaging/copyright",
    "share/doc/printer-tools/changelog.gz": "packaging/changelog",
}
WINDOWS_FILES = {
    "infsurvey.exe": None,
    "pnpsum.exe": None,
    "gridpane.html": "infsurvey/gridpane.html",
    "gridpane.xsl": "infsurvey/gridpane.xsl",
    "README.txt": None,
}
# What a static console program may import: Windows' own libraries only.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "msvcrt.dll", "advapi32.dll"}


def top_folder():
    name = os.path.basename(PACKAGE)
    for extension in (".tar.gz", ".zip"):
        if name.endswith(extension):
            return name[:-len(extension)]
    raise AssertionError("not a package: " + name)


def unpack(into):
    """Unpacks the package as a user would; gives its members' modes."""
    modes = {}
    if PACKAGE.endswith(".zip"):
        with zipfile.ZipFile(PACKAGE) as archive:
            for member in archive.infolist():
                if not member.is_dir():
                    modes[member.filename] = member.external_attr >> 16
            archive.extractall(into)
    else:
        with tarfile.open(PACKAGE) as archive:
            for member in archive.getmembers():
                if member.isfile():
                    modes[member.name] = member.mode
            try:
                archive.extractall(into, filter="data")
            except TypeError:  # a Python without extraction filters
                archive.extractall(into)
    return modes


def pe_facts(path):
    """Machine, subsystem and imported DLL names of a PE executable."""
    with open(path, "rb") as f:
        image = f.read()
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    assert image[pe:pe + 4] == b"PE\0\0", "not a PE file"
    machine, sections, _, _, _, optional_size, _ = struct.unpack_from(
        "<HHIIIHH", image, pe + 4)
    optional = pe + 24
    subsystem = struct.unpack_from("<H", image, optional + 68)[0]
    import_rva = struct.unpack_from("<I", image, optional + 96 + 8)[0]
    table = [struct.unpack_from("<8xIIIII", image, optional + optional_size + 40 * i)
             for i in range(sections)]

    def offset(rva):
        for size, address, _, raw, _ in table:
            if address <= rva < address + max(size, 1):
                return rva - address + raw
        raise AssertionError("address outside every section")

    dlls = []
    entry = offset(import_rva)
    while True:
        name_rva = struct.unpack_from("<I", image, entry + 12)[0]
        if name_rva == 0:
            break
        start = offset(name_rva)
        dlls.append(image[start:image.index(b"\0", start)].decode().lower())
        entry += 20
    return machine, subsystem, dlls


def check_made_after_the_programs(package):
    if not os.path.exists(package):
        raise AssertionError(package + " is missing: run cpack first "
                             "(ctest runs it as the package_make fixture)")
    built = max(os.path.getmtime(os.path.join(BUILD, name))
                for name in os.listdir(BUILD)
                if name.split(".")[0] in ("infsurvey", "pnpsum"))
    if os.path.getmtime(package) < built:
        raise AssertionError(package + " is older than the programs: "
                             "run cpack again (cpack --preset NAME)")


def assert_copy_of_source(case, shipped_path, source, name):
    with open(shipped_path, "rb") as shipped, \
            open(os.path.join(SOURCE, source), "rb") as original:
        data = shipped.read()
        if name.endswith(".gz"):
            # -n: no name or time in the gzip header, so builds repeat.
            case.assertEqual(data[4:8], b"\0\0\0\0", name + ": time in header")
            data = gzip.decompress(data)
        case.assertEqual(data, original.read(), name)


class Package(harness.Case):
    @classmethod
    def setUpClass(cls):
        check_made_after_the_programs(PACKAGE)
        cls.scratch = tempfile.TemporaryDirectory()
        cls.root = os.path.join(cls.scratch.name, "Program Files")
        cls.modes = unpack(cls.root)
        cls.windows = PACKAGE.endswith(".zip")
        cls.files = WINDOWS_FILES if cls.windows else LINUX_FILES

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def path(self, name):
        return os.path.join(self.root, top_folder(), name)

    def tool(self, name):
        return self.path(name + ".exe" if self.windows else "bin/" + name)

    def test_holds_exactly_the_shipped_files(self):
        prefix = top_folder() + "/"
        self.assertEqual(sorted(self.modes),
                         sorted(prefix + name for name in self.files))
        for name, source in self.files.items():
            if source:
                assert_copy_of_source(self, self.path(name), source, name)
        with open(self.path("README.txt" if self.windows else
                            "share/doc/printer-tools/README.txt"), "rb") as f:
            text = f.read()
        for word in (b"infsurvey", b"pnpsum", b"gridpane.html", b"gridpane.xsl", b"CID: "):
            self.assertIn(word, text)
        # Notepad and a Linux pager each get their own line ends.
        self.assertEqual(text.count(b"\r\n") == text.count(b"\n"),
                         self.windows)
        if not self.windows:
            for tool in ("infsurvey", "pnpsum"):
                self.assertTrue(self.modes[prefix + "bin/" + tool] & stat.S_IXUSR)

    def test_windows_programs_are_static_32_bit_console_programs(self):
        if not self.windows:
            self.skipTest("a Linux package")
        for tool in ("infsurvey", "pnpsum"):
            machine, subsystem, dlls = pe_facts(self.tool(tool))
            self.assertEqual((machine, subsystem), (0x14C, 3), tool)
            self.assertLessEqual(set(dlls), SYSTEM_DLLS, tool)

    def test_tools_run_from_the_unpacked_folder(self):
        examples = os.path.join(SOURCE, "examples")
        repository = harness.native_path(
            os.path.join(examples, "driver-repository") + "/")
        result = run(args=(repository, "Sample"), binary=self.tool("infsurvey"))
        self.assertEqual((result.stderr, result.code), (b"", 0))
        root = ElementTree.fromstring(result.stdout)
        self.assertEqual(len(root.findall("manufacturer")), 4)

        with open(os.path.join(examples, "pnpsum-answers.txt"), "rb") as f:
            answers = f.read()
        shipped = run(stdin=answers, binary=self.tool("pnpsum"))
        built = run(stdin=answers,
                    binary=os.path.join(BUILD, os.path.basename(self.tool("pnpsum"))))
        self.assertEqual((shipped.stdout, shipped.stderr, shipped.code),
                         (built.stdout, b"", 0))
        self.assertIn(b"CID: ", shipped.stdout)

    def test_stripped_programs_still_report_failures(self):
        result = run(stdin=b"Acme\r\nLaser\r\n", stdout_kind="full",
                     binary=self.tool("pnpsum"))
        self.assertReport(result, "I/O error 112.",
                          module=os.path.basename(self.tool("pnpsum")))


def on_the_system():
    return os.environ.get("PACKAGE_TEST_INSTALL") == "system"


def checked(command, **kwargs):
    """Runs a command; its output, or a failure that shows what it said."""
    result = subprocess.run(command, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, **kwargs)
    if result.returncode != 0:
        raise AssertionError("%s failed (exit %d):\n%s" % (
            " ".join(command), result.returncode,
            result.stdout.decode(errors="replace")))
    return result.stdout


def without_time(catalogue):
    return re.sub(rb' time="[^"]*"', b' time=""', catalogue)


class DebianPackage(harness.Case):
    """The .deb: its fields and files, lintian's verdict, and a round of
    install, use and removal with dpkg."""
    NAME = "printer-tools"

    @classmethod
    def setUpClass(cls):
        if DEB is None:
            if harness.on_windows():
                raise unittest.SkipTest("the Windows build makes no Debian package")
            if on_the_system():
                raise AssertionError("no Debian package was made "
                                     "(dpkg-dev missing at configure time)")
            raise unittest.SkipTest("no Debian package (no dpkg-dev at configure time)")
        check_made_after_the_programs(DEB)

    def fields(self):
        return {name: checked(["dpkg-deb", "--field", DEB, name]).decode().strip()
                for name in ("Package", "Version", "Architecture", "Maintainer",
                             "Depends", "Section", "Description")}

    def contents(self):
        """Path of each regular file in the package, without the leading '.'."""
        listing = checked(["dpkg-deb", "--contents", DEB]).decode()
        return sorted(line.split()[-1][1:] for line in listing.splitlines()
                      if line.startswith("-"))

    def test_fields_a_debian_user_expects(self):
        fields = self.fields()
        architecture = checked(["dpkg", "--print-architecture"]).decode().strip()
        self.assertEqual((fields["Package"], fields["Version"], fields["Architecture"]),
                         (self.NAME, "1.0.0", architecture))
        self.assertEqual(os.path.basename(DEB),
                         "%s_1.0.0_%s.deb" % (self.NAME, architecture))
        self.assertRegex(fields["Maintainer"], r"^[^<>]+ <[^@<>\s]+@[^@<>\s]+>$")
        # Worked out from the programs by dpkg-shlibdeps, with versions.
        self.assertRegex(fields["Depends"], r"(^|, )libc6 \(>= [0-9.]+\)")
        self.assertRegex(fields["Depends"], r"(^|, )libstdc\+\+6 \(>= [0-9.]+\)")
        self.assertEqual(fields["Section"], "utils")
        synopsis, *extended = fields["Description"].splitlines()
        self.assertLess(len(synopsis), 80)
        self.assertGreater(len(extended), 3)
        for line in extended:
            self.assertTrue(line.startswith(" ") and len(line) <= 80, line)

    def test_holds_the_files_in_debian_places(self):
        self.assertEqual(self.contents(),
                         sorted("/usr/" + name for name in LINUX_FILES))
        with tempfile.TemporaryDirectory() as unpacked:
            checked(["dpkg-deb", "--extract", DEB, unpacked])
            for name, source in LINUX_FILES.items():
                path = os.path.join(unpacked, "usr", name)
                if source:
                    assert_copy_of_source(self, path, source, name)
                if name.startswith("bin/"):
                    self.assertEqual(stat.S_IMODE(os.stat(path).st_mode), 0o755)

    def test_lintian_reports_no_error(self):
        if not shutil.which("lintian"):
            if on_the_system():
                self.fail("lintian is missing (scripts/setup.sh installs it)")
            self.skipTest("lintian is missing (scripts/setup.sh installs it)")
        result = subprocess.run(["lintian", "--fail-on", "error", DEB],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        report = result.stdout.decode(errors="replace")
        sys.stderr.write("lintian: %s\n" % (report.strip() or "nothing to say"))
        self.assertNotRegex(report, r"(?m)^E: ")
        self.assertEqual(result.returncode, 0, result.stderr.decode(errors="replace"))

    def test_installs_runs_from_path_and_removes(self):
        with tempfile.TemporaryDirectory() as scratch:
            if on_the_system():
                installation = SystemInstallation(self)
            else:
                installation = ScratchInstallation(self, scratch)
            installation.install()
            try:
                self.check_installed_tools(installation)
            finally:
                installation.remove()
            installation.check_nothing_left(self.contents())

    def check_installed_tools(self, installation):
        env = dict(os.environ, PATH=installation.bin + os.pathsep + os.environ["PATH"],
                   MANWIDTH="80", MANPAGER="cat", PAGER="cat")
        if installation.man:
            env["MANPATH"] = installation.man
        for tool in ("infsurvey", "pnpsum"):
            self.assertEqual(shutil.which(tool, path=env["PATH"]),
                             os.path.join(installation.bin, tool))

        repository = os.path.join(SOURCE, "examples", "driver-repository") + "/"
        installed = subprocess.run(["infsurvey", repository, "Sample"], env=env,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        built = subprocess.run([os.path.join(BUILD, "infsurvey"), repository, "Sample"],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.assertEqual((installed.stderr, installed.returncode), (b"", 0))
        self.assertIn(b"<manufacturer ", installed.stdout)
        self.assertEqual(without_time(installed.stdout), without_time(built.stdout))

        with open(os.path.join(SOURCE, "examples", "pnpsum-answers.txt"), "rb") as answers:
            installed = subprocess.run(["pnpsum"], stdin=answers, env=env,
                                       stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            answers.seek(0)
            built = subprocess.run([os.path.join(BUILD, "pnpsum")], stdin=answers,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.assertEqual((installed.stdout, installed.stderr, installed.returncode),
                         (built.stdout, b"", 0))
        self.assertIn(b"CID: ", installed.stdout)

        for tool, source in (("infsurvey", "infsurvey/infsurvey.1"),
                             ("pnpsum", "pnpsum/pnpsum.1")):
            where = checked(["man", "-w", tool], env=env).decode().strip()
            self.assertEqual(where, os.path.join(installation.man or "/usr/share/man",
                                                 "man1", tool + ".1.gz"))
            page = checked(["man", tool], env=env)
            self.assertIn(tool.encode(), page)
            self.assertEqual(page, checked(["man", "-l", os.path.join(SOURCE, source)],
                                           env=env))


def package_status(options=()):
    """dpkg's word for the package's state; a package it has never heard
    of (or has forgotten) is not-installed too."""
    result = subprocess.run(["dpkg-query", *options, "--show",
                             "--showformat=${db:Status-Status}", DebianPackage.NAME],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    return result.stdout.decode() if result.returncode == 0 else "not-installed"


class ScratchInstallation:
    """dpkg with its own database and root in a scratch folder: the
    developer's machine is not changed. The scratch database knows no other
    package, so dependencies are not checked here (the system round is)."""

    def __init__(self, case, scratch):
        self.case = case
        self.root = os.path.join(scratch, "root")
        self.admin = os.path.join(self.root, "var", "lib", "dpkg")
        for folder in ("info", "updates"):
            os.makedirs(os.path.join(self.admin, folder))
        open(os.path.join(self.admin, "status"), "w").close()
        self.bin = os.path.join(self.root, "usr", "bin")
        self.man = os.path.join(self.root, "usr", "share", "man")
        self.dpkg = ["dpkg", "--root=" + self.root, "--log=/dev/null",
                     "--force-not-root", "--force-depends"]

    def install(self):
        sys.stderr.write("package_e2e: dpkg -i into the scratch root %s\n" % self.root)
        checked(self.dpkg + ["--install", DEB])

    def remove(self):
        checked(self.dpkg + ["--remove", DebianPackage.NAME])

    def check_nothing_left(self, files):
        self.case.assertEqual(package_status(["--admindir=" + self.admin]),
                              "not-installed")
        # Only dpkg's own database is left, not even an empty folder.
        left = []
        for folder, folders, names in os.walk(self.root):
            if folder.startswith(self.admin):
                continue
            left += [os.path.join(folder, name) for name in names]
            left += [os.path.join(folder, name) for name in folders
                     if not self.admin.startswith(os.path.join(folder, name))]
        self.case.assertEqual(left, [])


class SystemInstallation:
    """dpkg -i and dpkg -r on this machine itself (CI)."""

    def __init__(self, case):
        self.case = case
        self.bin = "/usr/bin"
        self.man = None
        self.as_root = [] if os.geteuid() == 0 else ["sudo", "-n"]

    def install(self):
        status = package_status()
        if status != "not-installed":
            raise AssertionError(DebianPackage.NAME + " is on this machine already "
                                 "(%s): the test will not replace it" % status)
        sys.stderr.write("package_e2e: dpkg -i into this machine (PACKAGE_TEST_INSTALL=system)\n")
        checked(self.as_root + ["dpkg", "--install", DEB])

    def remove(self):
        checked(self.as_root + ["dpkg", "--remove", DebianPackage.NAME])

    def check_nothing_left(self, files):
        self.case.assertEqual(package_status(), "not-installed")
        self.case.assertEqual([path for path in files if os.path.lexists(path)], [])
        for folder in ("/usr/share/infsurvey", "/usr/share/doc/" + DebianPackage.NAME):
            self.case.assertFalse(os.path.lexists(folder), folder)


def main():
    global PACKAGE, DEB, SOURCE, BUILD
    parser = argparse.ArgumentParser()
    parser.add_argument("--package", required=True)
    parser.add_argument("--deb")
    parser.add_argument("--source", required=True)
    parser.add_argument("--build", required=True)
    args, rest = parser.parse_known_args()
    PACKAGE = os.path.abspath(args.package)
    DEB = os.path.abspath(args.deb) if args.deb else None
    SOURCE, BUILD = os.path.abspath(args.source), os.path.abspath(args.build)
    sys.argv = [sys.argv[0]] + rest
    harness.main()


if __name__ == "__main__":
    main()
