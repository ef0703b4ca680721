"""python/tarvo/_output.py: where written rows go: a path, replaced whole or left as it was, or a binary file."""
from __future__ import annotations

import contextlib
import errno
import io
import os
import re
import secrets
import select
import signal
import stat
import sys
import threading
import time
from collections.abc import Callable, Iterator, Sequence
from typing import BinaryIO, Union, cast

FORMATS = ("csv", "json", "jsonl", "parquet")
SUFFIXES = {".csv": "csv", ".json": "json", ".jsonl": "jsonl", ".ndjson": "jsonl",
             ".parquet": "parquet"}

# A path, or a binary file object: anything with a write() that takes bytes.
Target = Union[str, "os.PathLike[str]", BinaryIO, io.RawIOBase, io.BufferedIOBase]


def _named(exc: OSError, path: str) -> OSError:
    """The same failure, told about the name the user gave rather than a temporary or resolved
    one."""
    if exc.errno is None:
        return exc
    return OSError(exc.errno, exc.strerror, path)  # picks the subclass (FileNotFoundError, ...)


class Output:
    """Where a run writes when it is given a file name.

    A regular file, or a name not yet taken, is written as a temporary file beside it and renamed
    over it once complete: the name never holds partial data, and a run that fails or is
    interrupted leaves what was there before. Through a symbolic link, the file the link leads to
    is replaced and the link stays. Anything else (a FIFO, a device) is a stream the user set up:
    it is written directly and never removed.
    """

    def __init__(self, path: str) -> None:
        self.path = path
        self._stream: BinaryIO | None = None
        self._temporary: str | None = None
        self._target = path
        self._failed_directory: str | None = None

    def open(self) -> BinaryIO:
        try:
            self._open()
        except OSError as exc:
            if exc.filename is not None and exc.filename == self._failed_directory:
                raise
            raise _named(exc, self.path) from None
        assert self._stream is not None
        return self._stream

    def _open(self) -> None:
        fd = descriptor_of(self.path)
        if fd is not None:
            # Written through the descriptor itself, at its own position: opened again by name,
            # a redirected standard output would be truncated or replaced, and a pipe's magic
            # link leads nowhere a file can be made.
            _flush_python_streams(fd)
            self._stream = os.fdopen(os.dup(fd), "wb")
            return
        if os.path.islink(self.path):
            self._target = os.path.realpath(self.path)
        try:
            existing: os.stat_result | None = os.stat(self._target)
        except FileNotFoundError:
            existing = None
        if existing is not None and stat.S_ISDIR(existing.st_mode):
            raise IsADirectoryError(errno.EISDIR, os.strerror(errno.EISDIR), self.path)
        if existing is not None and not stat.S_ISREG(existing.st_mode):
            self._stream = open(self.path, "wb")
            return
        if existing is not None and not os.access(self._target, os.W_OK):
            # Replacing by rename would get past a file the user made read-only.
            raise PermissionError(errno.EACCES, os.strerror(errno.EACCES), self.path)
        directory, name = os.path.split(self._target)
        temporary = os.path.join(directory, _temporary_name(directory, name))
        # 0o666 less the umask, as for a new file; an existing file's mode and owner carry over.
        try:
            fd = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_CLOEXEC, 0o666)
        except OSError as exc:
            if exc.errno not in (errno.EACCES, errno.EPERM, errno.EROFS):
                raise
            # The file itself may be writable: it is the directory that takes no new file.
            self._failed_directory = os.path.dirname(self.path) or "."
            raise OSError(exc.errno, exc.strerror, self._failed_directory) from None
        self._temporary = temporary
        self._stream = os.fdopen(fd, "wb")
        if existing is not None:
            os.fchmod(fd, stat.S_IMODE(existing.st_mode))
            try:
                os.fchown(fd, existing.st_uid, existing.st_gid)
            except PermissionError:
                pass  # only root may give a file away; the mode still carries over

    def commit(self) -> None:
        """Closes the stream and puts the complete file in place; if either fails (a full disk
        as the last bytes are flushed, a directory made at the name meanwhile), the temporary
        file goes as after any other failure."""
        assert self._stream is not None
        try:
            self._stream.close()
            if self._temporary is not None:
                os.replace(self._temporary, self._target)
                self._temporary = None
        except OSError as exc:
            self.discard()
            raise _named(exc, self.path) from None
        except BaseException:
            self.discard()
            raise

    def discard(self) -> None:
        """After a failure: closes the stream and removes the temporary file, the only file this
        class ever removes."""
        if self._stream is not None:
            try:
                self._stream.close()
            except OSError:
                pass
        if self._temporary is not None:
            try:
                os.unlink(self._temporary)
            except OSError:
                pass
            self._temporary = None


