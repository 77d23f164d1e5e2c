"""infsurvey in other languages: the same catalogue whatever the system's
code page, day and month names in the locale's own script, and folders
and comments in a double-byte code page.

Wine takes its code pages and locale from LANG and LC_MESSAGES, and only
for locales that glibc knows: --locales names the folder of compiled
locales (LOCPATH). --store is the real INF corpus laid out as a driver
repository; without it only the INFs written here are surveyed.
"""
import argparse
import os
import re
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

import harness
from harness import run

LOCALES = None
STORE = None

CODE_PAGES = {1252: "en_US.UTF-8", 932: "ja_JP.UTF-8", 936: "zh_CN.UTF-8",
              949: "ko_KR.UTF-8"}
TIME = re.compile(r' time="(\d\d):(\d\d):(\d\d) (.+) (\d\d) (.+) (\d{4})" >')


def utf16le(text):
    return b"\xff\xfe" + text.encode("utf-16-le")


# INFs of our own, each in one package folder; lines end in CR LF.
UTF8_WITH_MARK = ("\ufeff; \u00dcberschrift: Drucker f\u00fcr B\u00fcro "
                  "\u2014 \u65e5\u672c\u8a9e\u306e\u30b3\u30e1\u30f3\u30c8\r\n"
                  "; \ucf54\uba58\ud2b8 \u20acLaser \u00e9t\u00e9\r\n"
                  "[Version]\r\nClass=Printer\r\n[Manufacturer]\r\n"
                  "%Utf%=Utf,NTx86\r\n[Utf.NTx86]\r\n"
                  "\"Utf Laser 1\"=u1.gpd,USBPRINT\\UtfLaser1\r\n").encode()
LATIN1 = ("[Version]\r\nClass=Printer\r\n[Manufacturer]\r\n"
          "%Latin%=Latin,NTx86\r\n[Latin.NTx86]\r\n"
          "\"Drucker f\u00fcr B\u00fcro\"=d.gpd,USBPRINT\\Drucker\r\n"
          "\"Caf\u00e9 Jet\"=c.gpd,USBPRINT\\Cafe\r\n").encode("latin-1")
UTF16 = utf16le("; \u00a9 Fabrikam\r\n[Version]\r\nClass=Printer\r\n"
                "[Manufacturer]\r\n%Wide%=Wide, NTx86\r\n[Wide.NTx86]\r\n"
                "\"Wide Jet 9\"=w9.gpd,USBPRINT\\WideJet9\r\n")
OWN_INFS = {"utf8mark.inf_x86_1/utf8mark.inf": UTF8_WITH_MARK,
            "latin1.inf_x86_2/latin1.inf": LATIN1,
            "wide.inf_x86_3/wide.inf": UTF16}


def locale_env(**variables):
    env = dict(os.environ, LOCPATH=LOCALES)
    env.pop("LC_ALL", None)
    env.update(variables)
    return env


def write_files(root, files):
    for relative, data in files.items():
        path = os.path.join(root, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)


def elements(catalogue):
    """The manufacturer elements by INF path, each as (name, drivers)."""
    root = ElementTree.fromstring(catalogue)
    return {m.get("filename"): (m.get("name"),
                                [(d.get("name"), d.text.strip())
                                 for d in m.findall("driver")])
            for m in root.findall("manufacturer")}


def time_names(catalogue):
    """Day abbreviation and month name of the catalogue's time value."""
    match = TIME.search(catalogue.decode("utf-8"))
    assert match, catalogue[:300]
    return match.group(4), match.group(6)


class Case(harness.Case):
    def survey(self, folder, env, *args):
        result = run(args=[harness.native_path(folder)] + list(args), env=env)
        self.assertEqual((result.stderr, result.code), (b"", 0))
        subprocess.run(["xmllint", "--noout", "-"], input=result.stdout,
                       check=True)
        return result.stdout


def windows_only(reason):
    """Skips a test outside the Windows build; decided when the test runs,
    after the arguments have named the runner."""
    def wrap(test):
        def run_test(self, *args):
            if not harness.on_windows():
                self.skipTest(reason)
            return test(self, *args)
        return run_test
    return wrap


class CodePages(Case):
    """Each code page surveys the same repository."""

    @classmethod
    def setUpClass(cls):
        if not harness.on_windows():
            raise unittest.SkipTest("code pages are the Windows build's")
        cls.scratch = tempfile.TemporaryDirectory()
        cls.repo = os.path.join(cls.scratch.name, "repo") + "/"
        if STORE:
            subprocess.run(["cp", "-r", STORE + "/.", cls.repo], check=True)
        write_files(cls.repo, OWN_INFS)
        cls.catalogues = {}
        for code_page, lang in CODE_PAGES.items():
            result = run(args=[harness.native_path(cls.repo)],
                         env=locale_env(LANG=lang))
            cls.catalogues[code_page] = result

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def native(self, relative):
        return harness.native_path(self.repo + relative)

    def test_reference_catalogue(self):
        result = self.catalogues[1252]
        self.assertEqual((result.stderr, result.code), (b"", 0))
        found = elements(result.stdout)
        self.assertEqual(found[self.native("utf8mark.inf_x86_1/utf8mark.inf")],
                         ("Utf", [("Utf Laser 1", "u1.gpd,USBPRINT\\UtfLaser1")]))
        self.assertEqual(found[self.native("latin1.inf_x86_2/latin1.inf")],
                         ("Latin", [("Drucker fr Bro", "d.gpd,USBPRINT\\Drucker"),
                                    ("Caf Jet", "c.gpd,USBPRINT\\Cafe")]))
        self.assertEqual(found[self.native("wide.inf_x86_3/wide.inf")],
                         ("Wide", [("Wide Jet 9", "w9.gpd,USBPRINT\\WideJet9")]))
        if STORE:
            self.assertEqual(len(found), 19 + len(OWN_INFS))
            self.assertEqual(sum(len(d) for _, d in found.values()), 28 + 4)

    def test_double_byte_code_pages_give_the_same_catalogue(self):
        reference = elements(self.catalogues[1252].stdout)
        for code_page in (932, 936, 949):
            with self.subTest(code_page=code_page):
                result = self.catalogues[code_page]
                self.assertEqual((result.stderr, result.code), (b"", 0))
                found = elements(result.stdout)
                expected = dict(reference)
                if code_page == 936:
                    # GBK reads FC and E9 with the ASCII byte after them as
                    # one character (0xFC72, 0xE920), so the letter after
                    # each Latin-1 u-umlaut and e-acute goes with it.
                    expected[self.native("latin1.inf_x86_2/latin1.inf")] = (
                        "Latin", [("Drucker f Bo", "d.gpd,USBPRINT\\Drucker"),
                                  ("Caf Jet", "c.gpd,USBPRINT\\Cafe")])
                self.assertEqual(found, expected)


