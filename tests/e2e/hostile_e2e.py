"""infsurvey end to end on hostile repositories (odd names, links, special
files, huge or broken INFs, many broken packages), and standard output
that fails (pnpsum's own are in pnpsum_e2e).

Every run is bounded in time; a catalogue must be accepted by xmllint and
its values read back as the names and INF texts that went in.
"""
import os
import random
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ElementTree

import harness

HANG_TIMEOUT = 60  # for runs that could hang on a special file
MB = 1 << 20

PRINTER_INF = (b"[Version]\r\nClass=Printer\r\n[Manufacturer]\r\n"
               b"%M%=Mfg,NTx86\r\n[Mfg.NTx86]\r\n"
               b"\"Model 1\"=m1.gpd,USBPRINT\\M1\r\n")
PRINTER = ("M", [("Model 1", "m1.gpd,USBPRINT\\M1")])

# Every character the catalogue must escape, in each place it can stand.
HOSTILE_INF = (b"[Version]\r\nClass=Printer\r\n[Manufacturer]\r\n"
               b"\"It's <&> 100%\"=Mfg,NTx86\r\n[Mfg.NTx86]\r\n"
               b"\"A&B <1> 'q'\"=a.gpd,USBPRINT\\A&B<\"'>%X%\r\n")
HOSTILE = ("It's <&> 100", [("A&B <1> 'q'", "a.gpd,USBPRINT\\A&B<\"'>%X%")])

NOT_A_WINDOWS_NAME = "Windows paths cannot hold this name"

# (label, name bytes, the text it reads back as, usable under Windows).
# Stems are lower case, so an INF is named as its folder's stem.
NAMES = [
    ("blanks", b" two  blanks", " two  blanks", True),
    ("apostrophe", b"it's", "it's", True),
    ("ampersand", b"a & b", "a & b", True),
    ("brackets", b"it's & <x>", "it's & <x>", False),
    ("double quote", b'say "hi"', 'say "hi"', False),
    ("percent", b"100% %m%", "100% %m%", True),
    ("newline", b"line\nbreak", "line\nbreak", False),
    ("tab", b"tab\there", "tab\there", False),
    ("carriage return", b"cr\rhere", "cr\rhere", False),
    ("other controls", b"bell\x07esc\x1b", "bell\ufffdesc\ufffd", False),
    ("non-ASCII UTF-8", "\u00fcn\u00efc\u00f8d\u00e9 \u6253\u5370 \U0001F5A8"
     .encode(), "\u00fcn\u00efc\u00f8d\u00e9 \u6253\u5370 \U0001F5A8", False),
    ("invalid UTF-8", b"bad\xff\xfe", "bad\xff\xfe", False),
    ("truncated UTF-8", b"cut\xe6\x89", "cut\xe6\x89", False),
    ("U+FFFF", b"nonchar\xef\xbf\xbf", "nonchar\ufffd", False),
    ("255 bytes", b"\xc3\xa9" * 100 + b"x" * 55, "\u00e9" * 100 + "x" * 55,
     False),
]


def attribute(text):
    """An attribute value as it reads back: "%" and '"' are dropped."""
    return text.replace("%", "").replace('"', "")


def hang_timeout():
    """Bounds runs that could hang; a runner (Wine) starts slowly."""
    return harness.TIMEOUT if harness.on_windows() else HANG_TIMEOUT


def run_within(seconds, *args, **kwargs):
    saved = harness.TIMEOUT
    harness.TIMEOUT = seconds
    try:
        return harness.run(*args, **kwargs)
    finally:
        harness.TIMEOUT = saved


def log_time(label, seconds):
    sys.stderr.write("\n    [time] %s: %.2f s\n" % (label, seconds))


def separator():
    return "\\" if harness.on_windows() else "/"


class Repository:
    """A repository folder inside a temporary folder; names are bytes."""

    def __init__(self, test, name=b"repo"):
        temp = tempfile.TemporaryDirectory(prefix="hostile_e2e_")
        test.addCleanup(temp.cleanup)
        self.parent = os.fsencode(temp.name) + b"/"
        self.path = self.parent + name + b"/"
        os.mkdir(self.path)

    def package(self, folder, content=PRINTER_INF, inf=None):
        """A package folder with its INF (none for content None); gives the
        INF's path."""
        os.mkdir(self.path + folder)
        if inf is None:
            inf = folder[:folder.lower().index(b".inf")].lower() + b".inf"
        path = self.path + folder + b"/" + inf
        if content is not None:
            with open(path, "wb") as f:
                f.write(content)
        return path

    def argument(self):
        return harness.native_path(self.path)

    def filename(self, folder, inf):
        """The filename the catalogue gives the INF of an ASCII-named
        package folder of this (ASCII-named) repository."""
        return harness.native_path(os.fsdecode(self.path)) + folder + \
            separator() + inf