def _temporary_name(directory: str, name: str) -> str:
    """A hidden name beside `name` that tells what it will become, or a shorter one when that
    would pass the file system's limit on a name (the target may be right at it)."""
    token = secrets.token_hex(6)
    temporary = f".{name}.{token}.tmp"
    try:
        limit = os.pathconf(directory or ".", "PC_NAME_MAX")
    except (OSError, ValueError):
        limit = 255
    if len(os.fsencode(temporary)) <= limit:
        return temporary
    return f".tarvo-{token}.tmp"


_DESCRIPTOR_PATH = re.compile(
    r"/dev/(?:fd/(?P<fd>\d+)|(?P<std>stdin|stdout|stderr))"
    r"|/proc/(?P<pid>self|thread-self|\d+)/fd/(?P<proc_fd>\d+)")
_STANDARD = {"stdin": 0, "stdout": 1, "stderr": 2}


def descriptor_of(path: str | os.PathLike[str]) -> int | None:
    """The descriptor of this process that `path` names (/dev/stdout, /dev/fd/N as process
    substitution gives, /proc/self/fd/N), or None for any other path."""
    text = os.path.normpath(os.path.abspath(os.fspath(path)))
    match = _DESCRIPTOR_PATH.fullmatch(text)
    if match is None:
        return None
    pid = match["pid"]
    if pid is not None and pid not in ("self", "thread-self") and int(pid) != os.getpid():
        return None
    if match["std"] is not None:
        return _STANDARD[match["std"]]
    return int(match["fd"] if match["fd"] is not None else match["proc_fd"])


def _flush_python_streams(fd: int) -> None:
    # What the program printed before goes first.
    for stream in (sys.stdout, sys.stderr):
        try:
            if stream is not None and stream.fileno() == fd:
                stream.flush()
        except (AttributeError, OSError, ValueError):
            pass


def is_path(target: object) -> bool:
    return isinstance(target, (str, os.PathLike))


def choose_format(target: object, fmt: str | None) -> str:
    if fmt is not None:
        if not isinstance(fmt, str):
            raise TypeError(f"format must be str, not {type(fmt).__name__}")
        if fmt.lower() not in FORMATS:
            raise ValueError(f"format must be one of {', '.join(FORMATS)}, not {fmt!r}")
        return fmt.lower()
    name = os.fspath(cast("str | os.PathLike[str]", target)) if is_path(target) \
        else getattr(target, "name", None)
    suffix = os.path.splitext(name)[1].lower() if isinstance(name, str) else ""
    if suffix not in SUFFIXES:
        raise ValueError(f"cannot tell the format from {name!r}: pass format= "
                         f"({', '.join(FORMATS)})")
    return SUFFIXES[suffix]


@contextlib.contextmanager
def open_for_rows(path: str | os.PathLike[str]) -> Iterator[BinaryIO]:
    """A binary stream whose bytes end up at `path` only if the block completes (see Output)."""
    output = Output(os.fspath(path))
    stream = output.open()
    try:
        yield stream
    except BaseException:
        output.discard()
        raise
    output.commit()


_HELD_SIGNALS = {signal.SIGINT, signal.SIGTERM, signal.SIGHUP}


