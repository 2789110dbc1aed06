"""The cross-check against the reference dictionary: moving the primary
stress, the reasons for keeping it, the figures, and the hand-checked sample
of changed words against the shipped list."""

import hashlib
import io
import tarfile
import tempfile
import unittest
from pathlib import Path

import convert
import crosscheck
import npm_cache
import reference
import wordlist_file

FIXTURES = Path(__file__).resolve().parents[1] / "fixtures" / "wordlist"
SHIPPED = Path(__file__).resolve().parents[2] / "dictionary" / "dictionary.txt"


def moved(phonemes, word, syllable):
    segments = convert.analyse(phonemes, word)
    convert.move_primary(segments, syllable, word)
    return convert.render(segments, word)


class StressMover(unittest.TestCase):
    def test_moves_the_mark_to_the_onset_of_the_new_syllable(self):
        cases = [  # word, phonemes, the syllable the stress goes to, the result
            ("anticipation", "a_n_t_'I_s_I_p_eI_S_@_n", 3, "An7tisi5peiF[n"),  # an earlier primary stays secondary
            ("identification", "aI_d_'E_n_t_I_f_I_k_eI_S_@_n", 4, "ai7dZntifi5keiF[n"),
            ("alabaster", ",a_l_@_b_'a_s_t_3", 0, "5Al[bAst["),  # a secondary there is promoted, a later one goes
            ("representation", "r_,E_p_r_I_z_'E_n_t_eI_S_@_n", 3, "7rZprizZn5teiF[n"),  # the old primary drops
            ("anecdotal", "'a_n_I_k_d_oU_t_@L", 2, "7Anik5d[utl"),  # a syllabic l stays a syllable, unstressed
            ("violinist", "v_'aI@_l_I_n_I_s_t", 2, "7vai[5linist"),  # ai[ is two syllables
            ("misfire", "m_'I_s_f_aI@", 1, "7mi5sfai["),  # onsets as elsewhere: sf, st kept together
            ("staphylococcus", "s_t_'a_f_I_l_@_k_0_k_@_s", 3, "7stAfil[5kCk[s"),
            ("banana", "b_a#_n_'A:_n_@", 0, "5bAnB:n["),  # the open a# takes the stress as A
        ]
        for word, phonemes, syllable, expected in cases:
            with self.subTest(word=word):
                self.assertEqual(moved(phonemes, word, syllable), expected)

    def test_syllables_that_cannot_carry_the_stress(self):
        cases = [("apple", "'a_p_@L", 1), ("violinist", "v_'aI@_l_I_n_I_s_t", 1),  # syllabic l, second half of ai[
                 ("banana", "b_@_n_'A:_n_@", 0), ("decadent", "d_I2_k_'a_d_@_n_t", 0),  # schwa, weak i
                 ("escorting", "E_s_k_'O@_t_I_N", 0), ("apple", "'a_p_@L", 5)]  # weak e of es-, no such syllable
        for word, phonemes, syllable in cases:
            with self.subTest(word=word, syllable=syllable):
                segments = convert.analyse(phonemes, word)
                self.assertFalse(convert.can_carry_stress(segments, syllable, word))
                with self.assertRaises(ValueError):
                    convert.move_primary(segments, syllable, word)


def entry(*phones):
    return [reference.parse_phones(p) for p in phones]


REFERENCE = {
    "anticipation": entry("AE0 N T IH2 S AH0 P EY1 SH AH0 N"), "apple": entry("AE1 P AH0 L"),
    "hotel": entry("HH OW0 T EH1 L"), "garage": entry("G ER0 AA1 ZH"), "magazine": entry("M AE1 G AH0 Z IY2 N"),
    "decadent": entry("D EH1 K AH0 D AH0 N T"), "located": entry("L OW1 K EY2 T IH0 D"),
    "circulation": entry("S ER1 K Y AH0 L EY2 SH AH0 N"), "portuguese": entry("P AO1 R CH AH0 G IY2 Z"),
    "overcome": entry("OW1 V ER0 K AH2 M"), "overlooking": entry("OW1 V ER0 L UH2 K IH0 NG"),
    "every": entry("EH1 V ER0 IY0", "EH1 V R IY0"), "veterinarian": entry("V EH2 T R AH0 N EH1 R IY0 AH0 N"),
    "addresses": entry("AE1 D R EH1 S IH0 Z"),
}
DIFFERENCES = frozenset({"magazine"})


