"""infsurvey end to end: catalogues of repositories built here, compared
byte for byte, and parsed back by a real XML parser."""
import os
import re
import shutil
import subprocess
import tempfile
import textwrap
import xml.etree.ElementTree as ElementTree

import harness
from harness import run

TIME = re.compile(rb' time="(\d\d:\d\d:\d\d [A-Z][a-z]{2} \d\d [A-Z][a-z]+ \d{4})" >\r\n')

PRINTER_INF = (b"; Sample printer\r\n[Version]\r\nClass=Printer\r\n"
               b"[Manufacturer]\r\n%Mfg%=Mfg,NTamd64\r\n[Mfg.NTamd64]\r\n"
               b'"Model & <One>"=one.gpd,USBPRINT\\One\r\n'
               b"%TWO%=two.gpd, \"2\" > 1\r\n")
ELEMENT = ("  <manufacturer name='Mfg' filename='{path}' >\r\n"
           "    <driver name='Model &amp; &lt;One>' >\r\n"
           "       one.gpd,USBPRINT\\One\r\n"
           "    </driver>\r\n"
           "    <driver name='TWO' >\r\n"
           "       two.gpd, &quot;2&quot; &gt; 1\r\n"
           "    </driver>\r\n"
           "  </manufacturer>\r\n")


native = harness.native_path


def head(location, comment):
    return ("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
            "<?xml-stylesheet href=\"gridpane.xsl\" type=\"text/xsl\"?>\r\n"
            "<drivers\r\n location='%s'\r\n time=\"TIME\" >\r\n"
            "  <comment>\r\n%s\r\n  </comment>\r\n" % (location, comment))


