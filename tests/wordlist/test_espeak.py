"""The real espeak-ng (Debian package espeak-ng): batches agree with single
words, and its British output converts (error classes mended) as the word
list expects."""

import unittest

import convert
import error_classes
import espeak

SAMPLE = ["apple", "bath", "Polish", "polish", "don't", "it's", "enjoy", "incredible", "garden", "station",
          "Mr", "o'clock", "hello", "the", "croissant", "university", "everybody", "lunchroom", "a", "I'm"]


class RealEspeak(unittest.TestCase):
    def test_batches_give_what_single_words_give(self):
        together = espeak.phonemes(SAMPLE, batch_size=7, jobs=2)
        alone = {word: espeak.phonemes([word], batch_size=1, jobs=1)[word] for word in SAMPLE}
        self.assertEqual(together, alone)

    def test_british_words_convert_as_expected(self):
        expected = {
            "apple": "5Apl", "bath": "bB:W", "enjoy": "in5dVRi", "incredible": "in5krZd[bl", "garden": "5gB:dn",
            "station": "5steiF[n", "hello": "h[5l[u", "the": "T[", "polish": "5pCliF", "Polish": "5p[uliF",
            "university": "7ju:ni5v\\:siti", "don't": "d[unt", "million": "5milj[n", "pants": "pAnts",
            "photographs": "5f[ut[grB:fs", "rewrite": "7ri:5rait", "argument": "5B:gjum[nt", "juror": "5dVu[r[",
        }
        phonemes = espeak.phonemes(expected)
        context = error_classes.Context(error_classes.read_tables())
        for word, code in expected.items():
            with self.subTest(word=word, phonemes=phonemes[word]):
                segments = convert.analyse(phonemes[word], word)
                error_classes.mend_segments(word, segments, context)
                self.assertEqual(convert.render(segments, word), code)


if __name__ == "__main__":
    unittest.main()