@contextlib.contextmanager
def file_set(paths: Sequence[str]) -> Iterator[list[str]]:
    """Temporary paths, one beside each of `paths`, whose files end up at those paths together,
    or not at all: once the block has written every one, they are renamed, with Ctrl-C, SIGTERM
    and SIGHUP held back meanwhile, so that a folder of related tables holds the previous set or
    the new one, never a mix."""
    targets = [os.path.realpath(path) if os.path.islink(path) else path for path in paths]
    temporaries = [os.path.join(os.path.dirname(target),
                                _temporary_name(os.path.dirname(target), os.path.basename(target)))
                   for target in targets]
    try:
        yield temporaries
        # What would stop a rename half way is found before the first one.
        for path, target, temporary in zip(paths, targets, temporaries):
            try:
                existing = os.stat(target)
            except FileNotFoundError:
                continue
            if stat.S_ISDIR(existing.st_mode):
                raise IsADirectoryError(errno.EISDIR, os.strerror(errno.EISDIR), path)
            os.chmod(temporary, stat.S_IMODE(existing.st_mode))
        # Held only where signals can be held: the main thread (a worker gets none anyway).
        main = threading.current_thread() is threading.main_thread()
        held = signal.pthread_sigmask(signal.SIG_BLOCK, _HELD_SIGNALS) if main else None
        try:
            for target, temporary in zip(targets, temporaries):
                os.replace(temporary, target)
        finally:
            if held is not None:
                signal.pthread_sigmask(signal.SIG_SETMASK, held)
    except BaseException:
        for temporary in temporaries:
            with contextlib.suppress(OSError):
                os.unlink(temporary)
        raise


def binary_writer(target: object) -> Callable[[bytes], object]:
    if isinstance(target, io.TextIOBase):
        raise TypeError("target must be opened in binary mode (for standard output, "
                        "sys.stdout.buffer)")
    write = getattr(target, "write", None)
    if not callable(write):
        raise TypeError(f"target must be a path or a binary file object, not "
                        f"{type(target).__name__}")
    return cast("Callable[[bytes], object]", write)


class WholeWrites(io.RawIOBase):
    """A caller's binary file object, written so that every byte arrives.

    A raw stream may take part of what it is given (a pipe, a socket, a slow device) and says how
    much; one in non-blocking mode returns None when it can take nothing now. The rest is
    written again until all of it is in, waiting for the stream to drain in between. Objects
    that are not raw streams return what they like (many return nothing at all), and a result
    that is not a count is taken to mean the whole piece. tell() counts the bytes written here,
    which is where a format that records offsets (Parquet) counts from.
    """

    _MAX_WAIT_SECONDS = 0.05

    def __init__(self, target: object) -> None:
        super().__init__()
        self._write = binary_writer(target)
        self._target = target
        self._raw = isinstance(target, io.RawIOBase)
        self._position = 0

    def writable(self) -> bool:
        return True

    def tell(self) -> int:
        return self._position

    def write(self, data: object, /) -> int:
        view = memoryview(data).cast("B")  # type: ignore[arg-type]
        size = len(view)
        piece: object = data  # as given the first time: some writers want bytes, not a view
        idle = 0
        while view:
            written = self._write(piece)  # type: ignore[arg-type]
            if written is None and self._raw:
                written = 0
            elif not isinstance(written, int) or isinstance(written, bool):
                written = len(view)
            if not 0 <= written <= len(view):
                raise OSError(f"{type(self._target).__name__}.write() returned {written} for "
                              f"{len(view)} bytes")
            if written == 0:
                self._wait(idle)
                idle += 1
            else:
                idle = 0
            view = view[written:]
            piece = view
        self._position += size
        return size

    def _wait(self, attempt: int) -> None:
        # A stream with a descriptor is waited on until it can take bytes again; any other sleeps
        # a little longer each time. Either way Ctrl-C still ends the call.
        try:
            fd = self._target.fileno()  # type: ignore[attr-defined]
        except (AttributeError, OSError, ValueError):
            fd = None
        if isinstance(fd, int) and fd >= 0:
            poll = select.poll()
            poll.register(fd, select.POLLOUT)
            poll.poll(1000)
            return
        time.sleep(min(self._MAX_WAIT_SECONDS, 0.001 * 2 ** min(attempt, 6)))
