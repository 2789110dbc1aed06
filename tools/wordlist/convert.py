"""From espeak-ng's ASCII phoneme names to the stored letter code.

The word list stores transcriptions in the letters of the Kingsoft phonetic
font, older convention: short i "i", the vowel of "put" "u", short o "C", the
e of "bed" "Z", long vowels i: u: B: R: \\:, schwa "[", diphthongs ei ai Ri [u
au i[ Z[ u[, and "5"/"7" for primary/secondary stress at the start of the
stressed syllable. espeak-ng (`-x --sep=_`) writes one phoneme per field, with
its stress mark in front of the vowel; this module turns that into the stored
form and mends the places where the synthesiser's output and a dictionary's
transcription part ways.
"""

from dataclasses import dataclass

PRIMARY_MARK = "5"
SECONDARY_MARK = "7"

# Every character a converted transcription may contain.
ALPHABET = frozenset("57:[\\ABCFNQRTVWZabdefghijklmnprstuvwz")


class ConversionError(ValueError):
    """espeak's output for a word cannot be turned into the letter code."""

    def __init__(self, reason, detail=""):
        super().__init__(f"{reason}: {detail}" if detail else reason)
        self.reason = reason


class UnknownPhoneme(ConversionError):
    """A phoneme name the converter has no letter for: the table needs it."""


@dataclass(frozen=True)
class Vowel:
    code: str
    reduced: bool = False  # a weak vowel, never chosen to carry a stress
    syllables: int = 1     # ai[ and au[ are read as two syllables


VOWELS = {
    "a": Vowel("A"),
    "a#": Vowel("[", reduced=True),  # "A" when stressed
    "aa": Vowel("B:"),  # the vowel of "bath"
    "A:": Vowel("B:"),
    "A@": Vowel("B:"),
    "E": Vowel("Z"),
    "e": Vowel("Z"),
    "e@": Vowel("Z["),
    "eI": Vowel("ei"),
    "I": Vowel("i"),
    "I2": Vowel("i", reduced=True),
    "I#": Vowel("i", reduced=True),
    "i": Vowel("i", reduced=True),
    "i:": Vowel("i:"),
    "i::": Vowel("i:"),
    "i@": Vowel("i["),
    "i@3": Vowel("i["),
    "0": Vowel("C"),
    "O": Vowel("C"),
    "O:": Vowel("R:"),
    "O@": Vowel("R:"),
    "o@": Vowel("R:"),
    "OI": Vowel("Ri"),
    "o": Vowel("[u"),
    "oU": Vowel("[u"),
    "U": Vowel("u"),
    "u:": Vowel("u:"),
    "U@": Vowel("u["),
    "V": Vowel("Q"),
    "3:": Vowel("\\:"),
    "3": Vowel("[", reduced=True),
    "@": Vowel("[", reduced=True),
    "@-": Vowel("[", reduced=True),
    "@2": Vowel("[", reduced=True),
    "@5": Vowel("[", reduced=True),
    "aI": Vowel("ai"),
    "aI@": Vowel("ai[", syllables=2),
    "aI3": Vowel("ai[", syllables=2),
    "aU": Vowel("au"),
    "aU@": Vowel("au[", syllables=2),
    # French nasal vowels, as English speakers say them.
    "A~": Vowel("Cn"),
    "O~": Vowel("Cn"),
    "E~": Vowel("An"),
}

# Syllabic consonants: a syllable of their own, never stressed. The code of
# "@L" depends on what comes before it (see _syllabic_l).
SYLLABIC = {"@L": "l", "n-": "n", "m-": "m"}

CONSONANTS = {
    "p": "p", "b": "b", "t": "t", "d": "d", "k": "k", "g": "g",
    "f": "f", "v": "v", "s": "s", "z": "z", "h": "h",
    "m": "m", "n": "n", "l": "l", "r": "r", "j": "j", "w": "w",
    "T": "W", "D": "T", "S": "F", "Z": "V", "N": "N",
    "tS": "tF", "dZ": "dV",
    "x": "k",   # loch, Bach
    "C": "k",   # German ich-laut
    "l#": "l",
    "r-": "r",  # linking r
    "t2": "t",
    "d#": "d",
}

# Fields that carry no sound: hiatus and pause marks, empty fields of a
# compound's inner boundary.
SILENT = {"", ";", "!", "|", "||"}

