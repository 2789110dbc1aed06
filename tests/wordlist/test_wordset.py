"""Choosing and ordering the words."""

import tempfile
import unittest
from pathlib import Path

import wordset


class Rejections(unittest.TestCase):
    def test_filters_and_words_espeak_would_spell(self):
        cases = [  # word, why it is left out, whether espeak would spell it
            ("apple", None, False), ("I", None, True), ("don't", None, False),
            ("it's", None, False),  # a contraction, not a possessive
            ("apple's", "possessive", False), ("b", "single letter", True), ("mp3", "digits or other characters", True),
            ("co-op", "digits or other characters", False), ("café", "not ASCII", False),
            ("AIDS", "several capitals", True), ("Polish", None, False), ("TV", "several capitals", True),
            ("Mr", None, True), ("yd", None, True), ("gym", None, False), ("o'clock", None, False),
        ]
        for word, reason, spelt in cases:
            with self.subTest(word=word):
                self.assertEqual((wordset.rejection(word), wordset.is_spelt_out(word)), (reason, spelt))


class Scowl(unittest.TestCase):
    def test_reads_british_lists_up_to_the_level(self):
        with tempfile.TemporaryDirectory() as folder:
            files = {
                "english-words.10": "the\ncolour\n", "english-words.35": "colour\nzebra\n",
                "british-words.20": "centre\n",
                "american-words.10": "center\n",          # other spelling
                "british_z-words.10": "organize\n",        # Oxford spelling
                "english-upper.50": "Polish\n",
                "english-words.55": "zymurgy\n",          # above the level
                "english-words.35.txt": "stray\n",        # not a list
                "variant_1-words.10": "colour\n",
            }
            for name, text in files.items():
                Path(folder, name).write_text(text, encoding="utf-8")
            Path(folder, "british-words.40").write_bytes("caf\xe9\n".encode("latin-1"))
            found = wordset.read_scowl(folder)
        self.assertEqual(sorted(found), ["Polish", "caf\xe9", "centre", "colour", "the", "zebra"])
        self.assertEqual(found["colour"].level, 10)
        self.assertEqual(found["Polish"].category, "upper")

    def test_missing_lists_are_an_error(self):
        with tempfile.TemporaryDirectory() as folder:
            for missing in (folder, Path(folder, "absent")):
                with self.subTest(folder=missing), self.assertRaises(FileNotFoundError):
                    wordset.read_scowl(missing)


class Ranking(unittest.TestCase):
    counts = {"the": 100, "don": 40, "t": 90, "ang": 0, "polish": 7, "zebra": 7, "you": 80}

    def test_counts_of_contractions(self):
        for word, count in [("The", 100), ("don't", 40), ("T'ang", 0), ("you've", 80), ("unknown", 0)]:
            with self.subTest(word=word):
                self.assertEqual(wordset.count_of(word, self.counts), count)

    def test_order_is_count_then_level_then_word(self):
        rows = [("zebra", 35, "words"), ("polish", 35, "words"), ("Polish", 35, "upper"), ("aardvark", 50, "words"),
                ("abacus", 40, "words"), ("the", 10, "words")]
        candidates = [wordset.Candidate(*row) for row in rows]
        ranked = [c.word for c in wordset.rank(candidates, self.counts)]
        self.assertEqual(ranked, ["the", "Polish", "polish", "zebra", "abacus", "aardvark"])
        self.assertEqual(ranked, [c.word for c in wordset.rank(reversed(candidates), self.counts)])

    def test_frequency_list_merges_case_forms(self):
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder, "list.json")
            path.write_text('[{"word": "What", "count": 5}, {"word": "what", "count": 2}, {"word": "I", "count": 9}]')
            self.assertEqual(wordset.load_frequencies(path), {"what": 7, "i": 9})


if __name__ == "__main__":
    unittest.main()
