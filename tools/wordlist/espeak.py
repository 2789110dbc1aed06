"""Runs espeak-ng as a separate program to get the phonemes of words.

espeak-ng reads one word a line and writes one line of ASCII phoneme names
for each (`-q -x --sep=_`). Words go in batches, several batches at once; a
batch whose answer does not have one line per word is asked again word by word,
so a word's phonemes never come from its neighbour.
"""

import os
import subprocess
from concurrent.futures import ThreadPoolExecutor

DEFAULT_COMMAND = ("espeak-ng",)
VOICE = "en-gb"


class EspeakError(RuntimeError):
    pass


def _run(command, words):
    arguments = list(command) + ["-v", VOICE, "-q", "-x", "--sep=_"]
    try:
        result = subprocess.run(arguments, input="".join(w + "\n" for w in words),
                                capture_output=True, text=True, encoding="ascii",
                                errors="replace", check=False)
    except FileNotFoundError as error:
        raise EspeakError(f"{command[0]} is not installed (Debian package espeak-ng)") from error
    if result.returncode != 0:
        raise EspeakError(f"{' '.join(arguments)} failed ({result.returncode}): {result.stderr.strip()}")
    return result.stdout.splitlines()


def _batch(command, words):
    lines = _run(command, words)
    if len(lines) == len(words):
        return lines
    answers = []
    for word in words:
        single = _run(command, [word])
        answers.append(" ".join(line.strip() for line in single if line.strip()))
    return answers


def phonemes(words, command=DEFAULT_COMMAND, batch_size=1000, jobs=None):
    """Maps each word to espeak's phoneme line for it, in the order given."""
    words = list(words)
    for word in words:
        if not word or any(c.isspace() for c in word) or not word.isascii():
            raise EspeakError(f"not a single ASCII word: {word!r}")
    batches = [words[i:i + batch_size] for i in range(0, len(words), batch_size)]
    jobs = jobs or os.cpu_count() or 1
    with ThreadPoolExecutor(max_workers=jobs) as pool:
        results = list(pool.map(lambda batch: _batch(command, batch), batches))
    return {word: line.strip() for batch, lines in zip(batches, results) for word, line in zip(batch, lines)}