class Case(harness.Case):
    def survey(self, repository, comment=b"comment", timeout=None,
               wrapper=()):
        """Runs infsurvey on the repository; gives the result and seconds."""
        start = time.monotonic()
        result = run_within(timeout or hang_timeout(),
                            [repository.argument(), comment], wrapper=wrapper)
        return result, time.monotonic() - start

    def assertCatalogue(self, result):
        """Exit code 0, nothing on stderr, well-formed; gives the root."""
        self.assertEqual((result.code, result.stderr), (0, b""))
        with tempfile.NamedTemporaryFile(suffix=".xml") as saved:
            saved.write(result.stdout)
            saved.flush()
            lint = subprocess.run(["xmllint", "--noout", saved.name],
                                  capture_output=True, timeout=HANG_TIMEOUT)
        self.assertEqual(lint.returncode, 0,
                         lint.stderr.decode(errors="replace"))
        return ElementTree.fromstring(result.stdout)

    def assertFailure(self, result, message):
        """The failure report, after the catalogue's head but no end."""
        self.assertReport(result, message)
        self.assertTrue(result.stdout.startswith(b"<?xml "), result.stdout)
        self.assertIn(b"  </comment>\r\n", result.stdout)
        self.assertNotIn(b"</drivers>", result.stdout)


def manufacturers(root):
    """{filename: (name, [(driver name, driver text)])} of a catalogue."""
    found = {}
    for element in root.findall("manufacturer"):
        drivers = [(driver.get("name"), driver.text.strip())
                   for driver in element.findall("driver")]
        found[element.get("filename")] = (element.get("name"), drivers)
    return found


class HostileNames(Case):
    def test_repository_folder_names(self):
        for label, raw, text, windows in NAMES:
            with self.subTest(label):
                if harness.on_windows() and not windows:
                    self.skipTest(NOT_A_WINDOWS_NAME)
                repository = Repository(self, raw)
                repository.package(b"p.inf_1", HOSTILE_INF)
                result, _ = self.survey(repository, comment=raw)
                root = self.assertCatalogue(result)
                location = harness.as_split(harness.native_path(
                    os.fsdecode(repository.parent) + text + "/"))
                self.assertEqual(root.get("location"), attribute(location))
                comment = root.find("comment").text  # between its line ends
                self.assertEqual(comment[1:comment.rindex("\n")], text)
                self.assertEqual(manufacturers(root), {attribute(
                    location + "p.inf_1" + separator() + "p.inf"): HOSTILE})

    def test_package_folder_names(self):
        for label, raw, text, windows in NAMES:
            with self.subTest(label):
                if harness.on_windows() and not windows:
                    self.skipTest(NOT_A_WINDOWS_NAME)
                cut = max(0, len(raw) + len(".inf_1") - 255)  # ASCII tails
                raw, text = raw[:len(raw) - cut], text[:len(text) - cut]
                repository = Repository(self)
                repository.package(raw + b".inf_1", HOSTILE_INF)
                result, _ = self.survey(repository)
                self.assertEqual(
                    manufacturers(self.assertCatalogue(result)),
                    {attribute(repository.filename(text + ".inf_1",
                                                   text + ".inf")): HOSTILE})


# Each makes its entry in a repository and names the INFs read through it
# as (package folder, INF name).
def folder_link_to_itself(r):
    os.symlink(b"self.inf_1", r.path + b"self.inf_1")
    return []


def folder_link_to_its_parent(r):
    os.symlink(b".", r.path + b"here.inf_1")
    with open(r.path + b"here.inf", "wb") as f:
        f.write(PRINTER_INF)
    return [("here.inf_1", "here.inf")]


def folder_link_to_the_parent_of_the_repository(r):
    os.symlink(b"..", r.path + b"up.inf_1")
    with open(r.parent + b"up.inf", "wb") as f:
        f.write(PRINTER_INF)
    return [("up.inf_1", "up.inf")]


def dangling_folder_link(r):
    os.symlink(b"missing", r.path + b"gone.inf_1")
    return []


def inf_is_a_folder(r):
    os.mkdir(r.package(b"dir.inf_1", None))
    return []


def inf_is_a_fifo(r):
    os.mkfifo(r.package(b"fifo.inf_1", None))
    return []


def inf_links_to_dev_zero(r):
    os.symlink(b"/dev/zero", r.package(b"zero.inf_1", None))
    return []


