"""python/tarvo/cli.py: the `tarvo` command: dummy rows as CSV or JSON from the shell."""
from __future__ import annotations

import argparse
import os
import sys
from typing import BinaryIO, NoReturn, Sequence

from _tarvo import Dummy, __version__

from tarvo._kinds import kinds_table
from tarvo._progress import Progress
from tarvo._writer import generate

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
    sys.stderr.write(f"{PROG}: error: {message}\n")
    sys.stderr.flush()


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
    stderr_is_terminal = sys.stderr.isatty()
    # Rows printed on the same terminal show their own progress; a bar would be torn apart.
    to_terminal = job.path is None and sys.stdout.isatty()
    progress = Progress(job.rows, sys.stderr, enabled=stderr_is_terminal and not to_terminal)
    created: list[BinaryIO] = []

    def open_sink() -> BinaryIO:
        if job.path is None:
            return sys.stdout.buffer
        sink = open(job.path, "wb")
        created.append(sink)
        return sink

    try:
        try:
            generate(job.columns, job.rows, job.fmt, open_sink, progress)
        finally:
            progress.close()
            for sink in created:
                sink.close()
    except BaseException as exc:
        # A half-written file is worse than none: a JSON one does not even parse.
        if created and job.path is not None:
            try:
                os.unlink(job.path)
            except OSError:
                pass
        if isinstance(exc, BrokenPipeError) and job.path is None:
            # The reader went away (tarvo | head): not an error worth a line.
            null = os.open(os.devnull, os.O_WRONLY)
            os.dup2(null, sys.stdout.fileno())
            os.close(null)
            return EXIT_FAILURE
        if isinstance(exc, OSError):
            _say(_describe_os_error(exc, job.path if created else None))
            return EXIT_FAILURE
        if isinstance(exc, MemoryError):
            _say("out of memory; ask for fewer rows or write to a file")
            return EXIT_FAILURE
        if _is_panic(exc):
            _say(_panic_message(exc, job.columns))
            return EXIT_FAILURE
        raise
    if job.path is not None:
        # The line save prints after writing a file, here for the file assembled from chunks.
        sys.stdout.buffer.write(b"Successfully saved to " + os.fsencode(job.path) + b"\n")
        sys.stdout.flush()
    return 0


def main(argv: Sequence[str] | None = None) -> int:
    """Entry point of the `tarvo` console script; returns the exit status."""
    try:
        args = build_parser().parse_args(argv)
        if args.command == "kinds":
            sys.stdout.reconfigure(errors="replace")  # type: ignore[union-attr]
            sys.stdout.write(kinds_table())
            sys.stdout.flush()
            return 0
        return run(Job(args))
    except UsageError as exc:
        _say(f"{exc} (see '{PROG} --help')")
        return EXIT_USAGE
    except KeyboardInterrupt:
        return EXIT_INTERRUPTED
