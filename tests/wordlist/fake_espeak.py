"""Stands in for espeak-ng in tests: one line of canned phonemes per word
read. A word "skipped" gets no line, as when the real program joins two
lines into one clause; a word "crash" makes it fail."""

import sys

PHONEMES = {
    "the": "D_'@", "apple": "'a_p_@L", "polish": "p_'0_l_I_S", "Polish": "p_'oU_l_I_S", "zebra": "z_'E_b_r_@",
    "read": "r_'E_d", "colour": "k_'V_l_3", "skipped": "s_k_'I_p_t", "bizarre": "b_I_z_'Q",
    "anecdotal": "'a_n_I_k_d_oU_t_@L",
}

words = [line.strip() for line in sys.stdin if line.strip()]
if "crash" in words:
    print("fake espeak: cannot go on", file=sys.stderr)
    sys.exit(3)
single = len(words) == 1
for word in words:
    if word == "skipped" and not single:
        continue
    print(PHONEMES.get(word, "b_'U_k"))