class TimeNames(Case):
    """The day and month names of the time value, in the locale's script."""

    def names(self, **variables):
        with tempfile.TemporaryDirectory() as empty:
            return time_names(self.survey(empty + "/", locale_env(**variables)))

    def assertScript(self, text, low, high):
        self.assertTrue(text and all(low <= ch <= high for ch in text), text)

    @windows_only("Wine's own locale data")
    def test_russian_user_locale_on_a_western_system(self):
        day, month = self.names(LANG="en_US.UTF-8", LC_MESSAGES="ru_RU.UTF-8")
        self.assertScript(day, "\u0400", "\u04ff")
        self.assertScript(month, "\u0400", "\u04ff")

    @windows_only("Wine's own locale data")
    def test_japanese_locale(self):
        day, month = self.names(LANG="ja_JP.UTF-8")
        self.assertIn(day, "\u65e5\u6708\u706b\u6c34\u6728\u91d1\u571f")
        self.assertRegex(month, "^[0-9]{1,2}\u6708$")

    def test_glibc_locales_in_their_own_character_sets(self):
        if harness.on_windows():
            self.skipTest("glibc's locales")
        for locale, encoding in (("ru_RU.KOI8-R", "koi8-r"), ("ja_JP.UTF-8", "utf-8")):
            with self.subTest(locale=locale):
                env = locale_env(LC_ALL=locale)
                # Should the date change between the two runs, run again.
                for _ in range(2):
                    expected = subprocess.run(["date", "+%a %B"], env=env, check=True,
                                              capture_output=True).stdout
                    names = self.names(LC_ALL=locale)
                    if names == tuple(expected.decode(encoding).split()):
                        break
                self.assertEqual(names, tuple(expected.decode(encoding).split()))
                self.assertNotRegex(names[0] + names[1], "[A-Za-z\u0080-\u00ff]")

    def test_empty_time_separator_shows_as_nothing(self):
        if harness.on_windows():
            self.skipTest("a glibc locale of the tests' own")
        with tempfile.TemporaryDirectory() as empty:
            catalogue = self.survey(empty + "/", locale_env(LC_ALL="xx_XX.UTF-8"))
        self.assertRegex(catalogue, rb' time="\d{6} [A-Z][a-z]{2} \d\d [A-Z][a-z]+ \d{4}" >')


class DoubleByteNames(Case):
    """Folders and comments in the system's double-byte code page."""

    @windows_only("code pages are the Windows build's")
    def test_japanese_folder_and_comment(self):
        # The second byte of each of these is a backslash or a capital
        # letter in Shift JIS: neither may count as one.
        folder_name = "\u30c9\u30e9\u30a4\u30d0\u8868"      # ends in 0x95 0x5C
        package = "\u30a2\u30d7\u30ea.inf_x86_1"            # begins 0x83 0x41
        inf_name = "\u30a2\u30d7\u30ea.inf"
        comment = "\u65e5\u672c\u8a9e\u306e\u30b3\u30e1\u30f3\u30c8 & <\u8868>"
        with tempfile.TemporaryDirectory() as scratch:
            repo = os.path.join(scratch, folder_name) + "/"
            write_files(repo, {package + "/" + inf_name: LATIN1,
                               "plain.inf_x86_2/plain.inf": UTF16})
            catalogue = self.survey(repo, locale_env(LANG="ja_JP.UTF-8"), comment)
        root = ElementTree.fromstring(catalogue)
        self.assertEqual(root.get("location"), harness.native_path(repo))
        self.assertEqual(root.find("comment").text.strip(), comment)
        self.assertEqual(sorted(m.get("filename") for m in root.findall("manufacturer")),
                         sorted(harness.native_path(repo + p) for p in
                                (package + "/" + inf_name, "plain.inf_x86_2/plain.inf")))


def main():
    global LOCALES, STORE
    parser = argparse.ArgumentParser()
    parser.add_argument("--locales", required=True)
    parser.add_argument("--store", default="")
    args, rest = parser.parse_known_args(harness.parse_arguments())
    LOCALES = os.path.abspath(args.locales)
    STORE = os.path.abspath(args.store) if args.store and os.path.isdir(args.store) else None
    if not STORE:
        print("locale_e2e: no INF corpus; surveying only the INFs written here")
    unittest.main(argv=rest, verbosity=2)


if __name__ == "__main__":
    main()
