"""python/tarvo/_postgres.py: a Dataset's rows into a PostgreSQL table by binary COPY, in one transaction."""
from __future__ import annotations

import contextlib
import importlib
import logging
from collections.abc import Callable, Iterator
from types import ModuleType
from typing import Any

from tarvo._checks import shown
from tarvo._database import DatabaseError, DatabaseUrl, TableExistsError
from tarvo._source import RowSource
from tarvo._sql_types import sql_types

INSTALL_HINT = "postgresql output needs psycopg: pip install 'psycopg[binary]'"
CONNECT_TIMEOUT_SECONDS = 10
_LOCK_CLASS = 0x7461  # the first key of tarvo's advisory locks ("ta")


def driver() -> ModuleType:
    """psycopg, imported on use: tarvo works without a driver until a database is asked
    for."""
    try:
        return importlib.import_module("psycopg")
    except ImportError:
        raise ModuleNotFoundError(INSTALL_HINT) from None


def load_postgresql(dataset: RowSource, target: DatabaseUrl, table: str, rows: int, *,
                    start: int, if_exists: str, threads: int,
                    progress: Callable[[int], object] | None) -> None:
    psycopg = driver()
    columns = list(dataset.columns)
    # The engine sends each value in the binary form of exactly these types.
    types = sql_types(dataset, "postgresql")
    with transaction(target) as connection:
        _prepare(psycopg, connection, table, columns, types, if_exists)
        copy_rows(connection, dataset, table, rows, start=start, threads=threads,
                  progress=progress)


@contextlib.contextmanager
def transaction(target: DatabaseUrl) -> Iterator[Any]:
    """A connection inside one transaction, committed when the block ends; psycopg's errors
    become DatabaseError, and leaving the block by any error rolls everything back."""
    psycopg = driver()
    params: dict[str, Any] = {"connect_timeout": CONNECT_TIMEOUT_SECONDS,
                              "application_name": "tarvo", **target.params,
                              "client_encoding": "utf8"}
    try:
        connection = psycopg.connect(**params)
    except psycopg.Error as exc:
        raise target.error(exc) from None
    try:
        with connection, connection.transaction():
            yield connection
    except psycopg.Error as exc:
        raise target.error(exc) from None


def copy_rows(connection: Any, dataset: RowSource, table: str, rows: int, *, start: int,
              threads: int, progress: Callable[[int], object] | None) -> None:
    """The rows into the table's columns of the data set's names, by binary COPY."""
    sql = driver().sql
    copy = sql.SQL("COPY {} ({}) FROM STDIN (FORMAT binary)").format(
        sql.Identifier(table), sql.SQL(", ").join(map(sql.Identifier, dataset.columns)))
    with _quiet_copy_end(connection), connection.cursor() as cursor, cursor.copy(copy) as stream:
        dataset.stream_bytes(stream.write, "pgcopy", rows, start=start, threads=threads,
                             progress=progress)


def take_turns(connection: Any, quoted: str) -> None:
    """Waits for other loads that may create the table of that quoted name, until the
    transaction ends."""
    connection.execute("SELECT pg_advisory_xact_lock(%s, hashtext(%s))", [_LOCK_CLASS, quoted])


class _CopyEndFilter(logging.Filter):
    """Drops psycopg's warning about a second failure while it ends a COPY that already failed
    (a connection that died mid-load): the first failure is reported, in one line."""

    def __init__(self, connection: Any) -> None:
        super().__init__()
        self._connection = connection

    def filter(self, record: logging.LogRecord) -> bool:
        args = record.args if isinstance(record.args, tuple) else ()
        return not (record.msg == "error ignored terminating %r: %s" and args
                    and getattr(args[0], "connection", None) is self._connection)


@contextlib.contextmanager
def _quiet_copy_end(connection: Any) -> Iterator[None]:
    logger = logging.getLogger("psycopg")
    quiet = _CopyEndFilter(connection)
    logger.addFilter(quiet)
    try:
        yield
    finally:
        logger.removeFilter(quiet)


def _prepare(psycopg: ModuleType, connection: Any, table: str, columns: list[str],
             types: list[str], if_exists: str) -> None:
    sql = psycopg.sql
    name = sql.Identifier(table)
    quoted = name.as_string(connection)
    if if_exists == "append":
        found = existing_types(connection, quoted)
        if found is not None:  # appends to a table that is there run side by side
            check_types(table, columns, types, found)
            return
    # Loads that may create the table take turns (the lock ends with the transaction): a second
    # load then finds the first one's table, as "fail", "append" and "replace" expect, rather
    # than a clash in the catalogue over a table neither can see yet.
    take_turns(connection, quoted)
    if if_exists == "replace":
        connection.execute(sql.SQL("DROP TABLE IF EXISTS {}").format(name))
    elif if_exists == "append":
        found = existing_types(connection, quoted)
        if found is not None:
            check_types(table, columns, types, found)
            return
    definition = sql.SQL(", ").join(
        sql.SQL("{} {}").format(sql.Identifier(column), sql.SQL(sql_type))
        for column, sql_type in zip(columns, types))
    try:
        connection.execute(sql.SQL("CREATE TABLE {} ({})").format(name, definition))
    except (psycopg.errors.DuplicateTable, psycopg.errors.UniqueViolation):
        # UniqueViolation: a table of that name made meanwhile by something other than tarvo.
        raise TableExistsError(table) from None


def existing_types(connection: Any, quoted: str) -> dict[str, str] | None:
    """Column name to type of the table the quoted name finds on the search path, or None."""
    rows = connection.execute(
        "SELECT a.attname, format_type(a.atttypid, a.atttypmod) FROM pg_attribute a "
        "WHERE a.attrelid = to_regclass(%s) AND a.attnum > 0 AND NOT a.attisdropped",
        [quoted]).fetchall()
    if not rows and connection.execute("SELECT to_regclass(%s)", [quoted]).fetchone()[0] is None:
        return None
    return {column: sql_type for column, sql_type in rows}


# How format_type() spells the types that are created under a shorter name.
_CATALOGUE_NAMES = {"timestamptz": "timestamp with time zone", "time": "time without time zone"}


def check_types(table: str, columns: list[str], types: list[str],
                 found: dict[str, str]) -> None:
    # Binary COPY would read a value of another type as garbage rather than fail: check first.
    # varchar reads text's binary form (and checks its length).
    for column, sql_type in zip(columns, types):
        if column not in found:
            raise DatabaseError(f"table {shown(table)} has no column {shown(column)}")
        if found[column] != _CATALOGUE_NAMES.get(sql_type, sql_type) and not (
                sql_type == "text" and found[column].startswith("character varying")):
            raise DatabaseError(f"table {shown(table)}: column {shown(column)} is "
                                f"{found[column]}, "
                                f"not {sql_type}")
