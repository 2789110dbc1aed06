"""Reading the overrides file and writing the word list file.

The word list is plain ASCII with CR LF line ends and no byte-order mark, so
it reads the same in every ANSI code page; each line is "word||transcription"
(field 1 is left empty).
"""

from pathlib import Path

from convert import ALPHABET


class OverridesError(ValueError):
    pass


# The transcription of a correction that takes the word out of the list.
LEAVE_OUT = "-"


def read_overrides(path):
    """word -> transcription from lines "word transcription [# note]"; blank
    lines and lines starting with "#" are skipped. A transcription "-" leaves
    the word out."""
    overrides = {}
    for number, line in enumerate(Path(path).read_text(encoding="ascii").splitlines(), start=1):
        text = line.split("#", 1)[0].strip()
        if not text:
            continue
        fields = text.split()
        if len(fields) != 2:
            raise OverridesError(f"{path}:{number}: expected a word and a transcription: {line!r}")
        word, transcription = fields
        stray = set(transcription) - ALPHABET
        if transcription != LEAVE_OUT and stray:
            raise OverridesError(f"{path}:{number}: {word}: not in the letter code: {''.join(sorted(stray))}")
        if word in overrides:
            raise OverridesError(f"{path}:{number}: {word} is corrected twice")
        overrides[word] = transcription
    return overrides


def sort_key(word):
    # Alphabetical regardless of case, each lower-case word before its
    # capitalised form.
    return (word.lower(), word.swapcase())


def encode(entries):
    """The file's bytes for (word, transcription) pairs."""
    lines = [f"{word}||{transcription}\r\n" for word, transcription in sorted(entries, key=lambda e: sort_key(e[0]))]
    return "".join(lines).encode("ascii")


def read_entries(path):
    """word -> transcription of a word list file, first line winning, the way
    the program reads it."""
    entries = {}
    for line in Path(path).read_bytes().decode("ascii").replace("\r\n", "\n").split("\n"):
        fields = line.split("|")
        word = fields[0].rstrip("=")
        if line and word not in entries:
            entries[word] = fields[2] if len(fields) > 2 else ""
    return entries
