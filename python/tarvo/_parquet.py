"""python/tarvo/_parquet.py: Parquet files written by pyarrow from a Dataset's Arrow stream."""
from __future__ import annotations

import importlib
import io
from collections.abc import Callable
from types import ModuleType
from typing import TYPE_CHECKING, BinaryIO

from tarvo._source import RowSource

if TYPE_CHECKING:
    import os

INSTALL_HINT = "parquet output needs pyarrow: pip install pyarrow"


def _pyarrow() -> tuple[ModuleType, ModuleType]:
    # Imported on use: tarvo works without pyarrow until a Parquet file is asked for.
    try:
        return importlib.import_module("pyarrow"), importlib.import_module("pyarrow.parquet")
    except ImportError:
        raise ModuleNotFoundError(INSTALL_HINT) from None


def write_parquet(dataset: RowSource, target: str | os.PathLike[str] | BinaryIO | io.RawIOBase,
                  rows: int, *,
                  start: int = 0, threads: int | None = None,
                  progress: Callable[[int], object] | None = None) -> None:
    """Rows start .. start + rows - 1 of `dataset` as a Parquet file at `target` (a path or a
    binary file object, written as it is given), one row group per Arrow batch.

    progress(rows_done) is called from this thread after each row group is written.
    """
    pyarrow, parquet = _pyarrow()
    reader = pyarrow.RecordBatchReader.from_stream(dataset.arrow(rows, start=start,
                                                                 threads=threads))
    done = 0
    with parquet.ParquetWriter(target, reader.schema) as writer:
        for batch in reader:
            writer.write_batch(batch)
            done += batch.num_rows
            if progress is not None:
                progress(done)
