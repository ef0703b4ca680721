"""python/tarvo/cli.py: the `tarvo` command: dummy rows as CSV or JSON from the shell."""
from __future__ import annotations

import argparse
import os
import sys
from typing import NoReturn, Sequence

from _tarvo import Dummy, __version__

from tarvo._kinds import kinds_table
from tarvo._output import Output
from tarvo._progress import Progress
from tarvo._writer import Sink, generate

PROG = "tarvo"
MAX_ROWS = 10**9
DEFAULT_ROWS = 10
# A person: the columns take their names from their kinds.
DEFAULT_COLUMNS = ("first_name", "last_name", "gender", "birthdate", "age", "email",
                   "phone_number", "full_address")
FORMATS = ("csv", "json")

EXIT_FAILURE = 1
EXIT_USAGE = 2
EXIT_INTERRUPTED = 130


class UsageError(Exception):
    """Bad command-line input; reported in one line with exit status 2."""


class StdoutError(Exception):
    """Standard output took no more bytes: closed, full, or a pipe whose reader went away."""

    def __init__(self, cause: OSError) -> None:
        super().__init__(cause)
        self.cause = cause


class _Parser(argparse.ArgumentParser):
    # argparse would print the whole usage block and exit; one line from main() is enough.
    def error(self, message: str) -> NoReturn:
        raise UsageError(message)


def _row_count(text: str) -> int:
    try:
        rows = int(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"not a whole number: {text!r}") from None
    if rows < 0:
        raise argparse.ArgumentTypeError(f"must not be negative: {text!r}")
    if rows > MAX_ROWS:
        raise argparse.ArgumentTypeError(f"at most {MAX_ROWS} rows: {text!r}")
    return rows


def _column(text: str) -> tuple[str, str]:
    name, equals, kind = text.partition("=")
    if not equals or not name or not kind:
        raise argparse.ArgumentTypeError(f"expected NAME=KIND, got {text!r}")
    try:
        text.encode("utf-8")
    except UnicodeEncodeError:
        raise argparse.ArgumentTypeError(f"not valid UTF-8: {text!r}") from None
    return name, kind


def build_parser() -> argparse.ArgumentParser:
    parser = _Parser(
        prog=PROG,
        description="Generate realistic Philippine dummy records as CSV or JSON.",
        epilog="Run 'tarvo kinds' for the column kinds. Without --column the rows describe a "
               "person: " + ", ".join(DEFAULT_COLUMNS) + ".",
    )
    parser.add_argument("--version", action="version", version=f"{PROG} {__version__}")
    parser.add_argument("-n", "--rows", type=_row_count, default=DEFAULT_ROWS, metavar="N",
                        help=f"number of rows (default {DEFAULT_ROWS})")
    parser.add_argument("-c", "--column", type=_column, action="append", metavar="NAME=KIND",
                        help="a column and its kind; repeat for more columns, in order")
    parser.add_argument("-f", "--format", type=str.lower, choices=FORMATS,
                        help="csv (the default) or json; taken from the --output suffix if "
                             "that is .csv or .json")
    parser.add_argument("-o", "--output", metavar="FILE",
                        help="write FILE (.csv or .json is added unless FILE has it) instead of "
                             "standard output; '-' means standard output")
    commands = parser.add_subparsers(dest="command", metavar="COMMAND")
    commands.add_parser("kinds", help="list the column kinds with an example of each")
    return parser


class Job:
    """A validated generation request."""

    def __init__(self, args: argparse.Namespace) -> None:
        pairs: list[tuple[str, str]] = args.column or [(kind, kind) for kind in DEFAULT_COLUMNS]
        self.columns: dict[str, str] = {}
        for name, kind in pairs:
            if name in self.columns:
                raise UsageError(f"argument --column: column {name!r} is given twice")
            self.columns[name] = kind
        self.rows: int = args.rows
        self.fmt, self.path = self._destination(args.format, args.output)

    @staticmethod
    def _destination(fmt: str | None, output: str | None) -> tuple[str, str | None]:
        if output is None or output == "-":
            return fmt or "csv", None
        if output == "":
            raise UsageError("argument --output: empty file name")
        suffix = next((f for f in FORMATS if output.endswith("." + f)), None)
        if fmt is None:
            fmt = suffix or "csv"
        elif suffix is not None and suffix != fmt:
            raise UsageError(f"argument --output: {output!r} ends in .{suffix} "
                             f"but --format is {fmt}")
        # save always appends the suffix; a name that already has it is not doubled.
        return fmt, output if suffix == fmt else f"{output}.{fmt}"


def _say(message: str) -> None:
    if sys.stderr is None:  # closed at start-up: nowhere to tell
        return
    try:
        sys.stderr.write(f"{PROG}: error: {message}\n")
        sys.stderr.flush()
    except OSError:
        pass


