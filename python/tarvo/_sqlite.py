"""python/tarvo/_sqlite.py: a Dataset's rows into a SQLite table: a new file built natively; an existing one loaded in one transaction through ADBC's SQLite driver from the Arrow stream when it is installed, else through the standard sqlite3 module."""
from __future__ import annotations

import contextlib
import importlib
import json
import os
import secrets
import sqlite3
from collections.abc import Callable
from types import ModuleType
from typing import Any

import tarvo._engine as _engine
from tarvo._database import DatabaseUrl, TableExistsError
from tarvo._source import RowSource
from tarvo._sql_types import sql_types

# Rows per executemany: the dicts of one batch are made, converted and dropped together.
BATCH_ROWS = 16384
# The five parts of an address, in the order of its JSON object (and of Dataset.rows' dicts).
_ADDRESS_PARTS = ("barangay", "city", "province", "region", "zip_code")


def quoted(name: str) -> str:
    """An SQL identifier: the name in double quotes, inner quotes doubled."""
    return '"' + name.replace('"', '""') + '"'


def create_sql(table: str, columns: list[str], types: list[str]) -> str:
    definition = ", ".join(f"{quoted(c)} {t}" for c, t in zip(columns, types))
    return f"CREATE TABLE {quoted(table)} ({definition})"


def load_sqlite(dataset: RowSource, target: DatabaseUrl, table: str, rows: int, *, start: int,
                if_exists: str, threads: int, progress: Callable[[int], object] | None) -> None:
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
                # A new file is built natively: worker threads spell the rows as SQLite records
                # and the pages are laid out as SQLite lays them out, with no SQL run at all.
                _build(dataset, temporary, table, rows, start=start, threads=threads,
                       progress=progress)
            except ValueError:  # a definition too long for the file's first page
                _remove(temporary)
                _load(dataset, target, temporary, table, rows, start=start,
                      if_exists=if_exists, fresh=True, progress=progress)
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
    _load(dataset, target, path, table, rows, start=start, if_exists=if_exists, fresh=False,
          progress=progress)


def _build(dataset: RowSource, path: str, table: str, rows: int, *, start: int, threads: int,
           progress: Callable[[int], object] | None) -> None:
    columns = list(dataset.columns)
    fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_CLOEXEC, 0o666)
    try:
        dataset.write_sqlite(fd, table, create_sql(table, columns, sql_types(dataset, "sqlite")),
                             rows, start=start, threads=threads, progress=progress)
    finally:
        os.close(fd)


def _load(dataset: RowSource, target: DatabaseUrl, path: str, table: str, rows: int, *,
          start: int, if_exists: str, fresh: bool,
          progress: Callable[[int], object] | None) -> None:
    columns = list(dataset.columns)
    types = sql_types(dataset, "sqlite")
    drivers = _adbc()
    if drivers is not None:
        _load_adbc(drivers, dataset, target, path, table, columns, types, rows, start=start,
                   if_exists=if_exists, fresh=fresh, progress=progress)
        return
    try:
        # Autocommit mode, so that the one transaction below is spelled out, DDL included.
        connection = sqlite3.connect(path, isolation_level=None)
    except sqlite3.Error as exc:
        raise target.error(exc) from None
    loaded = False
    try:
        if fresh:
            _unjournaled(connection.cursor())
        connection.execute("BEGIN IMMEDIATE")
        _prepare(connection.cursor(), table, columns, types, if_exists)
        insert = (f"INSERT INTO {quoted(table)} ({', '.join(map(quoted, columns))}) "
                  f"VALUES ({', '.join('?' * len(columns))})")
        as_json = [i for i, t in enumerate(types) if t == "JSON"]
        for done in range(0, rows, BATCH_ROWS):
            batch = dataset.rows(min(BATCH_ROWS, rows - done), start=start + done)
            connection.executemany(insert, _tuples(batch, as_json))
            if progress is not None:
                progress(done + len(batch))
        connection.execute("COMMIT")
        loaded = True
    except sqlite3.Error as exc:
        raise target.error(exc) from None
    finally:
        if not loaded and connection.in_transaction:
            with contextlib.suppress(sqlite3.Error):
                connection.execute("ROLLBACK")
        connection.close()


def _adbc() -> tuple[ModuleType, ModuleType] | None:
    """ADBC's SQLite driver and pyarrow (the sqlite extra), or None when either is missing."""
    try:
        return (importlib.import_module("adbc_driver_sqlite.dbapi"),
                importlib.import_module("pyarrow"))
    except ImportError:
        return None


def _load_adbc(drivers: tuple[ModuleType, ModuleType], dataset: RowSource, target: DatabaseUrl,
               path: str, table: str, columns: list[str], types: list[str], rows: int, *,
               start: int, if_exists: str, fresh: bool,
               progress: Callable[[int], object] | None) -> None:
    # The rows go from the engine's Arrow batches to SQLite's statements in C, with no Python
    # object per row; an address is made into JSON text natively, a column at a time.
    dbapi, pyarrow = drivers
    try:
        connection = dbapi.connect(path, autocommit=True)
    except dbapi.Error as exc:
        raise target.error(exc) from None
    try:
        with contextlib.closing(connection.cursor()) as cursor:
            if fresh:
                _unjournaled(cursor)
            cursor.execute("BEGIN IMMEDIATE")
            _prepare(cursor, table, columns, types, if_exists)
            done = 0
            for batch in pyarrow.RecordBatchReader.from_stream(dataset.arrow(rows, start=start)):
                arrays = [_address_json(pyarrow, array) if t == "JSON" else array
                          for array, t in zip(batch.columns, types)]
                cursor.adbc_ingest(table, pyarrow.RecordBatch.from_arrays(arrays, names=columns),
                                   mode="append")
                done += batch.num_rows
                if progress is not None:
                    progress(done)
            cursor.execute("COMMIT")
    except dbapi.Error as exc:
        raise target.error(exc) from None
    finally:
        connection.close()  # without the COMMIT, the transaction is rolled back


def _unjournaled(cursor: Any) -> None:
    # For a file no one else sees until it is complete and synced (see load_sqlite): a rollback
    # journal could only restore a file that is thrown away on failure, and a sync per
    # transaction is one sync of the whole file, done before it is linked into place.
    for pragma in ("journal_mode = OFF", "synchronous = OFF"):
        cursor.execute(f"PRAGMA {pragma}")
        cursor.fetchall()


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
    except ValueError:  # not what the engine makes (nulls, other types): value by value
        return pyarrow.array([json.dumps(v, ensure_ascii=False) for v in array.to_pylist()],
                             pyarrow.string())


def _prepare(cursor: Any, table: str, columns: list[str], types: list[str],
             if_exists: str) -> None:
    """Checks, drops or creates the table through a DB-API cursor (sqlite3's or ADBC's)."""
    # SQLite matches names without regard to ASCII case, as NOCASE compares.
    cursor.execute("SELECT 1 FROM sqlite_master WHERE name = ? COLLATE NOCASE "
                   "AND type IN ('table', 'view')", (table,))
    exists = cursor.fetchone() is not None
    if exists and if_exists == "fail":
        raise TableExistsError(table)
    if exists and if_exists == "append":
        return
    if exists:
        cursor.execute(f"DROP TABLE {quoted(table)}")
    cursor.execute(create_sql(table, columns, types))


def _tuples(batch: list[dict[str, Any]], as_json: list[int]) -> list[tuple[Any, ...]]:
    if not as_json:
        return [tuple(row.values()) for row in batch]
    result = []
    for row in batch:
        values = list(row.values())
        for i in as_json:
            values[i] = json.dumps(values[i], ensure_ascii=False)
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
