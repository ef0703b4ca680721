"""python/tarvo/_sqlite.py: a Dataset's rows into a SQLite table: a new file built natively; an existing one loaded in one transaction through ADBC's SQLite driver from the Arrow stream when it is installed, else through the standard sqlite3 module."""
from __future__ import annotations

import contextlib
import importlib
import json
import os
import secrets
import sqlite3
from collections.abc import Callable, Iterator
from types import ModuleType
from typing import Any, Optional

import tarvo._engine as _engine
from tarvo._database import DatabaseError, DatabaseUrl, TableExistsError
from tarvo._source import RowSource
from tarvo._sql_types import sql_types

# Rows per executemany: the dicts of one batch are made, converted and dropped together.
BATCH_ROWS = 16384
# How long a load waits for another connection's write transaction on the file to end: loads
# started together into one file take turns, each holding the file for its whole load, and one
# that waits longer is most likely blocked by a connection that was left open.
LOCK_WAIT_SECONDS = 300.0
Progress = Optional[Callable[[int], object]]


def quoted(name: str) -> str:
    """An SQL identifier: the name in double quotes, inner quotes doubled."""
    return '"' + name.replace('"', '""') + '"'


def create_sql(table: str, columns: list[str], types: list[str]) -> str:
    definition = ", ".join(f"{quoted(c)} {t}" for c, t in zip(columns, types))
    return f"CREATE TABLE {quoted(table)} ({definition})"


def load_sqlite(dataset: RowSource, target: DatabaseUrl, table: str, rows: int, *, start: int,
                if_exists: str, threads: int, progress: Progress) -> None:
    def fill(path: str, fresh: bool) -> None:
        if fresh:
            try:
                # A new file is built natively: worker threads spell the rows as SQLite records
                # and the pages are laid out as SQLite lays them out, with no SQL run at all.
                _build(dataset, path, table, rows, start=start, threads=threads,
                       progress=progress)
                return
            except ValueError:  # a definition too long for the file's first page
                _remove(path)
        _load(dataset, target, path, table, rows, start=start, if_exists=if_exists, fresh=fresh,
              progress=progress)

    into_file(target, fill)


def into_file(target: DatabaseUrl, fill: Callable[[str, bool], None]) -> None:
    """Runs fill(path, fresh) on the target's file, or, when there is none yet, on a new file
    (fresh) that takes the target's name only once it is complete."""
    path = target.path
    while not os.path.exists(path):
        # A new file is made under a temporary name beside it and linked into place only when
        # its load is complete: no other load can open it half made, and a failure removes
        # only what no one else has seen. Linking fails if another load made the file first;
        # the rows then go into that file.
        temporary = os.path.join(os.path.dirname(path) or ".",
                                 f".tarvo-load-{secrets.token_hex(6)}.tmp")
        try:
            try:
                fill(temporary, True)
            except OSError as exc:
                raise target.error(exc) from None
            try:
                _sync(temporary)
                os.link(temporary, path)
                _sync(os.path.dirname(path) or ".")
                return
            except FileExistsError:
                continue
            except OSError as exc:
                raise target.error(exc) from None
        finally:
            _remove(temporary)
    fill(path, False)


def _build(dataset: RowSource, path: str, table: str, rows: int, *, start: int, threads: int,
           progress: Progress) -> None:
    columns = list(dataset.columns)
    fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_CLOEXEC, 0o666)
    try:
        dataset.write_sqlite(fd, table, create_sql(table, columns, sql_types(dataset, "sqlite")),
                             rows, start=start, threads=threads, progress=progress)
    finally:
        os.close(fd)


def _load(dataset: RowSource, target: DatabaseUrl, path: str, table: str, rows: int, *,
          start: int, if_exists: str, fresh: bool, progress: Progress) -> None:
    columns = list(dataset.columns)
    types = sql_types(dataset, "sqlite")
    with session(target, path, fresh=fresh) as cursor:
        _prepare(cursor, table, columns, types, if_exists)
        cursor.insert(dataset, table, rows, start=start, progress=progress)


