"""gridpane.xsl end to end: real catalogues rendered by xsltproc, the page
read back by an HTML parser and held against the catalogue read by an XML
parser. Every driver has exactly one row, and every value shows as the
catalogue holds it, escaped once."""
import argparse
import html.parser
import json
import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

import harness
from harness import run

STYLESHEET = None
XSLTPROC = "xsltproc"
EXAMPLES = os.path.join(os.path.dirname(__file__), "..", "..", "examples",
                        "driver-repository")


# Names and values a user might really meet, shared with the browser
# tests; see its "about".
AWKWARD = os.path.join(os.path.dirname(__file__), "..", "data",
                       "awkward-repository.json")


def unpad(text, head, tail):
    if text.startswith(head):
        text = text[len(head):]
    if text.endswith(tail):
        text = text[:len(text) - len(tail)]
    return text


def expected_rows(root):
    """(manufacturer, driver, INF file, driver text) per driver, or with
    None for the driver of a manufacturer that has none."""
    rows = []
    for m in root.findall("manufacturer"):
        drivers = m.findall("driver")
        for d in drivers:
            rows.append((m.get("name"), d.get("name"), m.get("filename"),
                         unpad(d.text or "", "\n       ", "\n    ")))
        if not drivers:
            rows.append((m.get("name"), None, m.get("filename"), ""))
    return rows


