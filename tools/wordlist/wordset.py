"""Which words the list holds: SCOWL's British lists, filtered and ranked.

SCOWL ships one file per spelling, category and size level, named like
"english-words.35" or "british-upper.50". British spelling is the "english"
files (common to every spelling) together with the "british" ones.
"""

import json
import re
from dataclasses import dataclass
from pathlib import Path

SPELLINGS = ("english", "british")
CATEGORIES = ("words", "upper", "proper-names", "abbreviations", "contractions")
MAX_LEVEL = 50

# Contractions with 's that are not possessives; SCOWL files them with the
# possessives of pronouns.
S_CONTRACTIONS = frozenset({
    "it's", "that's", "let's", "he's", "she's", "there's", "here's", "what's",
    "where's", "who's", "how's", "when's", "why's",
})

_FILE_NAME = re.compile(r"^([a-z_0-9]+)-([a-z-]+)\.(\d+)$")


@dataclass(frozen=True)
class Candidate:
    word: str
    level: int      # the smallest SCOWL size level that lists it
    category: str


def read_scowl(folder, max_level=MAX_LEVEL):
    """Every word of the British lists up to `max_level`, with its level."""
    found = {}
    files = sorted(Path(folder).iterdir()) if Path(folder).is_dir() else []
    for path in files:
        match = _FILE_NAME.match(path.name)
        if not match:
            continue
        spelling, category, level = match.group(1), match.group(2), int(match.group(3))
        if spelling not in SPELLINGS or category not in CATEGORIES or level > max_level:
            continue
        for word in _read_lines(path):
            known = found.get(word)
            if known is None or (level, category) < (known.level, known.category):
                found[word] = Candidate(word, level, category)
    if not found:
        raise FileNotFoundError(f"no SCOWL word lists in {folder} (Debian package scowl)")
    return found


def _read_lines(path):
    data = path.read_bytes()
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError:
        text = data.decode("latin-1")  # older SCOWL releases
    return [line.strip() for line in text.splitlines() if line.strip()]


def rejection(word):
    """Why `word` stays out of the list, or None when it goes in."""
    if not word.isascii():
        return "not ASCII"
    if not re.fullmatch(r"[A-Za-z']+", word):
        return "digits or other characters"
    if word.endswith("'s") and word.lower() not in S_CONTRACTIONS:
        return "possessive"
    if len(word) == 1 and word not in ("a", "I"):
        return "single letter"
    if sum(c.isupper() for c in word) >= 2:
        return "several capitals"
    if not any(c.isalpha() for c in word):
        return "no letter"
    return None


def is_spelt_out(word):
    """Words that espeak reads letter by letter: all capitals (I, TV), or no
    vowel letter (Mr, ls, yd; y is a vowel letter except first: my, gym).
    They are never sent to it; only a hand correction brings them into the
    list."""
    letters = [c for c in word if c.isalpha()]
    all_capitals = bool(letters) and all(c.isupper() for c in letters)
    vowel = any(c in "aeiouAEIOU" or (c in "yY" and i > 0) for i, c in enumerate(letters))
    return all_capitals or not vowel


def load_frequencies(path):
    """The frequency list: word (lower case) -> count."""
    entries = json.loads(Path(path).read_text(encoding="utf-8"))
    counts = {}
    for entry in entries:
        key = entry["word"].lower()
        counts[key] = counts.get(key, 0) + int(entry["count"])
    return counts


# The endings of contractions, which the frequency list counts on their own.
CLITICS = frozenset({"s", "t", "ll", "re", "ve", "m", "d"})


def count_of(word, counts):
    """The frequency list's count for `word`. The list splits contractions at
    the apostrophe ("don't" is counted as "don" and "t"), so a contraction
    takes the smallest count of its parts, its ending aside: "don't" counts as
    "don", "T'ang" as "ang", not as "t"."""
    key = word.lower()
    if key in counts or "'" not in key:
        return counts.get(key, 0)
    parts = key.split("'")
    if len(parts) > 1 and parts[-1] in CLITICS:
        parts = parts[:-1]
    return min(counts.get(part, 0) for part in parts)


def rank(candidates, counts):
    """Most useful first: higher count, then lower SCOWL level, then the word."""
    return sorted(candidates, key=lambda c: (-count_of(c.word, counts), c.level, c.word))


def capitalised(word):
    return word[:1].upper() + word[1:]