class Cursor:
    """A cursor of ADBC's SQLite driver or of sqlite3, and the fastest way each has to insert a
    data set's rows."""

    def __init__(self, cursor: Any, pyarrow: ModuleType | None) -> None:
        self._cursor = cursor
        self._pyarrow = pyarrow

    def execute(self, sql: str, parameters: tuple[Any, ...] = ()) -> list[tuple[Any, ...]]:
        self._cursor.execute(sql, parameters)
        return list(self._cursor.fetchall()) if self._cursor.description else []

    def insert(self, dataset: RowSource, table: str, rows: int, *, start: int,
               progress: Progress) -> None:
        if self._pyarrow is not None:
            _insert_arrow(self._pyarrow, self._cursor, dataset, table, rows, start=start,
                          progress=progress)
        else:
            _insert_rows(self._cursor, dataset, table, rows, start=start, progress=progress)


@contextlib.contextmanager
def session(target: DatabaseUrl, path: str, *, fresh: bool,
            pragmas: tuple[str, ...] = ()) -> Iterator[Cursor]:
    """A cursor inside one transaction (BEGIN IMMEDIATE) on the file at `path`, committed when
    the block ends and rolled back if it raises; the driver's errors become DatabaseError."""
    drivers = _adbc()
    errors: type[Exception] = drivers[0].Error if drivers is not None else sqlite3.Error
    try:
        # Autocommit mode, so that the one transaction is spelled out, DDL included.
        connection = (drivers[0].connect(path, autocommit=True) if drivers is not None
                      else sqlite3.connect(path, isolation_level=None))
    except errors as exc:
        raise target.error(exc) from None
    committed = False
    cursor = Cursor(connection.cursor(), drivers[1] if drivers is not None else None)
    try:
        # Set on every connection alike: sqlite3 would otherwise wait 5 s and ADBC's driver not
        # at all, so a load that finds the file busy with another's would fail at once.
        cursor.execute(f"PRAGMA busy_timeout = {round(LOCK_WAIT_SECONDS * 1000)}")
        if fresh:
            # For a file no one else sees until it is complete and synced (see into_file): a
            # rollback journal could only restore a file that is thrown away on failure, and a
            # sync per transaction is one sync of the whole file, done before it is linked.
            pragmas = ("journal_mode = OFF", "synchronous = OFF", *pragmas)
        for pragma in pragmas:  # outside the transaction, where SQLite heeds them
            cursor.execute(f"PRAGMA {pragma}")
        cursor.execute("BEGIN IMMEDIATE")
        yield cursor
        cursor.execute("COMMIT")
        committed = True
    except errors as exc:
        if "database is locked" in str(exc):  # SQLite's text for SQLITE_BUSY, in either driver
            raise DatabaseError(f"{target.shown}: another connection kept the file locked for "
                                f"more than {LOCK_WAIT_SECONDS:g} s (database is locked)") from None
        raise target.error(exc) from None
    finally:
        if not committed:
            with contextlib.suppress(Exception):
                cursor.execute("ROLLBACK")
        connection.close()  # without the COMMIT, the transaction is rolled back


def _adbc() -> tuple[ModuleType, ModuleType] | None:
    """ADBC's SQLite driver and pyarrow (the sqlite extra), or None when either is missing."""
    try:
        return (importlib.import_module("adbc_driver_sqlite.dbapi"),
                importlib.import_module("pyarrow"))
    except ImportError:
        return None


def _insert_rows(cursor: Any, dataset: RowSource, table: str, rows: int, *, start: int,
                 progress: Progress) -> None:
    columns = list(dataset.columns)
    insert = (f"INSERT INTO {quoted(table)} ({', '.join(map(quoted, columns))}) "
              f"VALUES ({', '.join('?' * len(columns))})")
    convert = [(i, _AS_STORED[t]) for i, t in enumerate(dataset.column_types())
               if t in _AS_STORED]
    for done in range(0, rows, BATCH_ROWS):
        batch = dataset.rows(min(BATCH_ROWS, rows - done), start=start + done)
        cursor.executemany(insert, _tuples(batch, convert))
        if progress is not None:
            progress(done + len(batch))


