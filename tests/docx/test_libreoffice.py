"""LibreOffice (headless, Debian's libreoffice-writer-nogui) reads every Word document the docx tests have
`sonotag annotate` write, for each row of tests/fixtures/docx/expected-runs.json: the text it shows is the input's,
with the annotations, and nothing else, put in; in its body and notes as many as the output's main part and notes
hold outside the fallbacks of mc:AlternateContent (LibreOffice reads the DrawingML choice), and in its page styles
each one the headers and footers hold (it repeats a header in every page style that shows it). $SONOTAG names the
program."""

import json
import os
import re
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree
import zipfile
from pathlib import Path

FIXTURES = Path(__file__).resolve().parents[1] / "fixtures" / "docx"
WORD_LIST = Path(__file__).resolve().parents[2] / "dictionary" / "dictionary.txt"
# The default separator, left and right symbols around a transcription (no blank, no backslash in it).
ANNOTATION = re.compile(r" \\[^\\\s]+\\")
TEXT = "{urn:oasis:names:tc:opendocument:xmlns:text:1.0}"
BODY_PART = re.compile(r"word/(document|footnotes|endnotes)\.xml")
PAGE_PART = re.compile(r"word/(header|footer)\d*\.xml")
ENTRIES = ("content.xml", "styles.xml")  # of a LibreOffice document: its body and notes, its page styles


def convert(documents, folder):
    """Each document as LibreOffice saves it in its own format, in `folder`, by one headless run with a profile of its own."""
    subprocess.run(["timeout", "600", "soffice", f"-env:UserInstallation=file://{folder}/profile", "--headless",
                    "--convert-to", "odt", "--outdir", str(folder), *map(str, documents)],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def shown_text(odt, entry):
    """The text of a LibreOffice document, a line per paragraph: in content.xml its body, notes and text boxes,
    in styles.xml its headers and footers; tracked deletions, which it keeps apart, left out."""
    text = []

    def walk(element):
        if element.tag == TEXT + "tracked-changes":
            return
        text.append(element.text or "")
        if element.tag == TEXT + "s":
            text.append(" " * int(element.get(TEXT + "c", "1")))
        elif element.tag == TEXT + "tab":
            text.append("\t")
        elif element.tag == TEXT + "line-break":
            text.append("\n")
        for child in element:
            walk(child)
            text.append(child.tail or "")
        if element.tag in (TEXT + "p", TEXT + "h"):
            text.append("\n")

    with zipfile.ZipFile(odt) as package:
        walk(ElementTree.fromstring(package.read(entry)))
    return "".join(text)


def marked_up(docx, parts, fallbacks):
    """The text of a Word document's parts as their w:t elements hold it, with or without the fallbacks."""
    text = ""
    with zipfile.ZipFile(docx) as package:
        for entry in filter(parts.fullmatch, package.namelist()):
            xml = package.read(entry).decode()
            if not fallbacks:
                xml = re.sub(r"<mc:Fallback>.*?</mc:Fallback>", "", xml, flags=re.S)
            text += "".join(re.findall(r"<(?:\w+:)?t(?: [^>]*)?>([^<]*)</(?:\w+:)?t>", xml))
    return text


class LibreOfficeReadsEveryOutput(unittest.TestCase):
    def test_the_text_it_shows_is_the_inputs_with_the_annotations(self):
        table = json.loads((FIXTURES / "expected-runs.json").read_text(encoding="utf-8"))
        with tempfile.TemporaryDirectory() as scratch:
            scratch = Path(scratch)
            rows = []
            for number, (document, expected) in enumerate(table.items()):
                for option in expected["runs"]:
                    output = scratch / f"row{len(rows)}.docx"
                    arguments = option.split(" ", 1) if option else []
                    done = subprocess.run([os.environ["SONOTAG"], "annotate", "--stats", "--dictionary", WORD_LIST,
                                           *arguments, FIXTURES / document, "--output", output],
                                          capture_output=True, text=True, timeout=300)
                    self.assertEqual(done.returncode, 0, done.stderr)
                    annotations = int(re.search(r"annotations: (\d+)", done.stderr).group(1))
                    rows.append((f"{document} {option}", FIXTURES / document, output, annotations))
            (scratch / "in").mkdir()
            convert(sorted({row[1] for row in rows}), scratch / "in")
            convert([row[2] for row in rows], scratch)
            for name, document, output, annotations in rows:
                with self.subTest(name):
                    body, pages = (shown_text(scratch / f"{output.stem}.odt", entry) for entry in ENTRIES)
                    for entry, shown in zip(ENTRIES, (body, pages)):
                        original = shown_text(scratch / "in" / f"{document.stem}.odt", entry)
                        # Page numbers are counted anew: a longer document has more pages.
                        self.assertEqual(re.sub(r"\d+", "#", ANNOTATION.sub("", shown)), re.sub(r"\d+", "#", original))
                    everywhere = re.compile(f"{BODY_PART.pattern}|{PAGE_PART.pattern}")
                    self.assertEqual(len(ANNOTATION.findall(marked_up(output, everywhere, True))), annotations)
                    self.assertGreater(annotations, 0)
                    self.assertEqual(len(ANNOTATION.findall(body)), len(ANNOTATION.findall(marked_up(output, BODY_PART, False))))
                    self.assertEqual(set(ANNOTATION.findall(pages)), set(ANNOTATION.findall(marked_up(output, PAGE_PART, False))))


if __name__ == "__main__":
    unittest.main()
