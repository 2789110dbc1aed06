"""Cross-checks generated transcriptions against the reference dictionary.

Where the two disagree on which syllable of a word of three or more syllables
carries the primary stress, the reference wins (espeak-ng's rules are weakest
on long derived words: -ation, -istic, -ity, -ology), unless British usage is
known to keep the generated stress: the word is in the table of stress
differences, the stress sits where a suffix or an -ate verb puts it, on the
last syllable, or after an over-/under-/out-/up- particle. Nor is it moved
onto a weak vowel or when the syllables do not line up. The changed words
and the consonant disagreements are listed for review.
"""

from dataclasses import dataclass
from pathlib import Path

import convert

# espeak-ng consonants (and syllabic consonants) as the reference's shared
# names; None for those the comparison leaves out (see reference._CONSONANTS).
_SHARED = {name: name for name in ("p", "b", "t", "d", "k", "g", "f", "v", "T", "D", "s", "z",
                                   "S", "Z", "h", "m", "n", "l", "w", "tS", "dZ")}
_SHARED.update({"N": "n", "x": "k", "C": "k", "l#": "l", "t2": "t", "d#": "d",
                "r": None, "r-": None, "j": None, "@L": "l", "n-": "n", "m-": "m"})
_VOICING = {frozenset(pair) for pair in (("p", "b"), ("t", "d"), ("k", "g"), ("f", "v"), ("T", "D"),
                                         ("s", "z"), ("S", "Z"), ("tS", "dZ"))}

AGREES = "agrees"
MOVED = "moved"
ABSENT = "not in the reference"
UNCOMPARABLE = "syllable counts differ"
SHORT = "two syllables, kept"
KNOWN = "in the table of stress differences, kept"
WEAK = "stress on a weak vowel, kept"
AMBIGUOUS = "several primary stresses in the reference, kept"
MISALIGNED = "syllables do not line up with the reference, kept"
SUFFIX = "stress where the suffix puts it, kept"
FINAL = "final stress, kept"
COMPOUND = "stress after over-, under-, out-, up-, kept"

# Suffixes that fix the primary stress the same way in British and American
# usage, and the syllable (counted from the end) where it falls; a generated
# word that already has it there keeps it whatever the reference says (the
# reference has some slips: circulation, destitution, Neolithic).
_SUFFIX_STRESS = (
    (("tion", "tions", "sion", "sions", "cian", "cians"), 2),
    (("ic", "ics", "istic", "istics"), 2),
    (("ical", "ity", "ities", "ology", "ologies", "ologist", "ologists"), 3),
)
# British English keeps the stress of -ate verbs on the suffix (locate,
# frustrated, narrator, regulatory) where American English moves it to the
# front; a word ending so whose primary stress is on its last "ei" keeps it.
_ATE_ENDINGS = ("ate", "ates", "ated", "ating", "ator", "ators", "atory")
# Compounds of these particles keep the stress on the second part in British
# usage far more often (overcome, outgoing, upstanding) than the reference has it.
_COMPOUND_PREFIXES = ("over", "under", "out", "up")

DEFAULT_DIFFERENCES = Path(__file__).resolve().parent / "stress_differences.txt"


def read_differences(path):
    """The words (lower case) whose British stress differs from the
    reference's: one a line, "#" starts a comment."""
    words = set()
    for line in Path(path).read_text(encoding="ascii").splitlines():
        words.update(w.lower() for w in line.split("#", 1)[0].split())
    return frozenset(words)


@dataclass
class Outcome:
    word: str
    syllables: int
    before: int           # the generated primary syllable
    after: int            # the primary syllable after the check
    status: str
    reference: tuple = ()        # the reference's primary syllables (comparable variants)
    consonants: tuple = ()       # ours and the reference's when they disagree

    @property
    def comparable(self):
        return self.status not in (ABSENT, UNCOMPARABLE)


def shared_consonants(segments):
    names = (_SHARED.get(s.name, s.name) for s in segments if s.kind != "vowel")
    return tuple(name for name in names if name)


def consonant_kind(ours, theirs):
    """"voicing" when the two differ only in voicing, else "consonants"."""
    if len(ours) == len(theirs) and all(a == b or frozenset((a, b)) in _VOICING for a, b in zip(ours, theirs)):
        return "voicing"
    return "consonants"