STRESS_LEVELS = {"'": 1, ",": 2}
UNSTRESSED_MARKS = {"%", "="}

# English syllable onsets (espeak names); the stress mark goes before the
# longest of these that ends the consonants ahead of a stressed vowel.
_ONSET_PAIRS = {
    ("p", "l"), ("b", "l"), ("k", "l"), ("g", "l"), ("f", "l"), ("s", "l"),
    ("p", "r"), ("b", "r"), ("t", "r"), ("d", "r"), ("k", "r"), ("g", "r"),
    ("f", "r"), ("T", "r"), ("S", "r"),
    ("t", "w"), ("d", "w"), ("k", "w"), ("g", "w"), ("s", "w"), ("T", "w"),
    ("s", "p"), ("s", "t"), ("s", "k"), ("s", "m"), ("s", "n"), ("s", "f"),
} | {(c, "j") for c in ("p", "b", "t", "d", "k", "g", "f", "v", "T", "s", "z", "h", "m", "n", "l")}
_ONSET_TRIPLES = {
    ("s", "p", "l"), ("s", "p", "r"), ("s", "t", "r"), ("s", "k", "r"),
    ("s", "k", "w"), ("s", "p", "j"), ("s", "t", "j"), ("s", "k", "j"),
}
_NO_ONSET = {"N"}

# The consonants before which a final unstressed -en/-on is a syllabic n.
_SYLLABIC_N_AFTER = {"t", "d", "s", "z", "f", "v"}


@dataclass
class Segment:
    name: str          # espeak's phoneme name
    kind: str          # "vowel", "syllabic" or "consonant"
    stress: int = 0    # 0 none, 1 primary, 2 secondary (nuclei only)
    code: str = ""
    spoken: int = 0    # the stress espeak gave it, kept when one-syllable
                       # words lose their mark

    @property
    def nucleus(self):
        return self.kind != "consonant"

    @property
    def syllables(self):
        return VOWELS[self.name].syllables if self.kind == "vowel" else (1 if self.kind == "syllabic" else 0)

    @property
    def reduced(self):
        return self.kind == "syllabic" or (self.kind == "vowel" and VOWELS[self.name].reduced)


def is_onset(cluster):
    """Whether the espeak consonant names in `cluster` can begin a syllable."""
    cluster = tuple(cluster)
    if len(cluster) == 0:
        return True
    if len(cluster) == 1:
        return cluster[0] not in _NO_ONSET
    if len(cluster) == 2:
        return cluster in _ONSET_PAIRS
    return len(cluster) == 3 and cluster in _ONSET_TRIPLES


def parse(phonemes):
    """Splits one word's `-x --sep=_` output into segments with their stress."""
    text = phonemes.strip()
    if not text:
        raise ConversionError("no phonemes from espeak")
    segments = []
    pending = 0
    # A compound that espeak reads as two words ("lunchroom") is one word
    # here; its second primary stress is dropped later.
    for field in text.replace(" ", "_").split("_"):
        name = field
        while name and (name[0] in STRESS_LEVELS or name[0] in UNSTRESSED_MARKS):
            pending = max(pending, STRESS_LEVELS.get(name[0], 0))
            name = name[1:]
        if name in SILENT:
            continue
        if name in VOWELS:
            segments.append(Segment(name, "vowel", pending, spoken=pending))
            pending = 0
        elif name in SYLLABIC:
            segments.append(Segment(name, "syllabic"))
            pending = 0
        elif name in CONSONANTS:
            segments.append(Segment(name, "consonant"))
        else:
            raise UnknownPhoneme(f"unknown phoneme {name!r}", text)
    return segments


def _nuclei(segments):
    return [i for i, s in enumerate(segments) if s.nucleus]


