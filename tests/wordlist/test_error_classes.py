"""The error classes: each segment rule on espeak-ng's phonemes, the spread of
corrections to inflected forms, the reviewed lists and the hand verdicts."""

import tempfile
import unittest
from pathlib import Path

import convert
import error_classes as classes
import generate

TABLES = classes.Tables(trap=classes.read_tables().trap[:3], bath=classes.read_tables().bath[:1],
                        prefix_secondary=frozenset({"rewrite"}), prefix_primary=frozenset({"refund"}),
                        long_u=frozenset({"subhuman"}))
CONTEXT = classes.Context(TABLES, frozenset({"schedule", "educate"}),
                          {"schedule": "S_'E_d_j_u:_l", "educate": "'E_dZ_u:_k_,eI_t"})


class SegmentRules(unittest.TestCase):
    def test_each_rule_on_the_words_it_mends_and_spares(self):
        cases = [  # word, espeak's phonemes, the classes that fire, the result
            ("million", "m_'I_l_i@_n", [1], "5milj[n"), ("canyons", "k_'a_n_I_;_@_n_z", [1], "5kAnj[nz"),
            ("failure", "f_'eI_l_i@3", [1], "5feilj["), ("Italian", "I_t_'a_l_i@_n", [1], "i5tAlj[n"),
            ("Julian", "dZ_'u:_l_i@_n", [], "5dVu:li[n"),          # -ian after a long vowel
            ("millennium", "m_I2_l_'E_n_i@_m", [], "mi5lZni[m"),   # -ium is not in the class
            ("pants", "p_'aa_n_t_s", [2], "pAnts"), ("pass", "p_'aa_s", [], "pB:s"),
            ("advance", "a#_d_v_'a_n_s", [2], "[d5vB:ns"),
            ("photographs", "f_'oU_t_@_g_r_,aa_f_z", [3], "5f[ut[grB:fs"), ("faced", "f_'eI_s_d", [3], "feist"),
            ("rewrites", "r_I2_r_'aI_t_s", [4], "7ri:5raits"), ("refund", "r_I2_f_'V_n_d", [4], "5ri:fQnd"),
            ("refunded", "r_I2_f_'V_n_d_I2_d", [4], "7ri:5fQndid"),  # the verb's stress
            ("argument", "'A@_g_j_u:_m_@_n_t", [6], "5B:gjum[nt"),
            ("educated", "'E_dZ_u:_k_,eI_t_I2_d", [6], "5ZdVukeitid"),
            ("scheduling", "S_'E_d_j_u:_l_I_N", [], "5FZdju:liN"),  # the base keeps u: last
            ("subhuman", "s_V_b_h_j_'u:_m_@_n", [], "sQb5hju:m[n"), ("juror", "dZ_j_'U@_r_3", [8], "5dVu[r["),
            ("churchyard", "tS_'3:_tS_j_A@_d", [], "5tF\\:tFjB:d"),  # spelt with y
        ]
        for word, phonemes, fired, expected in cases:
            with self.subTest(word=word):
                segments = convert.analyse(phonemes, word)
                self.assertEqual(classes.mend_segments(word, segments, CONTEXT), fired)
                self.assertEqual(convert.render(segments, word), expected)


class Propagation(unittest.TestCase):
    def test_corrections_reach_forms_verbs_their_ed_and_ing(self):
        generated = {"column": "5kClQm", "columns": "5kClQmz", "unwelcome": "Qn5wZlkQm", "welcome": "5wZlkQm",
                     "welcomed": "5wZlkQmd", "lives": "laivz", "live": "liv", "decrease": "5di:kri:s",
                     "decreased": "5di:kri:st", "decreases": "5di:kri:siz", "employee": "im5plRii",
                     "employees": "im5plRii:z", "Columns": "5kClQmz"}
        corrections = {"column": "5kCl[m", "welcome": "5wZlk[m", "live": "lIv", "employee": "im5plRii:"}
        entries = [(w, t) for w, t in generated.items() if w not in corrections]
        mended, changes = classes.propagate(entries, generated, corrections, {"decrease": "di5kri:s"},
                                            set(corrections), frozenset({"live"}))
        self.assertEqual(dict(mended), {"columns": "5kCl[mz", "unwelcome": "Qn5wZlk[m", "welcomed": "5wZlk[md",
                                        "lives": "laivz", "decrease": "5di:kri:s", "decreased": "di5kri:st",
                                        "decreases": "5di:kri:siz",
                                        "employees": "im5plRii:z", "Columns": "5kClQmz"})
        self.assertEqual(sorted((n, w) for n, w, _, _ in changes),
                         [(5, "columns"), (5, "unwelcome"), (5, "welcomed"), (7, "decreased")])

    def test_bases_of_a_form(self):
        self.assertLessEqual({("welcome", "ing"), ("industry", "es"), ("stop", "ed")},
                             {pair for word in ("welcoming", "industries", "stopped") for pair in classes.bases(word)})


class Lists(unittest.TestCase):
    def test_sections_and_their_faults(self):
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder, "lists.txt")
            path.write_text("[trap]\npant ^aster  # note\n[verb]\ndecrease di5kri:s\n[words]\nmall mR:l\n")
            tables = classes.read_tables(path)
            self.assertEqual([p.pattern for p in tables.trap], ["pant", "^aster"])
            self.assertEqual((tables.verb, tables.words), ({"decrease": "di5kri:s"}, {"mall": "mR:l"}))
            for text, message in [("pant\n", "before the first section"), ("[nouns]\n", "unknown section"),
                                  ("[words]\nmall\n", "a word and a transcription"), ("[verb]\nx mIl\n", "transcr")]:
                path.write_text(text)
                with self.subTest(text=text), self.assertRaisesRegex(classes.TableError, message):
                    classes.read_tables(path)

    def test_every_sampled_word_is_judged_and_most_are_right(self):
        review = (Path(classes.__file__).with_name("review-classes.txt")).read_text(encoding="ascii")
        samples = [line.split("\t") for line in review.splitlines() if line.startswith("sample\t")]
        verdicts = [row[5] for row in samples]
        self.assertEqual(set(verdicts) - set(generate.VERDICTS), set())
        self.assertGreaterEqual(len(samples), 300)
        self.assertLessEqual(verdicts.count("wrong") * 20, len(verdicts))


if __name__ == "__main__":
    unittest.main()
