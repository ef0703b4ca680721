"""python/tarvo/dask.py: a Dataset as a Dask DataFrame whose partitions are drawn where they are computed."""
from __future__ import annotations

import importlib
from types import ModuleType
from typing import Any

from tarvo._checks import check_range, whole_number
from tarvo._dataset import Dataset

INSTALL_HINT = ("tarvo.dask needs dask and pyarrow: pip install 'dask[dataframe]' distributed "
                "pyarrow")
DEFAULT_PARTITION_ROWS = 1_000_000


def _import(name: str) -> ModuleType:
    try:
        return importlib.import_module(name)
    except ImportError:
        raise ModuleNotFoundError(INSTALL_HINT) from None


def from_dataset(dataset: Dataset, rows: int, *, partition_rows: int = DEFAULT_PARTITION_ROWS,
                 start: int = 0) -> Any:
    """Rows start .. start + rows - 1 of `dataset` as a dask.dataframe.DataFrame.

    One partition per partition_rows rows (the last may be shorter), indexed by row number, so
    the divisions are the row numbers where partitions begin. Only the data set's definition
    travels to the workers; each draws its own rows natively through the Arrow stream, and the
    whole equals what one process draws, for any partition size and any number of workers.
    Selecting columns (df[["name", "age"]]) draws only those: a column's values do not depend on
    the others.
    """
    dataframe = _import("dask.dataframe")
    _import("pyarrow")
    if not isinstance(dataset, Dataset):
        raise TypeError(f"dataset must be a tarvo.Dataset, not {type(dataset).__name__}")
    rows = whole_number(rows, "rows")
    start = whole_number(start, "start")
    partition_rows = whole_number(partition_rows, "partition_rows")
    if partition_rows < 1:
        raise ValueError(f"partition_rows must be at least 1, not {partition_rows}")
    check_range(rows, start, "rows")
    dataset.arrow(rows, start=start)  # refuses here, not on a worker, what the range cannot hold
    firsts = list(range(start, start + rows, partition_rows)) or [start]
    parts = [(first, min(partition_rows, start + rows - first)) for first in firsts]
    # Divisions are index values: each partition's first row, then the last row of all.
    divisions = (*firsts, max(start, start + rows - 1))
    return dataframe.from_map(draw_partition, parts, args=[dataset],
                              meta=draw_partition((start, 0), dataset), divisions=divisions,
                              label="tarvo-dataset", enforce_metadata=False)


def draw_partition(part: tuple[int, int], dataset: Dataset,
                   columns: list[str] | None = None) -> Any:
    """Rows part[0] .. part[0] + part[1] - 1 as a pandas DataFrame indexed by row number; with
    `columns`, only those (Dask passes them when a computation needs no others)."""
    pyarrow = _import("pyarrow")
    pandas = _import("pandas")
    first, count = part
    if columns is not None and not columns:  # len(frame) needs the index alone
        return pandas.DataFrame(index=pandas.RangeIndex(first, first + count))
    if columns is not None:
        kinds = dataset.columns
        dataset = Dataset({name: kinds[name] for name in columns}, seed=dataset.seed,
                          as_of=dataset.as_of, profile=dataset.profile,
                          unique=[name for name in dataset.unique if name in columns])
    # One thread per partition: the cluster's workers run partitions side by side.
    table = pyarrow.table(dataset.arrow(count, start=first, threads=1))
    # Dates and addresses keep their Arrow types: as Python objects in an object column, Dask
    # would turn them into strings.
    kept = (pyarrow.types.is_date, pyarrow.types.is_struct)
    frame = table.to_pandas(
        types_mapper=lambda t: pandas.ArrowDtype(t) if any(is_(t) for is_ in kept) else None)
    frame.index = pandas.RangeIndex(first, first + count)
    return frame
