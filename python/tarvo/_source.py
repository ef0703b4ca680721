"""python/tarvo/_source.py: what an output asks of the rows it writes: the interface Dataset offers them."""
from __future__ import annotations

from collections.abc import Callable
from typing import Any, Protocol

Progress = Callable[[int], object]


class RowSource(Protocol):
    """A table of rows as the outputs (Parquet, PostgreSQL, SQLite) use it. Dataset is one; the
    outputs know nothing else of it, so they import nothing of it."""

    @property
    def columns(self) -> dict[str, str]: ...

    def column_types(self) -> tuple[str, ...]: ...

    def rows(self, n: int, *, start: int = 0) -> list[dict[str, Any]]: ...

    def arrow(self, rows: int, *, start: int = 0, batch_rows: int | None = None,
              threads: int | None = None) -> Any: ...

    def stream_bytes(self, write: Callable[[bytes], object], format: str, rows: int, *,
                     start: int = 0, threads: int | None = None,
                     progress: Progress | None = None) -> None: ...

    def write_sqlite(self, fd: int, table: str, create_sql: str, rows: int, *, start: int = 0,
                     threads: int | None = None, progress: Progress | None = None) -> None: ...
