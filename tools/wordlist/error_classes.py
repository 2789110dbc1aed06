"""Eight classes of errors that a British reference showed in espeak-ng's
transcriptions, mended as classes rather than word by word.

Rules on a word's analysed segments (before its stress is cross-checked):
 1. -ion/-ian/-yon/-iam/-iant/-iar/-ilure after l or n take j, not a vowel
    (million 5milj[n, canyon 5kAnj[n, failure 5feilj[).
 2. The bath vowel where espeak gives it too widely (pants, pasta) or too
    narrowly (advance), from the reviewed stems of error_classes.txt.
 3. -s and -ed after a voiceless consonant are voiceless (photographs -fs).
 4. Re-, de-, pre- words said with a full prefix vowel (rewrite 7ri:5rait,
    rehab 5ri:hAb), from the reviewed list.
 6. A weak u after the stress, in a syllable before the last, is short
    (argument 5B:gjum[nt), unless the word's base keeps it long (scheduling).
 8. No yod after tS, dZ, F, V unless spelt with y (juror 5dVu[r[); the
    single words of error_classes.txt.
Rules on finished transcriptions (after the whole list is generated):
 5. A hand correction reaches the word's inflected and prefixed forms
    (column -> columns, welcome -> welcomed, unwelcome).
 7. The -ed and -ing forms of a noun/verb stress pair take the verb's
    reading (decreased di5kri:st).
"""

import re
from dataclasses import dataclass, field
from pathlib import Path

import convert

NAMES = {
    1: "j before a weak -ion/-ian ending after l or n",
    2: "bath vowel",
    3: "voiceless -s and -ed",
    4: "full vowel of re-, de-, pre-",
    5: "corrections reach inflected forms",
    6: "weak u after the stress",
    7: "verb stress in -ed/-ing forms of stress pairs",
    8: "single words and the yod after tS dZ F V",
}
DEFAULT_TABLES = Path(__file__).resolve().parent / "error_classes.txt"
SECTIONS = ("trap", "bath", "prefix-secondary", "prefix-primary", "long-u", "verb", "words", "own-forms")

_SHORT_STRESSED = {"I", "a", "E", "V", "U", "0"}
_VOICELESS = {"p", "t", "k", "f", "T"}
_VOICELESS_BEFORE_ED = _VOICELESS - {"t"} | {"S", "tS", "s"}
_BATH_AFTER = ({"f"}, {"T"}, {"s"}, {"n", "s"}, {"n", "t"}, {"n", "d"}, {"n", "tS"}, {"n", "S"}, {"m", "p"})
_PALATAL = {"tS", "dZ", "S", "Z"}
_INFLECTIONS = ("s", "es", "ed", "d", "ing", "er", "ers")
# Suffixes that leave the base's pronunciation as it is, and prefixes likewise.
SUFFIXES = _INFLECTIONS + ("est", "ly", "ness", "ful", "less", "ment", "ments", "ist", "ists")
PREFIXES = ("un", "re", "dis", "non", "over", "under", "mis", "pre")


class TableError(ValueError):
    pass


@dataclass
class Tables:
    """The reviewed lists of error_classes.txt."""
    trap: tuple = ()                 # regular expressions: bath vowel said as in "trap"
    bath: tuple = ()                 # regular expressions: trap vowel said as in "bath"
    prefix_secondary: frozenset = frozenset()
    prefix_primary: frozenset = frozenset()
    long_u: frozenset = frozenset()
    verb: dict = field(default_factory=dict)   # word -> its verb reading
    words: dict = field(default_factory=dict)  # word -> its transcription
    own_forms: frozenset = frozenset()         # corrections whose forms keep their own reading


def read_tables(path=DEFAULT_TABLES):
    """The lists from a file of "[section]" headers, words separated by
    blanks ("word transcription" a line in [verb] and [words]); "#" starts a
    comment."""
    found = {name: [] for name in SECTIONS}
    section = None
    for number, line in enumerate(Path(path).read_text(encoding="ascii").splitlines(), start=1):
        text = line.split("#", 1)[0].strip()
        if not text:
            continue
        if text.startswith("["):
            section = text.strip("[]")
            if section not in found:
                raise TableError(f"{path}:{number}: unknown section {text}")
        elif section is None:
            raise TableError(f"{path}:{number}: a line before the first section")
        elif section in ("verb", "words"):
            fields = text.split()
            if len(fields) != 2 or set(fields[1]) - convert.ALPHABET:
                raise TableError(f"{path}:{number}: expected a word and a transcription: {line!r}")
            found[section].append(tuple(fields))
        else:
            found[section].extend(text.split())
    return Tables(trap=tuple(re.compile(p) for p in found["trap"]), bath=tuple(re.compile(p) for p in found["bath"]),
                  prefix_secondary=frozenset(found["prefix-secondary"]),
                  prefix_primary=frozenset(found["prefix-primary"]), long_u=frozenset(found["long-u"]),
                  verb=dict(found["verb"]), words=dict(found["words"]), own_forms=frozenset(found["own-forms"]))