class Check(unittest.TestCase):
    def test_statuses(self):
        cases = [
            ("anticipation", "a_n_t_'I_s_I_p_eI_S_@_n", crosscheck.MOVED, 3),
            ("Apple", "'a_p_@L", crosscheck.AGREES, 0),                  # looked up in lower case
            ("hotel", "h_'oU_t_E_l", crosscheck.SHORT, 0), ("magazine", "m_a_g_@_z_'i:_n", crosscheck.KNOWN, 2),
            ("decadent", "d_I2_k_'a_d_@_n_t", crosscheck.WEAK, 1),
            ("located", "l_oU_k_'eI_t_I_d", crosscheck.SUFFIX, 1),
            ("circulation", "s_3:_k_j_U_l_'eI_S_@_n", crosscheck.SUFFIX, 2),
            ("Portuguese", "p_O@_tS_@_g_'i:_z", crosscheck.FINAL, 2),
            ("overcome", "oU_v_3_k_'V_m", crosscheck.FINAL, 2),
            ("overlooking", "oU_v_3_l_'U_k_I_N", crosscheck.COMPOUND, 2),
            ("every", "'E_v_r_i", crosscheck.AGREES, 0),                 # the variant of two syllables
            ("veterinarian", "v_E_t_3_r_I_n_'e@_r_i@_n", crosscheck.MISALIGNED, 3),
            ("addresses", "@_d_r_E_s_'I_z", crosscheck.AMBIGUOUS, 2), ("apples", "'a_p_@L_z", crosscheck.ABSENT, 0),
        ]
        for word, phonemes, status, after in cases:
            with self.subTest(word=word):
                segments = convert.analyse(phonemes, word)
                outcome = crosscheck.check(word, segments, REFERENCE, DIFFERENCES)
                self.assertEqual(outcome.status, status)
                self.assertEqual(outcome.after, after)
                self.assertEqual(convert.primary_syllable(segments), after)

    def test_consonant_disagreements_and_their_kind(self):
        cases = [
            ("husband", "h_'V_s_b_@_n_d", "HH AH1 Z B AH0 N D", "voicing"),
            ("schedule", "S_'E_d_j_u:_l", "S K EH1 JH UH0 L", "consonants"),
            ("car", "k_'A@", "K AA1 R", None),                              # r is not compared
            ("tune", "t_j_'u:_n", "T UW1 N", None),                         # nor the yod
            ("include", "I_N_k_l_'u:_d", "IH0 N K L UW1 D", None),          # ng before k is n
        ]
        for word, phonemes, phones, kind in cases:
            with self.subTest(word=word):
                outcome = crosscheck.check(word, convert.analyse(phonemes, word), {word: entry(phones)}, frozenset())
                self.assertEqual(kind and crosscheck.consonant_kind(*outcome.consonants), kind)
                self.assertEqual(bool(outcome.consonants), kind is not None)

    def test_agreement_counts_only_comparable_words(self):
        def outcome(syllables, before, after, status, primaries):
            return crosscheck.Outcome("w", syllables, before, after, status, primaries)
        outcomes = [outcome(2, 0, 0, crosscheck.AGREES, (0,)), outcome(3, 0, 1, crosscheck.MOVED, (1,)),
                    outcome(3, 0, 0, crosscheck.KNOWN, (2,)), outcome(3, 1, 1, crosscheck.ABSENT, ()),
                    outcome(4, 3, 3, crosscheck.AGREES, (3,))]
        self.assertEqual(crosscheck.agreement(outcomes, 5, 2), (2 / 4, 3 / 4, 4))
        self.assertEqual(crosscheck.agreement(outcomes, 3, 3), (0.0, 1 / 2, 2))
        self.assertEqual(crosscheck.agreement(outcomes, 1, 3), (0.0, 0.0, 0))