def normalise_stress(segments):
    """One primary stress on a word of several syllables, none on one syllable;
    secondary stress only ahead of the primary, as dictionaries mark it."""
    nuclei = _nuclei(segments)
    if sum(segments[i].syllables for i in nuclei) <= 1:
        for s in segments:
            s.stress = 0
        return
    primaries = [i for i in nuclei if segments[i].stress == 1]
    if primaries:
        primary = primaries[0]
    else:
        secondaries = [i for i in nuclei if segments[i].stress == 2]
        full = [i for i in nuclei if not segments[i].reduced]
        primary = (secondaries or full or nuclei)[0]
    for i in nuclei:
        if i == primary:
            segments[i].stress = 1
        elif i > primary or segments[i].stress == 1 or segments[i].reduced:
            segments[i].stress = 0
    before = [i for i in nuclei if i < primary]
    if before and not any(segments[i].stress for i in before):
        # Two or more syllables ahead of the primary: a full vowel among the
        # earlier ones (not the one next to the primary; ai[ and au[ count
        # two, as in 7sai[n5tifik) carries a secondary.
        ahead = {i: sum(segments[j].syllables for j in before if j >= i) for i in before}
        candidates = [i for i in before if ahead[i] >= 2 and not segments[i].reduced]
        if candidates:
            segments[candidates[0]].stress = 2


def _primary_index(segments):
    return next((i for i, s in enumerate(segments) if s.stress == 1), None)


def _next_phoneme(segments, i):
    return segments[i + 1] if i + 1 < len(segments) else None


def mark_contracted_not(segments, word):
    """The n of "didn't" after a consonant is a syllable of its own."""
    if (word.lower().endswith("n't") and len(segments) >= 3
            and [s.name for s in segments[-2:]] == ["n", "t"] and segments[-3].kind == "consonant"
            and segments[-3].name not in ("n", "m", "N", "r", "l")):
        segments[-2] = Segment("n-", "syllabic")


def choose_vowel_codes(segments, word):
    """The letter of each vowel, with the corrections that depend on stress
    and neighbours."""
    primary = _primary_index(segments)
    several_syllables = sum(s.syllables for s in segments) > 1
    for i, s in enumerate(segments):
        if s.kind == "consonant":
            s.code = CONSONANTS[s.name]
            continue
        if s.kind == "syllabic":
            s.code = SYLLABIC[s.name]
            continue
        s.code = VOWELS[s.name].code
        following = _next_phoneme(segments, i)
        if s.name == "a#" and (s.stress or s.spoken):
            s.code = "A"
        elif s.name in ("i:", "u:") and not s.stress:
            # Weak i and u: before another vowel or ahead of the stress; a
            # final weak i: is i too (maybe), a final u: stays (menu).
            if ((following is not None and following.nucleus) or (primary is not None and i < primary)
                    or (following is None and several_syllables and s.name == "i:")):
                s.code = s.code[0]
        elif (s.name in ("E", "e") and i == 0 and not s.stress and several_syllables
              and word[:1] in ("e", "E")):
            s.code = "i"  # enjoy, example, express
        elif s.name in ("I", "I2") and not s.stress and _weak_ible(segments, i):
            s.code = "["  # possible, incredible, terribly
        elif (s.name == "V" and not s.stress and several_syllables and word.lower().endswith("some")
              and i == _last_nucleus(segments)):
            s.code = "["  # handsome, awesome
    for i, s in enumerate(segments):
        if s.name == "@L":
            s.code = _syllabic_l(segments, i)
    _syllabic_n(segments, word)


def _last_nucleus(segments):
    return max(i for i, s in enumerate(segments) if s.nucleus)


def _weak_ible(segments, i):
    names = [s.name for s in segments[i + 1:]]
    return names[:2] == ["b", "@L"] or names == ["b", "l", "i"]


def _syllabic_l(segments, i):
    before = segments[i - 1] if i > 0 else None
    after = [s.name for s in segments[i + 1:]]
    if after[:1] == ["t"] or after == ["i"]:
        return "[l"  # difficult; finally, especially
    if before is not None and before.kind == "consonant" and before.name not in ("r", "r-"):
        return "l"   # apple, little, special
    return "[l"      # towel, several


def _syllabic_n(segments, word):
    """Final unstressed -en/-on after t d s z f v that follow the stressed
    vowel is a syllabic n (garden, lesson, seven, isn't); -tion, -sion, -ent
    and -ence keep their schwa."""
    for i in range(2, len(segments) - 1):
        schwa, n = segments[i], segments[i + 1]
        if schwa.name not in ("@", "@-") or n.name != "n":
            continue
        consonant, vowel = segments[i - 1], segments[i - 2]
        if consonant.name not in _SYLLABIC_N_AFTER or not (vowel.kind == "vowel" and vowel.stress):
            continue
        rest = [s.name for s in segments[i + 2:]]
        lower = word.lower()
        if (not rest
                or (rest == ["z"] and lower.endswith("s"))
                or (rest == ["d"] and lower.endswith("ed"))
                or (rest == ["t"] and lower.endswith("n't"))):
            schwa.code = ""