class Page(html.parser.HTMLParser):
    """The grid's rows with row spans resolved, and the header's facts."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.facts, self.groups, self.tags = {}, [], []
        self.counts = None
        self._cell = self._row = self._fact = None
        self._text = []
        self._in_counts = False
        self._carry = {}

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        self.tags.append((tag, attrs))
        if tag == "tbody":
            self._carry = {}
            self.groups.append([])
        elif tag == "tr" and self.groups:
            self._row = (attrs.get("class"), [])
        elif tag == "td" and self._row is not None:
            self._cell = attrs
            self._text = []
        elif tag == "td" and "id" in attrs:
            self._fact = attrs["id"]
            self._text = []
        elif tag == "p" and attrs.get("class") == "counts":
            self._in_counts = True
            self._text = []

    def handle_data(self, data):
        self._text.append(data)

    def handle_endtag(self, tag):
        text = "".join(self._text)
        if tag == "td" and self._cell is not None:
            for _ in range(int(self._cell.get("colspan", "1"))):
                self._row[1].append((text, int(self._cell.get("rowspan", "1"))))
            self._cell = None
        elif tag == "td" and self._fact:
            self.facts[self._fact] = text
            self._fact = None
        elif tag == "p" and self._in_counts:
            self.counts = " ".join(text.split())
            self._in_counts = False
        elif tag == "tr" and self._row is not None:
            self.groups[-1].append((self._row[0], self._resolve(self._row[1])))
            self._row = None
        elif tag == "tbody":
            assert not self._carry, "a row span runs past its group"

    def _resolve(self, cells):
        cells = list(cells)
        row = []
        for column in range(4):
            if column in self._carry:
                text, left = self._carry.pop(column)
                if left > 1:
                    self._carry[column] = (text, left - 1)
            else:
                assert cells, "a row with too few cells"
                text, span = cells.pop(0)
                if span > 1:
                    self._carry[column] = (text, span - 1)
            row.append(text)
        assert not cells, "a row with too many cells"
        return tuple(row)


def count(n, one, many):
    return "%d %s" % (n, one if n == 1 else many)


class Stylesheet(harness.Case):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.scratch.cleanup()

    def survey(self, repository, comment):
        result = run(args=(repository, comment))
        self.assertEqual((result.stderr, result.code), (b"", 0))
        return result.stdout

    def render(self, catalogue):
        source = os.path.join(self.scratch.name, "catalogue.xml")
        with open(source, "wb") as f:
            f.write(catalogue)
        done = subprocess.run([XSLTPROC, STYLESHEET, source],
                              capture_output=True)
        self.assertEqual((done.stderr, done.returncode), (b"", 0))
        page = os.path.join(self.scratch.name, "catalogue.html")
        with open(page, "wb") as f:
            f.write(done.stdout)
        # libxml2's HTML parser is strict about unknown and misnested tags.
        lint = subprocess.run(["xmllint", "--html", "--noout", page],
                              capture_output=True)
        self.assertEqual((lint.stderr, lint.returncode), (b"", 0))
        return done.stdout.decode("utf-8")

    def assertPage(self, catalogue):
        """Renders `catalogue` and checks the page against it; gives the
        page's groups."""
        root = ElementTree.fromstring(catalogue)
        text = self.render(catalogue)
        self.assertTrue(text.startswith("<!DOCTYPE html>"), text[:40])
        page = Page()
        page.feed(text)
        page.close()

        self.assertEqual(page.facts, {
            "location": root.get("location"),
            "time": root.get("time"),
            "comment": unpad(root.find("comment").text, "\n", "\n  ")})
        rows = [(cls, cells) for group in page.groups for cls, cells in group]
        self.assertEqual(sum(cls == "driver" for cls, _ in rows),
                         len(root.findall("manufacturer/driver")))
        shown = sorted((
            (m, None if cls == "empty" else d, f, v)
            for cls, (m, d, f, v) in rows if cls in ("driver", "empty")), key=repr)
        self.assertEqual(shown, sorted(expected_rows(root), key=repr))

        names = {m.get("name") for m in root.findall("manufacturer")}
        self.assertEqual(page.counts, " · ".join([
            count(len(names), "manufacturer", "manufacturers"),
            count(len(root.findall("manufacturer")), "INF file", "INF files"),
            count(len(root.findall("manufacturer/driver")), "driver",
                  "drivers")]))
        # One group per manufacturer name, in order of name.
        if names:
            self.assertEqual([g[0][1][0] for g in page.groups], sorted(names))
        # Self-contained: nothing loaded from elsewhere, no scripts.
        for tag, attrs in page.tags:
            self.assertNotIn(tag, ("script", "link", "img", "iframe"))
            self.assertFalse({"src", "href"} & set(attrs), (tag, attrs))
        return page.groups

    def test_sample_repository(self):
        catalogue = self.survey(harness.native_path(EXAMPLES + "/"),
                                "Sample driver repository")
        groups = self.assertPage(catalogue)
        self.assertEqual([len(g) for g in groups], [6, 2, 2])

    def test_awkward_names_and_values(self):
        with open(AWKWARD, encoding="utf-8") as f:
            awkward = json.load(f)
        repository = os.path.join(self.scratch.name.encode(),
                                  awkward["repository"].encode("latin-1"))
        for folder, files in awkward["packages"].items():
            path = os.path.join(repository, folder.encode("latin-1"))
            os.makedirs(path)
            for name, lines in files.items():
                with open(os.path.join(path, name.encode("latin-1")), "wb") as f:
                    f.write("".join(line + "\r\n" for line in lines)
                            .encode("latin-1"))
        catalogue = self.survey(repository + b"/",
                                awkward["comment"].encode("latin-1"))
        for literal in (b"&amp;amp; already", b"&lt;Co>", b"and &quot;\r\n"):
            self.assertIn(literal, catalogue)
        groups = self.assertPage(catalogue)
        by_name = {g[0][1][0]: g for g in groups}
        self.assertEqual(sorted(by_name),
                         ["@cmd", "Fab & <Co>", "Lonely", "fab & <co>"])
        self.assertEqual([cls for cls, _ in by_name["Fab & <Co>"]],
                         ["driver"] * 4 + ["empty", "driver"])
        self.assertEqual([cls for cls, _ in by_name["@cmd"]], ["driver"] * 2)
        self.assertEqual(by_name["Lonely"][0][0], "empty")

    def test_catalogue_from_windows(self):
        # Written as the Windows build writes it: paths with backslashes,
        # a drive letter, the default comment.
        store = "C:\\Windows\\System32\\DriverStore\\FileRepository\\"
        catalogue = (
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
            "<?xml-stylesheet href=\"gridpane.xsl\" type=\"text/xsl\"?>\r\n"
            "<drivers\r\n location='%s'\r\n"
            " time=\"09:05:00 Mo 07 Dezember 2026\" >\r\n"
            "  <comment>\r\nWindows 7 64bit AMD pre-installed drivers\r\n"
            "  </comment>\r\n"
            "  <manufacturer name='Fabrikam' filename='%sprnfa001.inf_amd64_"
            "neutral_5e1f\\prnfa001.inf' >\r\n"
            "    <driver name='Fabrikam Mono 21 PCL6' >\r\n"
            "       FAM21.GPD,FabrikamMono_21A5\r\n"
            "    </driver>\r\n"
            "  </manufacturer>\r\n"
            "</drivers>\r\n" % (store, store)).encode()
        groups = self.assertPage(catalogue)
        self.assertEqual(groups[0][0][1][2],
                         store + "prnfa001.inf_amd64_neutral_5e1f\\prnfa001.inf")

    def test_large_groups(self):
        # The page finds a group in one of three ways (see the
        # stylesheet): large groups among the first 63 files, a large group
        # first met later, small groups. A catalogue that needs all three,
        # its files interleaved, some without drivers.
        names = (["Big & <Co>", "Second"] * 35 + ["Late"] * 30
                 + ["Big & <Co>", "Late"] * 20
                 + ["Small", "Late", "Tiny", "Second", "Small"])
        escaped = {n: n.replace("&", "&amp;").replace("<", "&lt;")
                   for n in names}
        files = []
        for k, name in enumerate(names):
            drivers = "".join(
                "    <driver name='%s %d.%d' >\r\n       D%d.GPD,ID_%d_%d\r\n"
                "    </driver>\r\n" % (escaped[name], k, d, k, k, d)
                for d in range(k % 3))
            # Folder names out of step with the files' order.
            files.append(
                "  <manufacturer name='%s' filename='/r/p%03d.inf_x/p%03d.inf' >"
                "\r\n%s  </manufacturer>\r\n"
                % (escaped[name], k * 37 % 251, k, drivers))
        catalogue = (
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
            "<drivers\r\n location='/r/'\r\n time=\"12:00:00 Tue 08 December"
            " 2026\" >\r\n  <comment>\r\nlarge groups\r\n  </comment>\r\n"
            "%s</drivers>\r\n" % "".join(files)).encode()
        groups = self.assertPage(catalogue)
        self.assertEqual([(g[0][1][0], len(g)) for g in groups], [
            (name, sum(max(1, k % 3) for k, n in enumerate(names) if n == name))
            for name in ["Big & <Co>", "Late", "Second", "Small", "Tiny"]])

    def test_empty_repository(self):
        empty = os.path.join(self.scratch.name, "none") + "/"
        os.mkdir(empty)
        groups = self.assertPage(self.survey(empty, ""))
        self.assertEqual([[cls for cls, _ in g] for g in groups], [[None]])


def main():
    global STYLESHEET, XSLTPROC
    parser = argparse.ArgumentParser()
    parser.add_argument("--stylesheet", required=True)
    parser.add_argument("--xsltproc", default="xsltproc")
    args, rest = parser.parse_known_args()
    STYLESHEET, XSLTPROC = os.path.abspath(args.stylesheet), args.xsltproc
    sys.argv = [sys.argv[0]] + rest
    harness.main()


if __name__ == "__main__":
    main()
