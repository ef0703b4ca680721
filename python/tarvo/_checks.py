"""python/tarvo/_checks.py: the checks every entry point applies to row ranges and counts."""
from __future__ import annotations

import operator
import os

MAX_ROWS = 2**63  # row indices are 0 .. 2**63 - 1
# Drawing is bound by the cores; past a few per core, threads only add switching and the memory
# of the chunks each one draws ahead. One rule for every entry point: more is refused.
MAX_THREADS = 256
SHOWN_CHARACTERS = 80  # of a user's text in a message; the rest is counted, not shown


def shown(text: str) -> str:
    """A user's text as a message quotes it: escaped as repr() escapes it (a NUL, a line break,
    any control character), and cut after SHOWN_CHARACTERS characters with its length told."""
    if len(text) <= SHOWN_CHARACTERS:
        return repr(text)
    return f"{text[:SHOWN_CHARACTERS]!r}… ({len(text):,} characters)"


class DefinitionError(ValueError):
    """A data set's definition is refused; `argument` names the part at fault: "columns",
    "seed", "as_of", "profile", "unique" or "ages"."""

    def __init__(self, argument: str, message: str) -> None:
        super().__init__(message)
        self.argument = argument

    def __reduce__(self) -> tuple[object, ...]:
        return (type(self), (self.argument, str(self)))


def whole_number(value: object, what: str) -> int:
    """`value` as an int, through __index__; a bool or a float is a TypeError naming `what`."""
    # bool is an int to Python, but Dataset(seed=True) or rows(True) is surely a mistake.
    if isinstance(value, bool) or not isinstance(value, int):
        try:
            if isinstance(value, bool):
                raise TypeError
            return operator.index(value)  # type: ignore[arg-type]
        except TypeError:
            raise TypeError(f"{what} must be an int, not {type(value).__name__}") from None
    return value


def at_least_one(value: object, what: str) -> int:
    number = whole_number(value, what)
    if number < 1:
        raise ValueError(f"{what} must be at least 1, not {number}")
    return number


def thread_count(threads: object) -> int:
    """threads as given (an int from 1 to MAX_THREADS), or every core for None."""
    if threads is None:
        return min(os.cpu_count() or 1, MAX_THREADS)
    count = whole_number(threads, "threads")
    if not 1 <= count <= MAX_THREADS:
        raise ValueError(f"threads must be from 1 to {MAX_THREADS}, not {count}")
    return count


def check_range(n: int, start: int, what: str = "n") -> None:
    if n < 0:
        raise ValueError(f"{what} must not be negative, not {n}")
    if start < 0:
        raise ValueError(f"start must not be negative, not {start}")
    if start + n > MAX_ROWS:
        raise OverflowError(f"rows end at 2**63: start + n is {start + n}")


def check_progress(progress: object) -> None:
    if progress is not None and not callable(progress):
        raise TypeError(f"progress must be callable, not {type(progress).__name__}")
