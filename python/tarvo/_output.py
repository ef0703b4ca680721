"""python/tarvo/_output.py: where written rows go: a path, replaced only on success, or a binary file."""
from __future__ import annotations

import contextlib
import io
import os
import secrets
import stat
from collections.abc import Callable, Iterator
from typing import BinaryIO, Union

FORMATS = ("csv", "json", "jsonl", "parquet")
_SUFFIXES = {".csv": "csv", ".json": "json", ".jsonl": "jsonl", ".ndjson": "jsonl",
             ".parquet": "parquet"}

Target = Union[str, "os.PathLike[str]", BinaryIO]


def is_path(target: object) -> bool:
    return isinstance(target, (str, os.PathLike))


def choose_format(target: object, fmt: str | None) -> str:
    if fmt is not None:
        if not isinstance(fmt, str):
            raise TypeError(f"format must be str, not {type(fmt).__name__}")
        if fmt.lower() not in FORMATS:
            raise ValueError(f"format must be one of {', '.join(FORMATS)}, not {fmt!r}")
        return fmt.lower()
    name = os.fspath(target) if is_path(target) else getattr(target, "name", None)
    suffix = os.path.splitext(name)[1].lower() if isinstance(name, str) else ""
    if suffix not in _SUFFIXES:
        raise ValueError(f"cannot tell the format from {name!r}: pass format= "
                         f"({', '.join(FORMATS)})")
    return _SUFFIXES[suffix]


@contextlib.contextmanager
def open_for_rows(path: str | os.PathLike[str]) -> Iterator[BinaryIO]:
    """A binary file whose bytes end up at `path` only if the block completes.

    A regular file (or a new one) is written to a temporary file beside it and renamed into
    place at the end, so a failed or interrupted run leaves no partial file and the old one
    untouched. Through a symbolic link, the link's target is the file replaced; the link stays.
    A FIFO or a device is written to directly and never removed: it is not ours.
    """
    real = os.path.realpath(os.fspath(path))
    try:
        existing = os.stat(real)
    except FileNotFoundError:
        existing = None
    if existing is not None and stat.S_ISDIR(existing.st_mode):
        raise IsADirectoryError(21, "Is a directory", os.fspath(path))
    if existing is not None and not stat.S_ISREG(existing.st_mode):
        with open(real, "wb") as stream:
            yield stream
        return
    folder, name = os.path.split(real)
    fd, temporary = _create_beside(folder, name)
    try:
        if existing is not None:
            os.fchmod(fd, stat.S_IMODE(existing.st_mode))
        with os.fdopen(fd, "wb") as stream:
            yield stream
        os.replace(temporary, real)
    except BaseException:
        with contextlib.suppress(OSError):
            os.unlink(temporary)
        raise


def _create_beside(folder: str, name: str) -> tuple[int, str]:
    # Created with mode 0666 so the umask applies as for any new file; O_EXCL against a clash.
    for _ in range(100):
        temporary = os.path.join(folder, f".{name}.{secrets.token_hex(4)}.tmp")
        try:
            return os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_CLOEXEC,
                           0o666), temporary
        except FileExistsError:
            continue
    raise FileExistsError(f"no free temporary name beside {os.path.join(folder, name)!r}")


def binary_writer(target: object) -> Callable[[bytes], object]:
    if isinstance(target, io.TextIOBase):
        raise TypeError("target must be opened in binary mode (for standard output, "
                        "sys.stdout.buffer)")
    write = getattr(target, "write", None)
    if not callable(write):
        raise TypeError(f"target must be a path or a binary file object, not "
                        f"{type(target).__name__}")
    return write
