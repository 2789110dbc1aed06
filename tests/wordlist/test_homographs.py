"""The homograph table: its source, its checks, the shipped file, the readings
the real espeak-ng gives in context, and the hand-marked sentences."""

import re
import sys
import tempfile
import unittest
from pathlib import Path

import error_classes
import homographs
import wordlist_file

ROOT = Path(__file__).resolve().parents[2]
SHIPPED = ROOT / "dictionary" / "homographs.txt"
SENTENCES = ROOT / "tests" / "fixtures" / "homographs" / "sentences.txt"
FAKE_ESPEAK = (sys.executable, str(Path(__file__).with_name("fake_espeak.py")))
MARKED = re.compile(r"\[([A-Za-z']+)=([a-z]+)\]")


def reading(word, kind, context="the *", correction=""):
    return homographs.Reading(word, kind, context, correction)


class Source(unittest.TestCase):
    def read(self, text):
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder, "source.txt")
            path.write_text(text)
            return homographs.read_source(path)

    def test_readings_senses_and_faults(self):
        readings, senses = self.read("sense fish: sea, caught\nbass fish a * fish = bAs  # note\nuse verb to *\n")
        self.assertEqual(senses, {"fish": "sea, caught"})
        self.assertEqual(readings, [reading("bass", "fish", "a * fish", "bAs"), reading("use", "verb", "to *")])
        self.assertEqual(readings[0].phrase, "a bass fish")
        self.assertEqual(reading("polish", "cap", "* food").phrase, "Polish food")
        for text, message in [("use verb to\n", "one \\*"), ("use verb * and *\n", "one \\*"),
                              ("bass fish a *\n", "unknown class fish"), ("use verb to * = juz!\n", "letter code")]:
            with self.subTest(text=text), self.assertRaisesRegex(homographs.SourceError, message):
                self.read(text)

    def test_table_faults_and_flags(self):
        dictionary = {"use": "ju:z", "read": "ri:d", "row": "r[u"}
        rows = [(reading("use", "noun"), "", "ju:s"), (reading("use", "verb"), "", "ju:z"),
                (reading("read", "verb"), "", "ri:d"), (reading("read", "past"), "", "ri:d"),
                (reading("row", "line"), "", "r[u"), (reading("row", "line"), "", "rau"),
                (reading("wound", "noun"), "", "wu:nd"), (reading("wound", "past"), "", "waund"),
                (reading("sow", "verb"), "", "s[u")]
        dictionary["sow"] = "sau"
        fatal, flags = homographs.faults(rows, dictionary)
        self.assertEqual([line.split(":")[0] for line in fatal], ["read", "row", "wound", "sow"])
        self.assertEqual(flags, ["sow: none of s[u is the word list's sau"])

    def test_file_bytes_read_back(self):
        rows = [(reading("use", "verb"), "", "ju:z"), (reading("bass", "fish"), "", "bAs")]
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder, "homographs.txt")
            path.write_bytes(homographs.encode(rows, {"fish": "sea"}))
            self.assertTrue(path.read_bytes().endswith(b"\r\nbass|fish|bAs\r\nuse|verb|ju:z\r\n"))
            self.assertEqual(homographs.read_table(path), {"bass": {"fish": "bAs"}, "use": {"verb": "ju:z"}})

    def test_espeak_must_keep_the_phrase_words(self):
        context = error_classes.Context(error_classes.Tables())
        with self.assertRaisesRegex(homographs.SourceError, "split or joined"):
            homographs.transcribe([reading("read", "past", "I have *")], context, FAKE_ESPEAK)


class RealEspeak(unittest.TestCase):
    def test_context_forces_the_reading(self):
        cases = [("record", "noun", "the *", "5rZkR:d"), ("record", "verb", "to *", "ri5kR:d"),
                 ("read", "past", "I have *", "rZd"), ("read", "verb", "I will *", "ri:d"),
                 ("use", "noun", "the *", "ju:s"), ("live", "adj", "* music", "laiv"),
                 ("polish", "cap", "* food", "5p[uliF"), ("separate", "adj", "a * room", "5sZp[r[t")]
        context = error_classes.Context(error_classes.read_tables())
        rows = homographs.transcribe([reading(*case[:3]) for case in cases], context)
        self.assertEqual([table for _, _, table in rows], [case[3] for case in cases])


class Shipped(unittest.TestCase):
    def test_table_is_sound_and_large_enough(self):
        table = homographs.read_table(SHIPPED)
        rows = [(reading(w, k), "", t) for w, forms in table.items() for k, t in forms.items()]
        fatal, _ = homographs.faults(rows, wordlist_file.read_entries(ROOT / "dictionary" / "dictionary.txt"))
        self.assertEqual(fatal, [])
        self.assertGreaterEqual(len(table), 120)

    def test_sentences_mark_table_readings_and_every_table_word(self):
        table = homographs.read_table(SHIPPED)
        sentences = [line for line in SENTENCES.read_text(encoding="ascii").splitlines()
                     if line.strip() and not line.startswith("#")]
        marks = [(w.lower(), k) for line in sentences for w, k in MARKED.findall(line)]
        self.assertEqual([m for m in marks if m[1] not in table.get(m[0], {})], [])
        unmarked = [(line, word) for line in sentences for word in re.findall(r"[A-Za-z']+", MARKED.sub("", line))
                    if word.lower() in table]
        self.assertEqual(unmarked, [])
        self.assertGreaterEqual(len(sentences), 150)
        self.assertGreaterEqual(len({w for w, _ in marks}), 40)


if __name__ == "__main__":
    unittest.main()
