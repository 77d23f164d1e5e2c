"""The package as a user gets it: unpacked into a fresh folder whose path
has a blank in it, the tools run from there (under --runner for Windows)
and behave as the build's own programs do."""
import argparse
import os
import stat
import struct
import sys
import tarfile
import tempfile
import xml.etree.ElementTree as ElementTree
import zipfile

import harness
from harness import run

PACKAGE = SOURCE = BUILD = None

LINUX_FILES = {
    "bin/infsurvey": None,
    "bin/pnpsum": None,
    "share/infsurvey/gridpane.xsl": "infsurvey/gridpane.xsl",
    "share/man/man1/infsurvey.1": "infsurvey/infsurvey.1",
    "share/man/man1/pnpsum.1": "pnpsum/pnpsum.1",
    "share/doc/printer-tools/README.txt": None,
}
WINDOWS_FILES = {
    "infsurvey.exe": None,
    "pnpsum.exe": None,
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


class Package(harness.Case):
    @classmethod
    def setUpClass(cls):
        if not os.path.exists(PACKAGE):
            raise AssertionError(PACKAGE + " is missing: run cpack first "
                                 "(cpack --preset NAME)")
        built = max(os.path.getmtime(os.path.join(BUILD, name))
                    for name in os.listdir(BUILD)
                    if name.split(".")[0] in ("infsurvey", "pnpsum"))
        if os.path.getmtime(PACKAGE) < built:
            raise AssertionError(PACKAGE + " is older than the programs: "
                                 "run cpack again (cpack --preset NAME)")
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
                with open(self.path(name), "rb") as shipped, \
                        open(os.path.join(SOURCE, source), "rb") as original:
                    self.assertEqual(shipped.read(), original.read(), name)
        with open(self.path("README.txt" if self.windows else
                            "share/doc/printer-tools/README.txt"), "rb") as f:
            text = f.read()
        for word in (b"infsurvey", b"pnpsum", b"gridpane.xsl", b"CID: "):
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


def main():
    global PACKAGE, SOURCE, BUILD
    parser = argparse.ArgumentParser()
    parser.add_argument("--package", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--build", required=True)
    args, rest = parser.parse_known_args()
    PACKAGE = os.path.abspath(args.package)
    SOURCE, BUILD = os.path.abspath(args.source), os.path.abspath(args.build)
    sys.argv = [sys.argv[0]] + rest
    harness.main()


if __name__ == "__main__":
    main()
