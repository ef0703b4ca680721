"""python/tarvo/_writer.py: generates rows chunk by chunk and streams the bytes `save` writes."""
from __future__ import annotations

import contextlib
import os
import signal
import sys
import tempfile
import threading
from typing import Callable, Iterator, Protocol

from _tarvo import Dummy

from tarvo._progress import Progress

# About 10 ms of seed work and 0.1 s of JSON encoding: small enough for the bar to move and
# for memory to stay flat, large enough that the per-chunk file round trip is noise.
CHUNK_ROWS = 5000


class Sink(Protocol):
    """Where the bytes go: a binary file, or anything that writes and flushes like one."""

    def write(self, data: bytes, /) -> int: ...

    def flush(self) -> None: ...


@contextlib.contextmanager
def _quiet_stdout() -> Iterator[None]:
    """Sends file descriptor 1 to the null device: save prints its completion line there itself,
    past sys.stdout, and for a temporary chunk file that line is not the user's business."""
    sys.stdout.flush()  # whatever Python buffered belongs before the redirection
    saved = os.dup(1)
    try:
        null = os.open(os.devnull, os.O_WRONLY)
        try:
            os.dup2(null, 1)
        finally:
            os.close(null)
        yield
    finally:
        os.dup2(saved, 1)
        os.close(saved)


@contextlib.contextmanager
def _interrupts_deferred() -> Iterator[None]:
    """Holds Ctrl-C back until the native calls return. save turns an exception from a value's
    str() into an unraisable report, and int's str() checks for pending signals, so a
    KeyboardInterrupt landing there would be printed and dropped instead of stopping the job."""
    if not hasattr(signal, "pthread_sigmask") or threading.current_thread() is not (
            threading.main_thread()):
        yield
        return
    previous = signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGINT})
    try:
        yield
    finally:
        signal.pthread_sigmask(signal.SIG_SETMASK, previous)  # a held SIGINT is delivered here


def csv_header(columns: list[str]) -> str:
    """The header line save writes: names quoted the RFC 4180 way when they need it."""
    if columns == [""]:
        return '""'
    return ",".join(
        '"' + name.replace('"', '""') + '"' if any(c in name for c in ',"\r\n') else name
        for name in columns
    )


class Stitcher:
    """Joins the files that save writes for consecutive chunks of one job into exactly the bytes
    that a single save of all the rows writes.

    CSV: every chunk file repeats the header line, kept only from the first. JSON: json.dumps
    with indent=4 frames a list as "[" + "\\n    item" joined by "," + "\\n]", so the inner
    brackets are cut and the pieces joined with ",".
    """

    def __init__(self, fmt: str, columns: list[str]) -> None:
        self._fmt = fmt
        self._header = (csv_header(columns) + "\n").encode("utf-8")
        self._first = True
        self._open_array = False

    def piece(self, data: bytes) -> bytes:
        first, self._first = self._first, False
        if self._fmt == "csv":
            if first:
                return data
            if not data.startswith(self._header):
                raise RuntimeError("a chunk file does not start with the expected CSV header")
            return data[len(self._header):]
        if data == b"[]":  # only a job of zero rows has an empty chunk
            return data if first else b""
        if not (data.startswith(b"[\n") and data.endswith(b"\n]")):
            raise RuntimeError("a chunk file is not an indented JSON array")
        self._open_array = True
        return data[:-2] if first else b"," + data[1:-2]

    def end(self) -> bytes:
        return b"\n]" if self._open_array else b""


def chunk_sizes(rows: int, chunk: int = CHUNK_ROWS) -> Iterator[int]:
    """The row counts of the chunks; a job of zero rows is one empty chunk, so it still writes
    what save writes for an empty list."""
    if rows == 0:
        yield 0
    while rows > 0:
        yield min(chunk, rows)
        rows -= chunk


def generate(columns: dict[str, str], rows: int, fmt: str, open_sink: Callable[[], Sink],
             progress: Progress, chunk: int = CHUNK_ROWS) -> None:
    """Writes `rows` rows of `columns` in format `fmt` to the stream that open_sink() returns.

    The sink is opened only after the first chunk has been generated, so a column that fails
    (int:5:1) fails before an existing output file is truncated.
    """
    dummy = Dummy()
    stitcher = Stitcher(fmt, list(columns))
    sink: Sink | None = None
    done = 0
    with tempfile.TemporaryDirectory(prefix="tarvo-") as scratch:
        base = os.path.join(scratch, "chunk")
        for size in chunk_sizes(rows, chunk):
            with _interrupts_deferred():
                data = dummy.seed(size, columns)
                with _quiet_stdout():
                    dummy.save(data, base, fmt)
                del data
            with open(f"{base}.{fmt}", "rb") as piece:
                text = piece.read()
            if sink is None:
                sink = open_sink()
            sink.write(stitcher.piece(text))
            done += size
            progress.update(done)
        assert sink is not None
        sink.write(stitcher.end())
        sink.flush()