def bases(word, suffixes=SUFFIXES):
    """(base, suffix) pairs that `word` may be made of, base spelt as a
    dictionary would list it: welcoming -> welcome, industries -> industry,
    stopped -> stop."""
    for suffix in suffixes:
        stem = word[:-len(suffix)]
        if not word.endswith(suffix) or len(stem) < 2:
            continue
        yield stem, suffix
        yield stem + "e", suffix
        if stem[-1] == stem[-2]:
            yield stem[:-1], suffix
        if stem.endswith("i"):
            yield stem[:-1] + "y", suffix


def _nuclei(segments):
    return [i for i, s in enumerate(segments) if s.nucleus]


def _stressed(segments):
    return next((i for i, s in enumerate(segments) if s.stress == 1), None)


def yod_before_weak_ending(word, segments, context):
    """Class 1: million, opinion, canyon, William, brilliant, failure."""
    lower = word.lower().removesuffix("s")
    any_vowel = lower.endswith(("lion", "nion", "nyon", "lyon", "liam", "ilure"))
    short_vowel = lower.endswith(("lian", "nian", "liant", "liance", "liar"))
    stressed = _stressed(segments)
    if not (any_vowel or short_vowel) or stressed is None or stressed + 2 >= len(segments):
        return False
    consonant, weak = segments[stressed + 1], segments[stressed + 2]
    rest = [s.name for s in segments[stressed + 3:]]
    if consonant.name not in ("l", "n") or (short_vowel and segments[stressed].name not in _SHORT_STRESSED):
        return False
    if weak.name in ("i@", "i@3") and all(name in ("n", "m", "t", "s", "z") for name in rest):
        segments[stressed + 2:stressed + 3] = [convert.Segment("j", "consonant"),
                                               convert.Segment("@" if weak.name == "i@" else "3", "vowel")]
        return True
    if weak.name in ("I", "I2") and rest[:1] == ["@"]:
        segments[stressed + 2] = convert.Segment("j", "consonant")
        return True
    return False


def bath_vowel(word, segments, context):
    """Class 2: the reviewed stems say the vowel as in "trap" (pants, pasta)
    or as in "bath" (advance, autograph)."""
    lower = word.lower()
    changed = False
    if any(p.search(lower) for p in context.tables.trap):
        for s in segments:
            if s.name == "aa":
                s.name, changed = "a", True
    if any(p.search(lower) for p in context.tables.bath):
        for i, s in enumerate(segments):
            following = {t.name for t in segments[i + 1:i + 3]}
            if s.name == "a" and any(cluster <= following and segments[i + 1].name in cluster
                                     for cluster in _BATH_AFTER):
                s.name, changed = "aa", True
    return changed


def voiceless_inflection(word, segments, context):
    """Class 3: photographs, stomachs, Czechs; the -ed of faced, typed."""
    if len(segments) < 3:
        return False
    last, before = segments[-1], segments[-2]
    lower = word.lower()
    if lower.endswith("s") and last.name == "z" and before.name in _VOICELESS:
        last.name = "s"
        return True
    if lower.endswith("ed") and last.name == "d" and before.name in _VOICELESS_BEFORE_ED:
        last.name = "t"
        return True
    return False


def _listed_form(lower, listed):
    """The listed word that `lower` is, or is an inflection of, with the
    suffix, else None."""
    if lower in listed:
        return lower, ""
    return next(((base, suffix) for base, suffix in bases(lower, _INFLECTIONS) if base in listed), None)


def full_prefix_vowel(word, segments, context):
    """Class 4: rewrite 7ri:5rait; rehab, detox 5di:tCks. The -ed and -ing
    forms of a word stressed on its prefix are verbs: 7ri:5fQndid."""
    lower = word.lower()
    tables = context.tables
    primary_form = _listed_form(lower, tables.prefix_primary)
    on_prefix = primary_form is not None and primary_form[1] in ("", "s", "es")
    if not on_prefix and primary_form is None and _listed_form(lower, tables.prefix_secondary) is None:
        return False
    nuclei = _nuclei(segments)
    first = nuclei[0]
    wanted = 1 if on_prefix else 2
    if segments[first].name == "i:" and segments[first].stress == wanted:
        return False
    if segments[first].stress == 1 and not on_prefix:
        later = next(i for i in nuclei[1:] if not segments[i].reduced)
        segments[later].stress = 1
    for i in nuclei:
        if on_prefix or (segments[i].stress == 2 and i != first):
            segments[i].stress = 0
    segments[first] = convert.Segment("i:", "vowel", wanted, spoken=wanted)
    convert.normalise_stress(segments)
    return True


