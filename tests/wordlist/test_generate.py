"""The generator from word lists to the file, with a stand-in for espeak-ng."""

import json
import sys
import tempfile
import unittest
from pathlib import Path

import crosscheck
import espeak
import generate
import reference
import wordlist_file

FAKE_ESPEAK = (sys.executable, str(Path(__file__).with_name("fake_espeak.py")))


class Generation(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        root = Path(self.folder.name)
        self.scowl = root / "scowl"
        self.scowl.mkdir()
        lists = {
            "english-words.10": ["the", "apple", "apple's", "polish", "read", "x"], "english-words.35": ["zebra"],
            "english-upper.35": ["Polish", "TV", "I"], "british-words.20": ["colour"],
            "english-words.60": ["aardvark"],
        }
        for name, words in lists.items():
            (self.scowl / name).write_text("".join(w + "\n" for w in words), encoding="utf-8")
        self.frequencies = root / "frequencies.json"
        counts = {"the": 100, "I": 90, "apple": 50, "read": 40, "colour": 30, "polish": 20, "zebra": 10}
        self.frequencies.write_text(json.dumps([{"word": w, "count": c} for w, c in counts.items()]))
        self.overrides = root / "overrides.txt"
        self.overrides.write_text("I ai\nread ri:d  # present tense\nzebra -\nunused 5Qnju:zd\n")

    def tearDown(self):
        self.folder.cleanup()

    def build(self, size):
        return generate.build(self.scowl, self.frequencies, self.overrides, size, espeak_command=FAKE_ESPEAK, jobs=2)

    def test_words_transcriptions_corrections_and_copies(self):
        entries, report, candidates, unused, words = self.build(size=10)
        self.assertEqual(dict(entries), {
            "the": "T[", "The": "T[", "I": "ai", "apple": "5Apl", "Apple": "5Apl",
            "read": "ri:d", "Read": "ri:d",             # the correction wins
            "colour": "5kQl[", "Colour": "5kQl[",
            "polish": "5pCliF", "Polish": "5p[uliF",    # its own transcription
        })
        self.assertEqual(words, 7)
        self.assertEqual(candidates, 8)                  # apple's, x, TV left out
        self.assertEqual(unused, ["unused"])
        self.assertEqual([report.dropped[reason] for reason in ("possessive", "single letter", "several capitals",
                                                                "by a correction")], [1, 1, 1, 1])

    def test_the_reference_moves_the_stress_of_a_long_word(self):
        (self.scowl / "english-words.35").write_text("anecdotal\n")
        cmu = {"anecdotal": [reference.parse_phones("AE2 N IH0 K D OW1 T AH0 L")],
               "apple": [reference.parse_phones("AE1 P AH0 L")]}
        entries, report, _, _, _ = generate.build(self.scowl, self.frequencies, self.overrides, 10,
                                                  espeak_command=FAKE_ESPEAK, jobs=2, reference=cmu)
        self.assertEqual(dict(entries)["anecdotal"], "7Anik5d[utl")
        self.assertEqual(report.transcriptions["anecdotal"], ("5Anikd[utl", "7Anik5d[utl"))
        statuses = {o.word: o.status for o in report.outcomes}
        self.assertEqual(statuses["anecdotal"], crosscheck.MOVED)
        self.assertEqual(statuses["apple"], crosscheck.AGREES)
        self.assertNotIn("I", statuses)                  # corrections are not checked

    def test_cut_keeps_the_most_frequent_and_the_same_inputs_give_the_same_bytes(self):
        entries, _, _, _, words = self.build(size=3)
        self.assertEqual((words, sorted(w for w, _ in entries)), (3, ["Apple", "I", "The", "apple", "the"]))
        self.assertEqual(wordlist_file.encode(self.build(size=10)[0]), wordlist_file.encode(self.build(size=10)[0]))

    def test_unknown_phonemes_stop_the_build(self):
        (self.scowl / "english-words.35").write_text("bizarre\n")
        with self.assertRaisesRegex(ValueError, "bizarre.*'Q'"):
            self.build(size=20)

    def test_main_writes_the_list_and_the_class_review(self):
        root = Path(self.folder.name)
        (root / "classes.txt").write_text("[words]\ncolour 5kAl[\n")
        (root / "verdicts.txt").write_text("8\tcolour\tright\tmade up\n")
        status = generate.main(["--scowl", str(self.scowl), "--frequencies", str(self.frequencies), "--overrides",
                                str(self.overrides), "--size", "5", "--output", str(root / "out.txt"), "--no-reference",
                                "--classes", str(root / "classes.txt"), "--class-review", str(root / "review.txt"),
                                "--verdicts", str(root / "verdicts.txt"), "--espeak", *FAKE_ESPEAK])
        self.assertEqual(status, 0)
        self.assertEqual((root / "out.txt").read_bytes(), b"apple||5Apl\r\nApple||5Apl\r\ncolour||5kAl[\r\n"
                         b"Colour||5kAl[\r\nI||ai\r\nread||ri:d\r\nRead||ri:d\r\nthe||T[\r\nThe||T[\r\n")
        review = (root / "review.txt").read_text().splitlines()
        self.assertIn("# class 8, single words and the yod after tS dZ F V: 1 words changed", review)
        self.assertIn("sample\t8\tcolour\t5kQl[\t5kAl[\tright\tmade up", review)
        self.assertIn("changed\t8\tcolour\t5kQl[\t5kAl[", review)

    def test_main_reports_a_missing_word_list_without_writing(self):
        output = Path(self.folder.name, "dictionary.txt")
        status = generate.main(["--scowl", str(Path(self.folder.name, "absent")), "--frequencies",
                                str(self.frequencies), "--output", str(output), "--no-reference"])
        self.assertEqual(status, 1)
        self.assertFalse(output.exists())


class Batches(unittest.TestCase):
    def test_a_batch_that_loses_a_line_is_asked_word_by_word(self):
        words = ["the", "skipped", "apple", "zebra"]
        phonemes = espeak.phonemes(words, command=FAKE_ESPEAK, batch_size=2, jobs=2)
        self.assertEqual(phonemes, {"the": "D_'@", "skipped": "s_k_'I_p_t", "apple": "'a_p_@L", "zebra": "z_'E_b_r_@"})

    def test_failing_program_is_an_error(self):
        with self.assertRaisesRegex(espeak.EspeakError, "cannot go on"):
            espeak.phonemes(["the", "crash"], command=FAKE_ESPEAK)
        with self.assertRaisesRegex(espeak.EspeakError, "not installed"):
            espeak.phonemes(["the"], command=("/nonexistent/espeak-ng",))

    def test_only_single_ascii_words_are_sent(self):
        for word in ["two words", "caf\xe9", "", "line\nbreak"]:
            with self.subTest(word=word), self.assertRaises(espeak.EspeakError):
                espeak.phonemes([word], command=FAKE_ESPEAK)


if __name__ == "__main__":
    unittest.main()