def check(word, segments, reference, differences):
    """The Outcome of cross-checking `word`'s analysed segments; moves the
    primary stress in `segments` when the reference wins."""
    syllables = len(convert.syllable_nuclei(segments))
    before = convert.primary_syllable(segments)
    variants = reference.get(word.lower())
    outcome = Outcome(word, syllables, before, before, ABSENT)
    if not variants:
        return outcome
    ours = shared_consonants(segments)
    if all(v.consonants != ours for v in variants):
        outcome.consonants = (ours, variants[0].consonants)
    comparable = [v for v in variants if v.syllables == syllables]
    if not comparable or before is None:
        outcome.status = UNCOMPARABLE
        return outcome
    outcome.reference = tuple(sorted({p for v in comparable for p in v.primaries}))
    chosen = comparable[0].primaries
    if before in outcome.reference:
        outcome.status = AGREES
    elif len(chosen) != 1:
        outcome.status = AMBIGUOUS
    elif syllables < 3:
        outcome.status = SHORT
    else:
        outcome.status = _kept_because(word, segments, comparable[0], differences) or MOVED
        if outcome.status == MOVED:
            convert.move_primary(segments, chosen[0], word)
            outcome.after = chosen[0]
    return outcome


def _kept_because(word, segments, chosen, differences):
    """Why the reference's primary stress is not taken, None to take it."""
    lower = word.lower()
    target = chosen.primaries[0]
    nuclei = convert.syllable_nuclei(segments)
    stressed = nuclei[convert.primary_syllable(segments)]
    if lower in differences:
        return KNOWN
    if shared_consonants(segments[:nuclei[target]]) != chosen.consonants_before(target):
        return MISALIGNED
    if not convert.can_carry_stress(segments, target, word):
        return WEAK
    if _suffix_holds_stress(lower, segments, stressed, len(nuclei) - convert.primary_syllable(segments)):
        return SUFFIX
    if stressed == nuclei[-1]:
        return FINAL
    if target == 0 and lower.startswith(_COMPOUND_PREFIXES):
        return COMPOUND
    return None


def _suffix_holds_stress(lower, segments, stressed, from_end):
    if any(lower.endswith(endings) and from_end == place for endings, place in _SUFFIX_STRESS):
        return True
    return (segments[stressed].name == "eI" and lower.endswith(_ATE_ENDINGS)
            and all(s.name != "eI" for s in segments[stressed + 1:]))


def agreement(outcomes, top, min_syllables):
    """(share agreeing before, share agreeing after, comparable words) over
    the first `top` outcomes' comparable words of `min_syllables` or more."""
    chosen = [o for o in outcomes[:top] if o.comparable and o.syllables >= min_syllables]
    if not chosen:
        return 0.0, 0.0, 0
    before = sum(o.before in o.reference for o in chosen)
    after = sum(o.after in o.reference for o in chosen)
    return before / len(chosen), after / len(chosen), len(chosen)


def figure_lines(outcomes, tops=(5000, 20000), min_syllables=(2, 3)):
    lines = []
    for top in tops:
        for least in min_syllables:
            before, after, count = agreement(outcomes, top, least)
            lines.append(f"  {top:,} most frequent, {least}+ syllables: primary stress agrees "
                         f"{before:.1%} before, {after:.1%} after ({count:,} comparable words)")
    return lines


def review_lines(outcomes, transcriptions):
    """The review file: each changed word with its old and new
    transcription, then each consonant disagreement."""
    lines = ["# Generated by generate.py: the words whose primary stress the reference",
             "# moved (old and new transcription), then the consonant disagreements",
             "# (kind, transcription, our consonants / the reference's). Tab-separated."]
    for o in outcomes:
        if o.status == MOVED:
            old, new = transcriptions[o.word]
            lines.append(f"moved\t{o.word}\t{old}\t{new}")
    for o in outcomes:
        if o.consonants:
            ours, theirs = o.consonants
            lines.append(f"{consonant_kind(ours, theirs)}\t{o.word}\t{transcriptions[o.word][1]}\t"
                         f"{' '.join(ours)} / {' '.join(theirs)}")
    return lines
