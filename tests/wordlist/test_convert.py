"""The converter from espeak-ng phoneme names to the stored letter code."""

import unittest

import convert

# word, espeak's phonemes, the stored form; grouped by the rule they show.
CONVERSIONS = [
    # letters of the older convention
    ("put", "p_'U_t", "put"), ("cot", "k_'0_t", "kCt"), ("bed", "b_'E_d", "bZd"), ("nurse", "n_'3:_s", "n\\:s"),
    ("boy", "b_'OI", "bRi"), ("this", "D_'I_s", "Tis"), ("church", "tS_'3:_tS", "tF\\:tF"),
    ("measure", "m_'E_Z_3", "5mZV["),
    ("bath", "b_'aa_T", "bB:W"),  # long, unlike the IPA output
    # stress mark moves to the start of the syllable
    ("hello", "h_@_l_'oU", "h[5l[u"),
    ("computer", "k_@_m_p_j_'u:_t_3", "k[m5pju:t["),  # pj is an onset
    ("express", "E_k_s_p_r_'E_s", "ik5sprZs"),  # spr is an onset
    ("already", "O:_l_r_'E_d_i", "R:l5rZdi"),  # lr is not
    ("create", "k_r_i:_;_'eI_t", "kri5eit"),  # no consonant between
    ("window", "w_'I_n_d_oU", "5wind[u"),  # word-initial cluster
    # one syllable words carry no stress
    ("the", "D_'@", "T["), ("I", "'aI", "ai"), ("psst", "p_s_s_'@", "pss["),
    # exactly one primary stress
    ("secondary promoted", "h_@_l_,oU", "h[5l[u"),
    ("none at all", "h_@_l_oU", "h[5l[u"),  # first full vowel
    ("only weak vowels", "h_@_l_@", "5h[l["),  # first syllable
    ("compound", "l_'V_n_tS r_'u:_m", "5lQntFru:m"),  # two words read as one
    # secondary stress only before the primary
    ("everybody", "'E_v_r_I2_b_,0_d_i", "5ZvribCdi"), ("understand", ",V_n_d_3_s_t_'a_n_d", "7Qnd[5stAnd"),
    ("conversation", "k_0_n_v_@_s_'eI_S_@_n", "7kCnv[5seiF[n"), ("hotel", "h_oU_t_'E_l", "h[u5tZl"),
    ("scientific", "s_aI@_n_t_'I_f_I_k", "7sai[n5tifik"), ("violence", "v_'aI@_l_@_n_s", "5vai[l[ns"),
    # syllabic l
    ("apple", "'a_p_@L", "5Apl"),
    ("several", "s_'E_v_r_@L", "5sZvr[l"),  # after r
    ("towel", "t_'aU_@L", "5tau[l"),  # after a vowel
    ("finally", "f_'aI_n_@L_i", "5fain[li"),
    # syllabic n only for final en after the stressed vowel
    ("garden", "g_'A@_d_@_n", "5gB:dn"), ("listen", "l_'I_s_@_n", "5lisn"), ("lessons", "l_'E_s_@_n_z", "5lZsnz"),
    ("isn't", "'I_z_@_n_t", "5iznt"),
    ("station", "s_t_'eI_S_@_n", "5steiF[n"),  # -tion keeps its schwa
    ("student", "s_t_j_'u:_d_@_n_t", "5stju:d[nt"),  # so does -ent
    ("London", "l_'V_n_d_@_n", "5lQnd[n"),  # n before d
    ("happen", "h_'a_p_@_n", "5hAp[n"),  # p is not in the set
    # final r coloured schwa
    ("better", "b_'E_t_3", "5bZt["),
    ("fire", "f_'aI@", "5fai["),  # two syllables
    ("Everest", "'E_v_3_r-_I2_s_t", "5Zv[rist"),  # linking r
    # unstressed initial e is i
    ("enjoy", "E_n_dZ_'OI", "in5dVRi"), ("example", "E_g_z_'aa_m_p_@L", "ig5zB:mpl"),
    ("else", "'E_l_s", "Zls"),  # one syllable
    ("Asia", "'E_Z_@", "5ZV["),  # not spelt with e
    ("engineer", ",E_n_dZ_I_n_'i@", "7ZndVi5ni["),  # secondary stress
    # ng before a stressed k or g is n
    ("incredible", "I_N_k_r_'E_d_I_b_@L", "in5krZd[bl"), ("include", "I_N_k_l_'u:_d", "in5klu:d"),
    ("engage", "I_N_g_'eI_dZ", "in5geidV"),
    ("increase", "'I_N_k_r_i:_s", "5iNkri:s"),  # k unstressed
    ("congress", "k_'0_N_g_r_E_s", "5kCNgrZs"),
    # weak vowels; -ible, -some
    ("banana", "b_a#_n_'A:_n_@", "b[5nB:n["),
    ("than", "D_'a#_n", "TAn"),  # stressed a#
    ("usually", "j_'u:_Z_u:_@L_i", "5ju:Vu[li"),  # u: before a vowel
    ("education", ",E_dZ_u:_k_'eI_S_@_n", "7ZdVu5keiF[n"),
    ("menu", "m_'E_n_j_u:", "5mZnju:"),  # final u: stays
    ("maybe", "m_'eI_b_i:", "5meibi"),  # final i: does not
    ("possible", "p_'0_s_I2_b_@L", "5pCs[bl"), ("handsome", "h_'a_n_d_s_V_m", "5hAnds[m"),
    ("some", "s_'V_m", "sQm"),  # not the bare word
    ("unusual", "V_n_j_'u:_Z_u:_@L", "Qn5ju:Vu[l"),  # un- keeps its n
    # french nasal vowels are approximated
    ("croissant", "k_w_'A:_s_A~", "5kwB:sCn"), ("ensemble", "O~_s_'0_m_b_@L", "Cn5sCmbl"),
]


class Conversions(unittest.TestCase):
    def test_every_rule(self):
        for word, phonemes, expected in CONVERSIONS:
            with self.subTest(word=word, phonemes=phonemes):
                self.assertEqual(convert.to_letter_code(phonemes, word), expected)

    def test_unusable_output_is_an_error_naming_the_phoneme(self):
        for phonemes, error, message in [("", convert.ConversionError, "no phonemes"),
                                         ("p_s_s_t", convert.ConversionError, "no vowel"),
                                         ("b_'Q_t", convert.UnknownPhoneme, "'Q'"),
                                         ("b_'aa_T_#", convert.UnknownPhoneme, "'#'")]:
            with self.subTest(phonemes=phonemes), self.assertRaisesRegex(error, message):
                convert.to_letter_code(phonemes, "word")

    def test_onset_table(self):
        cases = [((), True), (("t",), True), (("N",), False), (("s", "t", "r"), True), (("p", "l"), True),
                 (("t", "l"), False), (("l", "r"), False), (("s", "k", "w"), True), (("k", "s", "t"), False),
                 (("s", "t", "r", "j"), False)]
        for cluster, expected in cases:
            with self.subTest(cluster=cluster):
                self.assertEqual(convert.is_onset(cluster), expected)


if __name__ == "__main__":
    unittest.main()
