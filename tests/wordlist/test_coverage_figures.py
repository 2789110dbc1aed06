"""The coverage figures."""

import unittest

import coverage_figures as coverage

KEYS = {"the", "The", "don't", "it's", "apple", "I", "I'm"}


class FrequencyCoverage(unittest.TestCase):
    def test_weighted_by_count_exact_and_with_contraction_pieces(self):
        entries = [("the", 50), ("don", 10), ("t", 20), ("zebra", 10), ("m", 10)]
        exact, with_pieces = coverage.frequency_coverage(KEYS, entries)
        self.assertAlmostEqual(exact, 0.5)
        self.assertAlmostEqual(with_pieces, 0.9)    # don, t, m are pieces of contractions
        self.assertEqual(coverage.frequency_coverage(KEYS, []), (0.0, 0.0))


class TextCoverage(unittest.TestCase):
    def test_trailing_punctuation_stripped_case_kept(self):
        text = "The apple, the APPLE; (apple) don't... 1990 -- I'm zebra."
        share, count, missing = coverage.text_coverage(KEYS, text)
        # Words: The apple the APPLE (apple don't I'm zebra; 1990 and -- have no letter.
        self.assertEqual(count, 8)
        self.assertEqual(dict(missing), {"APPLE": 1, "(apple": 1, "zebra": 1})
        self.assertAlmostEqual(share, 5 / 8)
        self.assertEqual(coverage.text_coverage(KEYS, "1 2 3 --")[:2], (0.0, 0))


if __name__ == "__main__":
    unittest.main()
