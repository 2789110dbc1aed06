"""The shipped dictionary.txt: every transcription spelled in the generator's letter code."""

import re
import unittest
from pathlib import Path

import convert

SHIPPED = Path(__file__).resolve().parents[2] / "dictionary" / "dictionary.txt"
MARKS = convert.PRIMARY_MARK + convert.SECONDARY_MARK
VOWEL_CODES = {vowel.code for vowel in convert.VOWELS.values()}
CODES = VOWEL_CODES | set(convert.CONSONANTS.values()) | set(convert.SYLLABIC.values())
# Longest code first, so "i:" is never read as "i" and ":".
SYMBOL = re.compile("|".join(re.escape(c) for c in sorted(CODES, key=len, reverse=True)) + f"|[{MARKS}]")


def fault(transcription):
    """Why a transcription is not in the letter code, or None."""
    symbols, at = [], 0
    while at < len(transcription):
        match = SYMBOL.match(transcription, at)
        if not match:
            return f"not a letter of the code at {at}"
        symbols.append(match.group())
        at = match.end()
    stressed = "".join("|" if s in MARKS else ("v" if s in VOWEL_CODES else "c") for s in symbols).split("|")
    marks = "".join(s for s in symbols if s in MARKS)
    if "v" not in "".join(stressed):
        return "no vowel"
    if any("v" not in part for part in stressed[1:]):
        return "stress mark without a vowel after it"
    if not re.fullmatch(f"({convert.SECONDARY_MARK}*{convert.PRIMARY_MARK})?", marks):
        return "one primary stress, secondaries only before it"
    return None


class LetterCode(unittest.TestCase):
    def test_rule_tells_well_formed_from_malformed(self):
        for transcription in ["5Apl", "7Qnd[5stAnd", "tF\\:tF", "kwB:sCn", "[5bAk"]:
            with self.subTest(transcription):
                self.assertIsNone(fault(transcription))
        for transcription in ["", "5Ipl", "5Dpl", "ke:t", "B", "5hA5lu", "h[5", "5h[7lu", "57hAt", "pst", "7hAt", "h\xe6t"]:
            with self.subTest(transcription):
                self.assertIsNotNone(fault(transcription))

    def test_every_shipped_transcription(self):
        lines = SHIPPED.read_bytes().decode("ascii").split("\r\n")
        faults = [f"{line}: {fault(line.split('||', 1)[1])}" for line in lines if line and fault(line.split("||", 1)[1])]
        self.assertEqual(faults[:10], [], f"{len(faults)} transcriptions outside the letter code")


if __name__ == "__main__":
    unittest.main()
