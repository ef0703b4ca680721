"""python/tarvo/dask.py: a Dataset as a Dask DataFrame whose partitions are drawn where they are computed."""
from __future__ import annotations

import importlib
from types import ModuleType
from typing import TYPE_CHECKING, Any

from tarvo._checks import check_range, whole_number
from tarvo._dataset import Dataset
from tarvo._schema import Schema

if TYPE_CHECKING:  # dask is an optional extra: only a type checker needs it here
    import dask.dataframe as dd

INSTALL_HINT = ("tarvo.dask needs dask and pyarrow: pip install 'dask[dataframe]' distributed "
                "pyarrow")
DEFAULT_PARTITION_ROWS = 1_000_000


def _import(name: str) -> ModuleType:
    try:
        return importlib.import_module(name)
    except ImportError:
        raise ModuleNotFoundError(INSTALL_HINT) from None


def from_dataset(dataset: Dataset, rows: int, *, partition_rows: int = DEFAULT_PARTITION_ROWS,
                 start: int = 0) -> dd.DataFrame:
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
    frame: dd.DataFrame = dataframe.from_map(
        draw_partition, parts, args=[dataset], meta=draw_partition((start, 0), dataset),
        divisions=divisions, label="tarvo-dataset", enforce_metadata=False)
    return frame


def from_schema(schema: Schema, *,
                partition_rows: int = DEFAULT_PARTITION_ROWS) -> dict[str, dd.DataFrame]:
    """Every table of `schema` as a Dask DataFrame of all its rows, by table name. Each worker
    that draws a child table builds the index of its one-to-many relation once (a few
    nanoseconds per parent row); nothing else of the parents is kept."""
    if not isinstance(schema, Schema):
        raise TypeError(f"schema must be a tarvo.Schema, not {type(schema).__name__}")
    return {name: from_dataset(schema[name], schema.row_counts[name],
                               partition_rows=partition_rows) for name in schema.order}


def _pandas_frame(table: Any, pandas: Any, pyarrow: Any) -> Any:
    """The Arrow table as pandas columns of the types a reader expects: a whole number or a
    boolean that can be null as pandas' nullable Int64 or boolean (numpy's would turn it into
    float or object), dates, times, money and addresses in their Arrow types (as Python objects
    Dask would make them strings)."""
    types = pyarrow.types
    columns = {}
    for field, column in zip(table.schema, table.columns):
        kind = field.type
        if field.nullable and types.is_integer(kind):
            dtype: Any = pandas.Int32Dtype() if types.is_int32(kind) else pandas.Int64Dtype()
            columns[field.name] = column.to_pandas().astype(dtype)
        elif field.nullable and types.is_boolean(kind):
            columns[field.name] = column.to_pandas().astype(pandas.BooleanDtype())
        elif (types.is_date(kind) or types.is_struct(kind) or types.is_decimal(kind)
              or types.is_time(kind)):
            columns[field.name] = pandas.Series(column, dtype=pandas.ArrowDtype(kind))
        else:
            columns[field.name] = column.to_pandas()
    return pandas.DataFrame(columns)


def draw_partition(part: tuple[int, int], dataset: Dataset,
                   columns: list[str] | None = None) -> Any:
    """Rows part[0] .. part[0] + part[1] - 1 as a pandas DataFrame indexed by row number; with
    `columns`, only those (Dask passes them when a computation needs no others)."""
    pyarrow = _import("pyarrow")
    pandas = _import("pandas")
    first, count = part
    if columns is not None and not columns:  # len(frame) needs the index alone
        return pandas.DataFrame(index=pandas.RangeIndex(first, first + count))
    selected = columns
    kinds = dataset.columns
    # A data set of the selected columns alone draws the same values, unless a column reads
    # others (a template) or the data set is a table of a schema: then all are drawn.
    if columns is not None and dataset.row_count is None and not any(
            kind.startswith("template:") for kind in kinds.values()):
        dataset = Dataset({name: kinds[name] for name in columns}, seed=dataset.seed,
                          as_of=dataset.as_of, profile=dataset.profile,  # type: ignore[arg-type]
                          unique=[name for name in dataset.unique if name in columns],
                          ages=dataset.ages)
        selected = None
    # One thread per partition: the cluster's workers run partitions side by side.
    table = pyarrow.table(dataset.arrow(count, start=first, threads=1))
    if selected is not None:
        table = table.select(selected)
    frame = _pandas_frame(table, pandas, pyarrow)
    frame.index = pandas.RangeIndex(first, first + count)
    return frame