def _hold_standard_descriptors() -> None:
    """Gives a standard descriptor that was closed at start-up (tarvo >&-) the null device,
    opened for reading. Left free, its number would go to the next file opened, and text meant
    for standard output would land in that file; held this way, writing to it fails as writing
    to the closed descriptor would, and is reported."""
    for fd in (0, 1, 2):
        try:
            os.fstat(fd)
        except OSError:
            held = os.open(os.devnull, os.O_RDONLY)
            if held != fd:
                os.dup2(held, fd)
                os.close(held)
    if sys.stdout is None:  # the interpreter found descriptor 1 closed
        sys.stdout = open(1, "w", closefd=False)


def _write_stdout(data: str | bytes) -> None:
    """Writes and flushes standard output; a failure becomes StdoutError, so that it is not
    mistaken for one of the output file."""
    try:
        if isinstance(data, str):
            sys.stdout.write(data)
        else:
            sys.stdout.flush()  # text written before goes first
            sys.stdout.buffer.write(data)
        sys.stdout.flush()
    except OSError as exc:
        raise StdoutError(exc) from exc


class _StdoutSink:
    """Standard output as the sink of the rows. Each piece is flushed at once, so none of it
    waits in Python's buffer for a later flush whose failure would not be attributed."""

    def write(self, data: bytes, /) -> int:
        _write_stdout(data)
        return len(data)

    def flush(self) -> None:
        _write_stdout(b"")


def _stdout_failed(cause: OSError) -> int:
    # What is still buffered would fail again when the interpreter flushes at exit, with a
    # report of its own: it goes to the null device instead.
    null = os.open(os.devnull, os.O_WRONLY)
    os.dup2(null, 1)
    os.close(null)
    if isinstance(cause, BrokenPipeError):
        return EXIT_FAILURE  # the reader went away (tarvo | head): not an error worth a line
    _say(f"standard output: {cause.strerror or cause}")
    return EXIT_FAILURE


def _is_panic(exc: BaseException) -> bool:
    # The extension's internal-failure class is not exported; it derives from BaseException.
    return type(exc).__name__ == "PanicException"


def _panic_message(exc: BaseException, columns: dict[str, str]) -> str:
    """Names the column at fault: the failures come from a kind's parameters (int:5:1), so one
    row of each column alone finds it."""
    reason = exc.args[0] if exc.args else str(exc)
    dummy = Dummy()
    for name, kind in columns.items():
        try:
            dummy.seed(1, {name: kind})
        except BaseException as again:
            if not _is_panic(again):
                raise
            return f"column {name!r} ({kind}): {reason}"
    return f"internal failure: {reason}"


def _describe_os_error(exc: OSError, path: str | None) -> str:
    """The file at fault and the system's reason, without Python's "[Errno 13]" decoration."""
    reason = exc.strerror or str(exc)
    where = exc.filename if exc.filename is not None else path
    return f"{where}: {reason}" if where is not None else reason


def run(job: Job) -> int:
    stderr_is_terminal = sys.stderr is not None and sys.stderr.isatty()
    # Rows printed on the same terminal show their own progress; a bar would be torn apart.
    to_terminal = job.path is None and sys.stdout.isatty()
    progress = Progress(job.rows, sys.stderr, enabled=stderr_is_terminal and not to_terminal)
    output = Output(job.path) if job.path is not None else None
    opened = False

    def open_sink() -> Sink:
        nonlocal opened
        if output is None:
            return _StdoutSink()
        sink = output.open()
        opened = True
        return sink

    try:
        try:
            generate(job.columns, job.rows, job.fmt, open_sink, progress)
            if output is not None:
                output.commit()
        finally:
            progress.close()
    except BaseException as exc:
        if output is not None:
            output.discard()
        if isinstance(exc, OSError):
            _say(_describe_os_error(exc, job.path if opened else None))
            return EXIT_FAILURE
        if isinstance(exc, MemoryError):
            _say("out of memory; ask for fewer rows or write to a file")
            return EXIT_FAILURE
        if _is_panic(exc):
            _say(_panic_message(exc, job.columns))
            return EXIT_FAILURE
        raise  # StdoutError and KeyboardInterrupt end the run in main()
    if job.path is not None:
        # The line save prints after writing a file, here for the file assembled from chunks.
        _write_stdout(b"Successfully saved to " + os.fsencode(job.path) + b"\n")
    return 0


def _command(argv: Sequence[str] | None) -> int:
    try:
        args = build_parser().parse_args(argv)
        if args.command == "kinds":
            sys.stdout.reconfigure(errors="replace")  # type: ignore[union-attr]
            _write_stdout(kinds_table())
            return 0
        return run(Job(args))
    except UsageError as exc:
        _say(f"{exc} (see '{PROG} --help')")
        return EXIT_USAGE


def main(argv: Sequence[str] | None = None) -> int:
    """Entry point of the `tarvo` console script; returns the exit status."""
    _hold_standard_descriptors()
    try:
        try:
            status = _command(argv)
        except SystemExit as exc:  # argparse, after printing --help or --version
            status = int(exc.code or 0)
        _write_stdout("")  # what is still buffered must arrive before the status says so
        return status
    except StdoutError as exc:
        return _stdout_failed(exc.cause)
    except KeyboardInterrupt:
        return EXIT_INTERRUPTED
