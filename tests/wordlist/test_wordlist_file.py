"""The overrides file and the word list file's bytes."""

import tempfile
import unittest
from pathlib import Path

import wordlist_file


class Overrides(unittest.TestCase):
    def read(self, text):
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder, "overrides.txt")
            path.write_text(text, encoding="ascii")
            return wordlist_file.read_overrides(path)

    def test_lines_comments_and_leaving_out(self):
        self.assertEqual(self.read("# note\n\na [\n  live   liv   # verb\nest -\n"),
                         {"a": "[", "live": "liv", "est": "-"})

    def test_bad_lines_name_their_place(self):
        cases = [
            ("a [\nlive\n", r":2: expected a word and a transcription"), ("live liv laiv\n", r":1: expected a word"),
            ("a [\nlive lIv\n", r":2: live: not in the letter code: I"), ("a [\na [n\n", r":2: a is corrected twice"),
        ]
        for text, message in cases:
            with self.subTest(text=text), self.assertRaisesRegex(wordlist_file.OverridesError, message):
                self.read(text)


class FileBytes(unittest.TestCase):
    def test_sorted_crlf_ascii_with_empty_field_one(self):
        data = wordlist_file.encode([("polish", "5pCliF"), ("The", "T["), ("Polish", "5p[uliF"), ("the", "T[")])
        self.assertEqual(data, b"polish||5pCliF\r\nPolish||5p[uliF\r\nthe||T[\r\nThe||T[\r\n")

    def test_non_ascii_cannot_be_written(self):
        with self.assertRaises(UnicodeEncodeError):
            wordlist_file.encode([("caf\xe9", "5kAfei")])

    def test_reads_back_as_the_program_does(self):
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder, "dictionary.txt")
            path.write_bytes(b"apple==|x|5Apl\r\napple||other\nbook\r\npear||pZ[|more\r\n")
            self.assertEqual(wordlist_file.read_entries(path), {"apple": "5Apl", "book": "", "pear": "pZ["})


if __name__ == "__main__":
    unittest.main()