def _last_syllable_in(base, context):
    """Whether the base word's weak or full u: is in its last syllable
    (schedule, costume, value): its forms keep the long vowel."""
    phonemes = context.phonemes.get(base)
    if not phonemes:
        return False
    try:
        segments = convert.parse(phonemes)
    except convert.ConversionError:
        return False
    nuclei = _nuclei(segments)
    return bool(nuclei) and segments[nuclei[-1]].name == "u:"


def weak_u_after_stress(word, segments, context):
    """Class 6: argument, document, executive, educate."""
    lower = word.lower()
    # A base with a final long u keeps it before an ending (arguing,
    # valueless), but -ment weakens it (argument).
    if lower in context.tables.long_u or any(
            base in context.words and _last_syllable_in(base, context)
            for base, suffix in bases(lower, SUFFIXES + ("ery",)) if not suffix.startswith("ment")):
        return False
    stressed = _stressed(segments)
    nuclei = _nuclei(segments)
    changed = False
    for i in nuclei:
        s = segments[i]
        if (stressed is not None and i > stressed and s.name == "u:" and not s.stress and i != nuclei[-1]
                and segments[i - 1].name in ("j", "dZ", "tS") and not segments[i + 1].nucleus):
            s.name, changed = "U", True
    return changed


def no_yod_after_palatal(word, segments, context):
    """Class 8: juror, Manchuria, cashew, tertiary; not churchyard."""
    if "y" in word.lower():
        return False
    for i in range(len(segments) - 1, 0, -1):
        if segments[i].name == "j" and segments[i - 1].name in _PALATAL:
            del segments[i]
            return True
    return False


# The segment rules in the order they run, with their class.
SEGMENT_RULES = (
    (8, no_yod_after_palatal),
    (1, yod_before_weak_ending),
    (2, bath_vowel),
    (3, voiceless_inflection),
    (4, full_prefix_vowel),
    (6, weak_u_after_stress),
)


@dataclass
class Context:
    """What the rules look up besides the word: the tables, every listed
    word (lower case) and espeak's phonemes of each."""
    tables: Tables
    words: frozenset = frozenset()
    phonemes: dict = field(default_factory=dict)


def mend_segments(word, segments, context):
    """Applies the segment rules to `segments`; the classes that changed them."""
    return [number for number, rule in SEGMENT_RULES if rule(word, segments, context)]


def _form_of(word, corrected, generated, suffixes, prefixes):
    """A word's transcription from its base's corrected one, or None: the
    base is `word` less a suffix (or a prefix) and the word's generated form
    is the base's generated form followed (preceded) by more symbols."""
    lower = word.lower()
    if lower != word and word[1:] != lower[1:]:
        return None
    case = (lambda w: w[:1].upper() + w[1:]) if lower != word else (lambda w: w)
    form = generated[word]
    candidates = [(case(base), True) for base, _ in bases(lower, suffixes)]
    candidates += [(case(lower[len(prefix):]), False) for prefix in prefixes if lower.startswith(prefix)]
    for base, at_start in candidates:
        stem = generated.get(base)
        if base not in corrected or len(base) < 3 or not stem:
            continue
        if at_start and form.startswith(stem) and not form[len(stem):].startswith(":"):
            return corrected[base] + form[len(stem):]
        if not at_start and form.endswith(stem):
            return form[:-len(stem)] + corrected[base]
    return None


def propagate(entries, generated, corrections, verbs, fixed, own_forms=frozenset()):
    """Classes 5 and 7 over the finished list: (word, transcription) pairs
    with the forms of corrected words and the -ed/-ing forms of stress
    pairs mended, and the (class, word, before, after) changes. `generated`
    holds each word's own generated transcription (corrected ones too);
    words in `fixed` (corrections themselves) stay as they are, and so do
    the forms of the words in `own_forms` (lives, uses: homographs in turn)."""
    corrected = {w: t for w, t in corrections.items() if w not in own_forms}
    mended, changes = [], []
    for word, transcription in entries:
        new = None
        if word not in fixed and word in generated:
            new = _form_of(word, verbs, generated, ("ed", "d", "ing"), ())
            number = 7
            if new is None:
                new = _form_of(word, corrected, generated, SUFFIXES, PREFIXES)
                number = 5
        if new is not None and new != transcription:
            changes.append((number, word, transcription, new))
            transcription = new
        mended.append((word, transcription))
    return mended, changes