def _insert_arrow(pyarrow: ModuleType, cursor: Any, dataset: RowSource, table: str, rows: int,
                  *, start: int, progress: Progress) -> None:
    # The rows go from the engine's Arrow batches to SQLite's statements in C, with no Python
    # object per row; the values SQLite has no type for become text a column at a time.
    columns = list(dataset.columns)
    convert = [_ARROW_AS_STORED.get(t) for t in dataset.column_types()]
    done = 0
    for batch in pyarrow.RecordBatchReader.from_stream(dataset.arrow(rows, start=start)):
        arrays = [array if to is None else to(pyarrow, array)
                  for array, to in zip(batch.columns, convert)]
        cursor.adbc_ingest(table, pyarrow.RecordBatch.from_arrays(arrays, names=columns),
                           mode="append")
        done += batch.num_rows
        if progress is not None:
            progress(done)


class _Capsules:
    """A capsule pair handed to pyarrow.array() through the Arrow PyCapsule interface."""

    def __init__(self, pair: tuple[object, object]) -> None:
        self._pair = pair

    def __arrow_c_array__(self, requested_schema: object = None) -> tuple[object, object]:
        return self._pair


def _address_json(pyarrow: ModuleType, array: Any) -> Any:
    """Address structs as the JSON text json.dumps(..., ensure_ascii=False) gives each."""
    try:
        return pyarrow.array(_Capsules(_engine.struct_to_json(array)))
    except ValueError:  # not what the engine makes (other types): value by value
        return pyarrow.array([None if v is None else json.dumps(v, ensure_ascii=False)
                              for v in array.to_pylist()], pyarrow.string())


def _timestamp_text(pyarrow: ModuleType, array: Any) -> Any:
    compute = importlib.import_module("pyarrow.compute")
    seconds = compute.cast(array, pyarrow.timestamp("s", tz=array.type.tz))
    return compute.binary_join_element_wise(
        compute.strftime(seconds, format="%Y-%m-%dT%H:%M:%S"), array.type.tz, "")


# What SQLite keeps for the engine's value types that it has no storage class for: the text
# Dataset.rows gives (money exactly, as text; an address as JSON), from the row dicts of the
# sqlite3 path and from the Arrow arrays of ADBC's.
_AS_STORED: dict[str, Callable[[Any], Any]] = {
    "money": lambda v: None if v is None else str(v),
    "address": lambda v: None if v is None else json.dumps(v, ensure_ascii=False),
}
_ARROW_AS_STORED: dict[str, Callable[[ModuleType, Any], Any]] = {
    "money": lambda pa, a: a.cast(pa.string()),
    "timestamp": _timestamp_text,
    "time": lambda pa, a: a.cast(pa.time32("s")).cast(pa.string()),
    "address": _address_json,
}


def _prepare(cursor: Cursor, table: str, columns: list[str], types: list[str],
             if_exists: str) -> None:
    """Checks, drops or creates the table."""
    if table_exists(cursor, table):
        if if_exists == "fail":
            raise TableExistsError(table)
        if if_exists == "append":
            return
        cursor.execute(f"DROP TABLE {quoted(table)}")
    cursor.execute(create_sql(table, columns, types))


def table_exists(cursor: Cursor, table: str) -> bool:
    # SQLite matches names without regard to ASCII case, as NOCASE compares.
    return bool(cursor.execute("SELECT 1 FROM sqlite_master WHERE name = ? COLLATE NOCASE "
                               "AND type IN ('table', 'view')", (table,)))


def _tuples(batch: list[dict[str, Any]],
            convert: list[tuple[int, Callable[[Any], Any]]]) -> list[tuple[Any, ...]]:
    if not convert:
        return [tuple(row.values()) for row in batch]
    result = []
    for row in batch:
        values = list(row.values())
        for i, to in convert:
            values[i] = to(values[i])
        result.append(tuple(values))
    return result


def _sync(path: str) -> None:
    # A file loaded without syncs, and the directory entry that makes it visible, reach the disk
    # before the load says it is done.
    fd = os.open(path, os.O_RDONLY)
    try:
        os.fsync(fd)
    finally:
        os.close(fd)


def _remove(path: str) -> None:
    for leftover in (path, path + "-journal"):
        try:
            os.remove(leftover)
        except OSError:
            pass
