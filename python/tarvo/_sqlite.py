"""python/tarvo/_sqlite.py: a Dataset's rows into a SQLite table through the standard sqlite3 module, in one transaction."""
from __future__ import annotations

import contextlib
import json
import os
import secrets
import sqlite3
from collections.abc import Callable
from typing import Any

from tarvo._database import DatabaseUrl, TableExistsError
from tarvo._source import RowSource

# Declared types give each column SQLite's matching affinity, and say to readers (SQLAlchemy,
# pandas.read_sql, sqlite3's PARSE_DECLTYPES) what the values are: dates as ISO text, the
# address as JSON text.
SQL_TYPES = {"int64": "BIGINT", "int32": "INTEGER", "float64": "REAL", "text": "TEXT",
             "date": "DATE", "address": "JSON"}
# Rows per executemany: the dicts of one batch are made, converted and dropped together.
BATCH_ROWS = 16384


def quoted(name: str) -> str:
    """An SQL identifier: the name in double quotes, inner quotes doubled."""
    return '"' + name.replace('"', '""') + '"'


def load_sqlite(dataset: RowSource, target: DatabaseUrl, table: str, rows: int, *, start: int,
                if_exists: str, progress: Callable[[int], object] | None) -> None:
    path = target.path
    while not os.path.exists(path):
        # A new file is made under a temporary name beside it and linked into place only when
        # its load is complete: no other load can open it half made, and a failure removes
        # only what no one else has seen. Linking fails if another load made the file first;
        # the rows then go into that file.
        temporary = os.path.join(os.path.dirname(path) or ".",
                                 f".tarvo-load-{secrets.token_hex(6)}.tmp")
        try:
            _load(dataset, target, temporary, table, rows, start=start, if_exists=if_exists,
                  progress=progress)
            try:
                os.link(temporary, path)
                return
            except FileExistsError:
                continue
            except OSError as exc:
                raise target.error(exc) from None
        finally:
            _remove(temporary)
    _load(dataset, target, path, table, rows, start=start, if_exists=if_exists, progress=progress)


def _load(dataset: RowSource, target: DatabaseUrl, path: str, table: str, rows: int, *,
          start: int, if_exists: str, progress: Callable[[int], object] | None) -> None:
    columns = list(dataset.columns)
    types = [SQL_TYPES[t] for t in dataset.column_types()]
    try:
        # Autocommit mode, so that the one transaction below is spelled out, DDL included.
        connection = sqlite3.connect(path, isolation_level=None)
    except sqlite3.Error as exc:
        raise target.error(exc) from None
    loaded = False
    try:
        connection.execute("BEGIN IMMEDIATE")
        _prepare(connection, table, columns, types, if_exists)
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


def _prepare(connection: sqlite3.Connection, table: str, columns: list[str], types: list[str],
             if_exists: str) -> None:
    # SQLite matches names without regard to ASCII case, as NOCASE compares.
    exists = connection.execute("SELECT 1 FROM sqlite_master WHERE name = ? COLLATE NOCASE "
                                "AND type IN ('table', 'view')", (table,)).fetchone() is not None
    if exists and if_exists == "fail":
        raise TableExistsError(table)
    if exists and if_exists == "append":
        return
    if exists:
        connection.execute(f"DROP TABLE {quoted(table)}")
    definition = ", ".join(f"{quoted(c)} {t}" for c, t in zip(columns, types))
    connection.execute(f"CREATE TABLE {quoted(table)} ({definition})")


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


def _remove(path: str) -> None:
    for leftover in (path, path + "-journal"):
        try:
            os.remove(leftover)
        except OSError:
            pass
