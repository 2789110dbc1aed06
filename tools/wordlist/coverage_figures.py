#!/usr/bin/env python3
"""How much running English the word list covers.

1. Over the frequency list: the share of all its counted tokens whose word
   the list holds exactly (case included). The frequency list splits
   contractions at the apostrophe ("don't" is "don" + "t"), so a second figure
   also counts such a piece as covered when the list holds a contraction made
   of it.
2. Over plain-text documents: the share of their words (blank-separated
   tokens with trailing punctuation stripped, exact case, tokens without a
   letter skipped) that the list holds.
"""

import argparse
import collections
import json
import string
import sys
from pathlib import Path

import frequencies
import generate
import wordlist_file

TRAILING = string.punctuation + "\u201d\u2019"


def frequency_coverage(keys, entries):
    """(exact share, share with contraction pieces) over (word, count) pairs."""
    pieces = {piece for key in keys if "'" in key for piece in key.split("'") if piece}
    total = exact = with_pieces = 0
    for word, count in entries:
        total += count
        if word in keys:
            exact += count
            with_pieces += count
        elif word in pieces:
            with_pieces += count
    if total == 0:
        return 0.0, 0.0
    return exact / total, with_pieces / total


def text_words(text):
    for token in text.split():
        word = token.rstrip(TRAILING)
        if any(c.isalpha() for c in word):
            yield word


def text_coverage(keys, text):
    """(share covered, word count, Counter of missing words)."""
    words = list(text_words(text))
    missing = collections.Counter(w for w in words if w not in keys)
    if not words:
        return 0.0, 0, missing
    return 1 - sum(missing.values()) / len(words), len(words), missing


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--dictionary", type=Path, default=generate.DEFAULT_OUTPUT)
    parser.add_argument("--cache", type=Path, default=generate.DEFAULT_CACHE)
    parser.add_argument("--frequencies", type=Path, help="the frequency list's JSON (instead of fetching it)")
    parser.add_argument("--missing", type=int, default=15, help="how many missing words to show")
    parser.add_argument("texts", type=Path, nargs="*", help="plain-text documents")
    arguments = parser.parse_args(argv)

    try:
        keys = set(wordlist_file.read_entries(arguments.dictionary))
        path = arguments.frequencies or frequencies.frequency_list(arguments.cache)
        entries = [(e["word"], int(e["count"])) for e in json.loads(path.read_text(encoding="utf-8"))]
        exact, with_pieces = frequency_coverage(keys, entries)
        print(f"frequency list, weighted by count: {exact:.2%} exact, {with_pieces:.2%} with contraction pieces")
        for text_path in arguments.texts:
            share, count, missing = text_coverage(keys, text_path.read_text(encoding="utf-8", errors="replace"))
            common = ", ".join(f"{w} {n}" for w, n in missing.most_common(arguments.missing))
            print(f"{text_path}: {share:.2%} of {count} words; missing: {common}")
    except (OSError, ValueError, RuntimeError) as error:
        print(f"coverage_figures.py: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
