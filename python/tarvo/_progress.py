"""python/tarvo/_progress.py: a progress bar on standard error for long generation jobs."""
from __future__ import annotations

import contextlib
import sys
import time
from collections.abc import Iterator
from typing import Callable, Optional, TextIO, Union

from tarvo._checks import check_progress


class Progress:
    """Draws `[#####-----]  50%  500000/1000000 rows  eta 3s` on one terminal line.

    Nothing is drawn for jobs that finish within `delay` seconds, so short runs stay silent, and
    nothing at all when `enabled` is false (the caller decides from isatty()).
    """

    def __init__(self, total: int, stream: TextIO, *, enabled: bool, delay: float = 1.0,
                 width: int = 30, clock: Callable[[], float] = time.monotonic,
                 label: str = "") -> None:
        self._label = label
        self._total = total
        self._stream = stream
        self._enabled = enabled
        self._delay = delay
        self._width = width
        self._clock = clock
        self._start = clock()
        self._drawn = ""
        self._columns = 0  # terminal cells the bar covers, stale padding included

    def render(self, done: int, elapsed: float) -> str:
        fraction = done / self._total if self._total else 1.0
        filled = int(fraction * self._width)
        bar = "#" * filled + "-" * (self._width - filled)
        text = f"[{bar}] {int(fraction * 100):3d}%  {done}/{self._total} rows"
        if 0 < done < self._total:
            remaining = elapsed * (self._total - done) / done
            text += f"  eta {_duration(remaining)}"
        if self._label:  # the seed, so that a run without --seed can be replayed
            text += f"  {self._label}"
        return text

    def update(self, done: int) -> None:
        if not self._enabled:
            return
        elapsed = self._clock() - self._start
        if elapsed < self._delay:
            return
        text = self.render(done, elapsed)
        if text == self._drawn:
            return
        # Pad with blanks so a shorter line (the eta shrinking) leaves no stale characters.
        self._stream.write("\r" + text.ljust(self._columns))
        self._stream.flush()
        self._drawn = text
        self._columns = max(self._columns, len(text))

    def close(self) -> None:
        """Wipes the bar so whatever is printed next starts on a clean line."""
        if self._columns:
            self._stream.write("\r" + " " * self._columns + "\r")
            self._stream.flush()
            self._drawn = ""
            self._columns = 0


def _duration(seconds: float) -> str:
    whole = int(seconds + 0.5)
    if whole < 60:
        return f"{whole}s"
    minutes, secs = divmod(whole, 60)
    if minutes < 60:
        return f"{minutes}m{secs:02d}s"
    hours, minutes = divmod(minutes, 60)
    return f"{hours}h{minutes:02d}m"


@contextlib.contextmanager
def reporter(progress: Union[bool, Callable[[int], object], None], rows: int,
             label: str) -> Iterator[Optional[Callable[[int], object]]]:
    """What a job of `rows` rows calls with the rows done: nothing (None or False), the
    caller's callable, or, for True, the update of a bar on standard error labelled `label`."""
    if progress is None or progress is False:
        yield None
        return
    if progress is not True:
        check_progress(progress)
        yield progress
        return
    bar = Progress(rows, sys.stderr, enabled=sys.stderr is not None, label=label)
    try:
        yield bar.update
    finally:
        bar.close()


def offset(report: Optional[Callable[[int], object]],
           done_before: int) -> Optional[Callable[[int], object]]:
    """`report` for a job that follows others of `done_before` rows under one bar."""
    if report is None:
        return None
    return lambda done: report(done_before + done)