class Reference(unittest.TestCase):
    def test_phones(self):
        cases = [("AE0 N T IH2 S AH0 P EY1 SH AH0 N", 5, (3,), ("n", "t", "s", "p", "S", "n"), (0, 2, 3, 4, 5)),
                 ("K AA1 R", 1, (0,), ("k",), (1,)), ("S IH1 NG ER0", 2, (0,), ("s", "n"), (1, 2)),
                 ("AE1 D R EH1 S", 2, (0, 1), ("d", "s"), (0, 1))]
        for phones, syllables, primaries, consonants, onsets in cases:
            with self.subTest(phones=phones):
                self.assertEqual(reference.parse_phones(phones),
                                 reference.Pronunciation(syllables, primaries, consonants, onsets))
        with self.assertRaisesRegex(reference.ReferenceError, "QQ"):
            reference.parse_phones("K QQ T")

    def test_reads_the_module_and_its_variants(self):
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder, "index.js")
            path.write_text('export const dictionary = {\n  "a": "AH0",\n  "a(2)": "EY1",\n'
                            '  "don\'t": "D OW1 N T",\n  "a42128": "EY1 F",\n}\n')
            entries = reference.read(path)
            self.assertEqual(len(entries["a"]), 2)
            self.assertEqual(entries["don't"][0].consonants, ("d", "n", "t"))
            path.write_text("nothing here\n")
            with self.assertRaisesRegex(reference.ReferenceError, "no pronunciations"):
                reference.read(path)

    def test_cached_package_file_is_checked_against_its_digest(self):
        with tempfile.TemporaryDirectory() as folder:
            data = b'{"a": 1}'
            buffer = io.BytesIO()
            with tarfile.open(fileobj=buffer, mode="w:gz") as archive:
                info = tarfile.TarInfo("package/index.json")
                info.size = len(data)
                archive.addfile(info, io.BytesIO(data))
            good = npm_cache.NpmFile("pkg", "1.0.0", hashlib.sha512(buffer.getvalue()).hexdigest(),
                                     "package/index.json", "a test")
            Path(folder, good.tarball).write_bytes(buffer.getvalue())
            for wanted, error in [(npm_cache.NpmFile("pkg", "1.0.0", good.sha512, "package/other.js", "a test"),
                                   "has no package/other.js"),
                                  (npm_cache.NpmFile("pkg", "1.0.0", "0" * 128, "package/index.json", "a test"),
                                   "not the expected pkg 1.0.0")]:
                with self.subTest(error=error), self.assertRaisesRegex(npm_cache.PackageError, error):
                    npm_cache.cached_file(folder, wanted)
            self.assertEqual(npm_cache.cached_file(folder, good).read_bytes(), data)


class HandCheckedSample(unittest.TestCase):
    """100 changed words chosen at random and judged by hand."""

    def test_at_least_95_are_right_and_the_shipped_list_follows_the_verdicts(self):
        rows = [line.split("\t") for line in (FIXTURES / "stress_sample.txt").read_text(encoding="ascii").splitlines()
                if line and not line.startswith("#")]
        self.assertEqual(len(rows), 100)
        verdicts = [row[3] for row in rows]
        self.assertLessEqual(set(verdicts), {"right", "wrong"})
        self.assertGreaterEqual(verdicts.count("right"), 95)
        shipped = wordlist_file.read_entries(SHIPPED)
        for word, generated, changed, verdict, _ in rows:
            with self.subTest(word=word):
                self.assertEqual(shipped[word], changed if verdict == "right" else generated)


if __name__ == "__main__":
    unittest.main()