class Catalogue(harness.Case):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.repo = os.path.join(self.scratch.name, "repo") + "/"
        os.mkdir(self.repo)

    def tearDown(self):
        self.scratch.cleanup()

    def add(self, relative, data=PRINTER_INF):
        path = os.path.join(self.repo, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def catalogue(self, *args):
        result = run(args=args)
        self.assertEqual((result.stderr, result.code), (b"", 0))
        self.assertRegex(result.stdout, TIME)
        with tempfile.NamedTemporaryFile(suffix=".xml") as saved:
            saved.write(result.stdout)
            saved.flush()
            subprocess.run(["xmllint", "--noout", saved.name], check=True)
        return TIME.sub(b' time="TIME" >\r\n', result.stdout).decode("utf-8")

    def test_one_package_byte_for_byte(self):
        inf = self.add("prnxx001.inf_amd64_0a1b2c/prnxx001.inf")
        self.assertEqual(self.catalogue(native(self.repo), "Two & <args>"),
                         head(native(self.repo), "Two &amp; &lt;args&gt;") +
                         ELEMENT.format(path=native(inf)) + "</drivers>\r\n")

    def test_what_is_surveyed(self):
        self.add("PRNXX002.INF_AMD64_1/prnxx002.inf")  # capitals in the folder
        self.add("other.inf_x86_2/Other.INF")           # the INF in other case
        self.add("a.info.inf_x/a.inf")                  # first ".inf" counts
        self.add(".hidden.inf_x/.hidden.inf")           # dot folder
        self.add("noinf_x86/noinf.inf")                 # no ".inf" in the name
        self.add("empty.inf_1/readme.txt")              # no INF inside
        self.add("loose.inf")                           # files are not packages
        self.add("net.inf_1/net.inf", b"[Version]\r\nClass=Net\r\n")
        text = self.catalogue(native(self.repo))
        names = re.findall(r"filename='([^']*)'", text)
        expected = ["PRNXX002.INF_AMD64_1/prnxx002.inf", "other.inf_x86_2/Other.INF",
                    "a.info.inf_x/a.inf"]
        if harness.on_windows():  # Windows finds other.inf under its own name
            expected[1] = "other.inf_x86_2/other.inf"
        self.assertEqual(sorted(names), sorted(native(self.repo + e) for e in expected))
        self.assertIn(head(native(self.repo), "Windows 7 64bit AMD pre-installed drivers"),
                      text)

    def test_values_read_back_through_a_parser(self):
        self.add("laser.inf_1/laser.inf")  # prn.inf would name a device
        comment = "It's \"quoted\" & 100%"
        text = self.catalogue(native(self.repo), comment)
        root = ElementTree.fromstring(text.encode("utf-8"))
        self.assertEqual(root.get("location"), native(self.repo))
        # A parser reads CR LF as LF.
        self.assertEqual(root.find("comment").text,
                         "\n" + harness.as_split(comment) + "\n  ")
        drivers = root.findall("manufacturer/driver")
        self.assertEqual([d.get("name") for d in drivers], ["Model & <One>", "TWO"])
        self.assertEqual(drivers[1].text.strip(), 'two.gpd, "2" > 1')

    def test_missing_folder_gives_head_and_closing_line(self):
        for args in ([native(self.repo + "missing/")], [native(self.repo + "missing/"), ""]):
            self.assertEqual(self.catalogue(*args),
                             head(native(self.repo + "missing/"),
                                  "Windows 7 64bit AMD pre-installed drivers") +
                             "</drivers>\r\n")

    def test_empty_first_argument_keeps_the_default_folder(self):
        text = self.catalogue("", "comment only")
        if harness.on_windows():
            # Windows' command line cannot hold an empty argument: a lone
            # "" is skipped like a blank, so the comment becomes the folder.
            self.assertIn(" location='comment only'\r\n", text)
            return
        self.assertIn(" location='C:\\Windows\\System32\\DriverStore\\FileRepository\\'\r\n",
                      text)
        self.assertIn("  <comment>\r\ncomment only\r\n  </comment>\r\n", text)

    def test_folder_without_trailing_separator_is_a_prefix(self):
        # "<scratch>/rep" lists the entries of <scratch> that begin with "rep"
        # and puts each name right after "rep".
        scratch = self.scratch.name + "/"
        for folder in ("rep.inf_1", "reprep.inf_1"):
            os.makedirs(scratch + folder)
            with open(scratch + folder + "/" + folder[:-6] + ".inf", "wb") as f:
                f.write(PRINTER_INF)
        text = self.catalogue(native(scratch + "rep"))
        self.assertEqual(re.findall(r"filename='([^']*)'", text),
                         [native(scratch + "reprep.inf_1/reprep.inf")])

    def test_unreadable_inf_ends_the_run_with_the_report(self):
        wrapper = harness.as_unprivileged_user()
        if harness.on_windows() or wrapper is None:
            self.skipTest("denying a read needs a POSIX user without root rights")
        os.chmod(self.scratch.name, 0o755)
        inf = self.add("prn.inf_1/prn.inf")
        os.chmod(inf, 0)
        result = run(args=[self.repo], wrapper=wrapper)
        self.assertTrue(result.stdout.startswith(b"<?xml"))
        self.assertNotIn(b"</drivers>", result.stdout)
        self.assertReport(result, "File access denied.")


class SurveyScript(harness.Case):
    """The README's script that writes a machine's catalogue to a share, as
    it stands there, run by Windows' own command interpreter."""

    def test_writes_the_catalogue_whole_under_the_machines_name(self):
        if not harness.on_windows():
            self.skipTest("a script for Windows' cmd")
        readme = os.path.join(os.path.dirname(__file__), "..", "..", "README.md")
        with open(readme, encoding="utf-8") as f:
            block = re.search(r"```bat\n( *@echo off\n.*?) *```", f.read(), re.S).group(1)
        script = textwrap.dedent(block)
        with tempfile.TemporaryDirectory() as scratch:
            share = os.path.join(scratch, "share")
            os.mkdir(share)
            shutil.copy(harness.BINARY, os.path.join(scratch, "infsurvey.exe"))
            path = os.path.join(scratch, "survey-drivers.cmd")
            with open(path, "w", newline="\r\n") as f:
                f.write(script.replace("\\\\fileserver\\printer-drivers$", native(share)))
            result = run(binary="cmd", args=["/c", native(path)])
            self.assertEqual((result.stderr, result.code), (b"", 0))
            [name] = os.listdir(share)
            with open(os.path.join(share, name), "rb") as f:
                catalogue = f.read()
        machine = name[:-len(".xml")].encode()
        self.assertTrue(machine and name.endswith(".xml"), name)
        self.assertIn(b"  <comment>\r\n" + machine + b"\r\n  </comment>\r\n", catalogue)
        self.assertTrue(catalogue.endswith(b"</drivers>\r\n"), catalogue[-40:])


if __name__ == "__main__":
    harness.main()