def prefix_boundary(segments, word):
    """Index of the first segment after a prefix whose consonant stays with
    it: the n of un- (unusual is Qn5ju:Vu[l, not Q5nju:Vu[l). 0 if none."""
    if word.lower().startswith("un") and [s.name for s in segments[:2]] == ["V", "n"]:
        return 2
    return 0


def stress_positions(segments, boundary=0):
    """Where the stress marks go: before the onset of each stressed syllable,
    never reaching back over a prefix `boundary`."""
    positions = {}
    previous_nucleus = -1
    for i, s in enumerate(segments):
        if not s.nucleus:
            continue
        if s.stress:
            start = previous_nucleus + 1
            if previous_nucleus >= 0:
                cluster = [c.name for c in segments[start:i]]
                while not is_onset(cluster) or start < boundary:
                    cluster = cluster[1:]
                    start += 1
            positions[start] = PRIMARY_MARK if s.stress == 1 else SECONDARY_MARK
        previous_nucleus = i
    return positions


def _dental_nasal_before_stress(segments, positions):
    # ng before a k or g that opens a stressed syllable is n: include, engage.
    for i, s in enumerate(segments[:-1]):
        if s.name == "N" and segments[i + 1].name in ("k", "g") and (i + 1) in positions:
            s.code = "n"


def analyse(phonemes, word):
    """`word`'s segments from espeak's phonemes for it, stress normalised."""
    segments = parse(phonemes)
    if not any(s.nucleus for s in segments):
        raise ConversionError("no vowel", phonemes.strip())
    mark_contracted_not(segments, word)
    normalise_stress(segments)
    return segments


def syllable_nuclei(segments):
    """The segment index of each syllable's nucleus; ai[ and au[ stand for
    two syllables, the second of which carries no stress of its own."""
    nuclei = []
    for i, s in enumerate(segments):
        nuclei.extend([i] * s.syllables)
    return nuclei


def primary_syllable(segments):
    """Which syllable (from 0) carries the primary stress, None if none."""
    primary = _primary_index(segments)
    return None if primary is None else syllable_nuclei(segments).index(primary)


def can_carry_stress(segments, syllable, word):
    """Whether moving the primary stress to `syllable` gives a stressed vowel
    of the letter code: a full vowel (or espeak's open a#), not a weak one, a
    syllabic consonant, the second half of ai[ and au[, or the e of a prefix
    en-, ex- that espeak read as weak."""
    nuclei = syllable_nuclei(segments)
    if not 0 <= syllable < len(nuclei):
        return False
    i = nuclei[syllable]
    if syllable > 0 and nuclei[syllable - 1] == i:
        return False
    s = segments[i]
    if s.kind != "vowel" or (s.reduced and s.name != "a#"):
        return False
    return not (i == 0 and s.name in ("E", "e") and not s.stress and word[:1] in ("e", "E"))


def move_primary(segments, syllable, word):
    """Puts the primary stress on `syllable`: a secondary already there is
    promoted, the old primary becomes the secondary when it comes earlier and
    no other one does, then the usual rules for secondary stress apply."""
    if not can_carry_stress(segments, syllable, word):
        raise ValueError(f"syllable {syllable} of {word} cannot carry the stress")
    target = syllable_nuclei(segments)[syllable]
    old = _primary_index(segments)
    if old is not None and old != target:
        earlier_secondary = any(s.stress == 2 for s in segments[:target])
        keep = old < target and not segments[old].reduced and not earlier_secondary
        segments[old].stress = 2 if keep else 0
    segments[target].stress = 1
    normalise_stress(segments)


def render(segments, word):
    """The stored transcription of `word` from its analysed segments."""
    choose_vowel_codes(segments, word)
    positions = stress_positions(segments, prefix_boundary(segments, word))
    _dental_nasal_before_stress(segments, positions)
    code = "".join(positions.get(i, "") + s.code for i, s in enumerate(segments))
    stray = set(code) - ALPHABET
    if stray:
        raise UnknownPhoneme("characters outside the letter code", "".join(sorted(stray)))
    return code


def to_letter_code(phonemes, word):
    """The stored transcription of `word` from espeak's phonemes for it."""
    return render(analyse(phonemes, word), word)