def inf_links_to_itself(r):
    os.symlink(b"loop.inf", r.package(b"loop.inf_1", None))
    return []


def inf_links_to_an_inf_elsewhere(r):
    os.mkdir(r.parent + b"elsewhere")
    with open(r.parent + b"elsewhere/real.inf", "wb") as f:
        f.write(PRINTER_INF)
    os.symlink(r.parent + b"elsewhere/real.inf",
               r.package(b"linked.inf_1", None))
    return [("linked.inf_1", "linked.inf")]


class LinksAndSpecialFiles(Case):
    # (entry, usable under Windows): what is not a regular file is skipped,
    # without waiting on it; links are followed once.
    ENTRIES = [
        (folder_link_to_itself, True),
        (folder_link_to_its_parent, True),
        (folder_link_to_the_parent_of_the_repository, True),
        (dangling_folder_link, True),
        (inf_is_a_folder, True),
        (inf_is_a_fifo, False),
        (inf_links_to_dev_zero, False),
        (inf_links_to_itself, True),
        (inf_links_to_an_inf_elsewhere, True),
    ]

    def test_entries(self):
        for make, windows in self.ENTRIES:
            with self.subTest(make.__name__):
                if harness.on_windows() and not windows:
                    self.skipTest("no such file under Windows")
                repository = Repository(self)
                repository.package(b"ok.inf_1")  # the run goes on past it
                read = make(repository) + [("ok.inf_1", "ok.inf")]
                result, _ = self.survey(repository)
                self.assertEqual(
                    manufacturers(self.assertCatalogue(result)),
                    {repository.filename(*inf): PRINTER for inf in read})


def lines_of_5_mb():
    head = (b"[Version]\r\nClass=Printer\r\n[Manufacturer]\r\n"
            b"%M%=Mfg,NTx86\r\n[Mfg.NTx86]\r\n")
    line = b"\"Model\"=m.gpd,USBPRINT\\M\r\n"
    return head + line * ((5 * MB - len(head)) // len(line))


class InfContents(Case):
    # (label, content, the manufacturer element or None, time limit for a
    # timed run).
    CONTENTS = [
        ("random bytes", lambda: random.Random(1234).randbytes(64 * 1024),
         None, None),
        ("empty", lambda: b"", None, None),
        ("only comments",
         lambda: b";[Version]\r\n  ; Class=Printer\r\n;\r\n\r\n", None, None),
        ("UTF-16LE with BOM",
         lambda: b"\xff\xfe" + PRINTER_INF.decode().encode("utf-16-le"),
         PRINTER, None),
        ("byte 26 in a line", lambda: PRINTER_INF.replace(
            b"USBPRINT", b"USB\x1aPRINT") + b"\"Model 2\"=m2.gpd\r\n",
         ("M", [("Model 1", "m1.gpd,USB")]), None),
        ("NUL bytes", lambda: PRINTER_INF.replace(b"Printer", b"Pri\0nter")
         .replace(b"\r\n", b"\r\0\n\0"), PRINTER, None),
        # Read to its end: only the run's own time-out bounds it. Many
        # times a block and any line chunk show what more would.
        ("5 MB without a line end",
         lambda: b"[" + b"A" * (5 * MB - 2) + b"]", None, HANG_TIMEOUT),
        # Only the first 60 lines are read: the head and 55 models.
        ("5 MB of lines", lines_of_5_mb,
         ("M", [("Model", "m.gpd,USBPRINT\\M")] * 55), 5),
    ]

    def test_contents(self):
        for label, content, element, limit in self.CONTENTS:
            with self.subTest(label):
                repository = Repository(self)
                repository.package(b"case.inf_1", content())
                result, seconds = self.survey(repository)
                if limit:
                    log_time("INF of " + label, seconds)
                    if not harness.on_windows():
                        self.assertLess(seconds, limit)
                expected = {repository.filename("case.inf_1", "case.inf"):
                            element} if element else {}
                self.assertEqual(manufacturers(self.assertCatalogue(result)),
                                 expected)


class UnreadableInf(Case):
    """An INF that is there but cannot be read ends the run."""

    def test_file_without_read_permission(self):
        # Mode 000 does not deny root: root runs the program as nobody.
        wrapper = harness.as_unprivileged_user()
        if wrapper is None or (wrapper and harness.on_windows()):
            self.skipTest("denying a read needs a POSIX user without root "
                          "rights")
        repository = Repository(self)
        os.chmod(repository.parent, 0o755)
        os.chmod(repository.package(b"closed.inf_1"), 0)
        self.assertFailure(self.survey(repository, wrapper=wrapper)[0],
                           "File access denied.")

    def test_system_files(self):
        # A write-only setting refuses reading even to root; reading a
        # process's own memory at offset 0 fails after the open.
        for target, message in [
                (b"/proc/sys/vm/compact_memory", "File access denied."),
                (b"/proc/sys/net/ipv4/route/flush", "File access denied."),
                (b"/proc/self/mem", "I/O error 30.")]:
            with self.subTest(os.fsdecode(target)):
                if harness.on_windows():
                    self.skipTest("no such file under Windows")
                if not os.path.isfile(target):
                    self.skipTest("this system has no such file")
                repository = Repository(self)
                os.symlink(target, repository.package(b"sys.inf_1", None))
                self.assertFailure(self.survey(repository)[0], message)


def valid_inf(drivers):
    return (b"[Version]\r\nClass=Printer\r\n[Manufacturer]\r\n"
            b"%M%=Mfg,NTx86\r\n[Mfg.NTx86]\r\n" + b"".join(
                b"\"Model %d\"=m.gpd,USBPRINT\\M%d\r\n" % (i, i)
                for i in range(drivers)))


class LargeRepository(Case):
    # Every third package is broken, three of each kind; scale belongs to
    # the benchmark (bench/).
    PACKAGES = 3 * 7 * 3

    # Broken packages, each as (folder, INF name or None, content or None,
    # whether it still gives a manufacturer element, without drivers).
    @staticmethod
    def broken(kind, i, garbage):
        name = b"bad%05d" % i
        return [
            (name + b".inf_1", None, None, False),  # no INF
            (name, name + b".inf", PRINTER_INF, False),  # no ".inf" in it
            (name + b".inf_1", None, b"", False),  # empty INF
            (name + b".inf_1", None,
             PRINTER_INF.replace(b"Printer", b"Net"), False),
            (name + b".inf_1", None,
             PRINTER_INF.replace(b"[Manufacturer]", b"[Makers]"), False),
            # A printer whose models section is missing keeps its element.
            (name + b".inf_1", None,
             PRINTER_INF.replace(b"[Mfg.NTx86]", b"[Other]"), True),
            (name + b".inf_1", None, garbage.randbytes(512), False),
        ][kind]

    def test_packages_a_third_broken(self):
        repository = Repository(self)
        garbage = random.Random(42)
        filenames, drivers = set(), 0
        start = time.monotonic()
        for i in range(self.PACKAGES):
            if i % 3 == 0:
                folder, inf, content, element = self.broken(
                    i // 3 % 7, i, garbage)
                repository.package(folder, content, inf)
                if element:
                    filenames.add(repository.filename(
                        os.fsdecode(folder), "bad%05d.inf" % i))
                continue
            # Some INFs differ from their folder's name in case.
            folder, inf = "prn%05d.inf_amd64_%x" % (i, i), "prn%05d.inf" % i
            stored = inf.upper() if i % 3 == 2 else inf
            repository.package(folder.encode(), valid_inf(1 + i % 4),
                               stored.encode())
            filenames.add(repository.filename(
                folder, inf if harness.on_windows() else stored))
            drivers += 1 + i % 4
        log_time("making %d package folders" % self.PACKAGES,
                 time.monotonic() - start)
        result, seconds = self.survey(repository, timeout=harness.TIMEOUT)
        log_time("survey of %d package folders" % self.PACKAGES, seconds)
        root = self.assertCatalogue(result)
        self.assertEqual(len(root.findall("manufacturer")), len(filenames))
        self.assertEqual(len(root.findall("manufacturer/driver")), drivers)
        self.assertEqual(set(manufacturers(root)), filenames)


class FailingOutput(Case):
    """Output that cannot be written is reported, never cut short quietly."""
    @staticmethod
    def outputs():
        return [(kind, "I/O error %d." % harness.failure_code(code))
                for kind, code in (("full", "full"), ("gone", "gone"),
                                   ("closed", "closed output"))]

    def test_infsurvey(self):
        repository = Repository(self)
        for i in range(20):
            repository.package(b"p%02d.inf_1" % i, valid_inf(4))
        whole = run_within(hang_timeout(), [repository.argument(), b"c"])
        self.assertGreater(len(whole.stdout), 8 * 128)
        for kind, message in self.outputs():
            with self.subTest(kind):
                result = run_within(hang_timeout(),
                                    [repository.argument(), b"c"],
                                    stdout_kind=kind)
                self.assertReport(result, message)


if __name__ == "__main__":
    harness.main()
