"""python/tarvo/_schema_database.py: every table of a schema into one database in one transaction, with the keys that let the database itself check every reference."""
from __future__ import annotations

from collections.abc import Callable
from dataclasses import dataclass
from typing import Any, Optional

import tarvo._database as _database
import tarvo._postgres as _postgres
import tarvo._sqlite as _sqlite
from tarvo._checks import thread_count
from tarvo._column import key_column_of, reference_of
from tarvo._database import TableExistsError
from tarvo._progress import offset, reporter
from tarvo._sql_types import sql_types
from tarvo._sqlite import quoted

Report = Optional[Callable[[int], object]]


@dataclass(frozen=True)
class TableLoad:
    """One table as a load creates it: its columns' SQL types and its constraints."""

    name: str
    dataset: Any  # the table's Dataset
    rows: int
    columns: tuple[str, ...]
    types: tuple[str, ...]
    not_null: tuple[bool, ...]
    primary: str | None
    unique: tuple[str, ...]
    foreign: tuple[tuple[str, str, str], ...]  # (column, parent table, parent column)


def table_loads(schema: Any, dialect: str) -> list[TableLoad]:
    """The schema's tables in dependency order. The primary key is the row-number column, else
    the first unique column, that is never null; every other unique column is UNIQUE; a
    reference to a column that is one of those becomes a FOREIGN KEY; a column that is never
    null is NOT NULL."""
    loads: list[TableLoad] = []
    keys: dict[str, set[str]] = {}
    for name in schema.order:
        table, dataset = schema.tables[name], schema[name]
        columns = tuple(dataset.columns)
        not_null = tuple(not n for n in dataset.nullable())
        never_null = {c for c, n in zip(columns, not_null) if n}
        primary = key_column_of(table.columns, table.unique, never_null)
        unique = tuple(c for c in table.unique if c != primary)
        foreign = []
        for column, text in dataset.columns.items():
            reference = reference_of(text)
            if reference is not None and reference[1] in keys[reference[0]]:
                foreign.append((column, reference[0], reference[1]))
        keys[name] = set(unique) | ({primary} if primary is not None else set())
        loads.append(TableLoad(name, dataset, schema.row_counts[name], columns,
                               tuple(sql_types(dataset, dialect)), not_null, primary, unique,
                               tuple(foreign)))
    return loads


def load_schema(schema: Any, url: str, *, if_exists: str, threads: int | None,
                progress: Any) -> None:
    checked_if_exists = _database.check_if_exists(if_exists)
    workers = thread_count(threads)
    target = _database.parse_url(url)
    loads = table_loads(schema, target.dialect)
    for load in loads:
        _database.check_name(target.dialect, load.name, "table")
        for column in load.columns:
            _database.check_name(target.dialect, column, "column")
    with reporter(progress, sum(load.rows for load in loads), f"seed {schema.seed}") as report:
        if target.dialect == "sqlite":
            _load_sqlite(loads, target, checked_if_exists, report)
        else:
            _load_postgresql(loads, target, checked_if_exists, workers, report)


def _load_postgresql(loads: list[TableLoad], target: Any, if_exists: str, threads: int,
                     report: Report) -> None:
    sql = _postgres.driver().sql
    with _postgres.transaction(target) as connection:
        def name(table: str) -> str:
            quoted: str = sql.Identifier(table).as_string(connection)
            return quoted

        for load in sorted(loads, key=lambda load: load.name):  # one order, so no deadlock
            _postgres.take_turns(connection, name(load.name))
        existing = {load.name: _postgres.existing_types(connection, name(load.name))
                    for load in loads}
        if if_exists == "fail":
            for load in loads:
                if existing[load.name] is not None:
                    raise TableExistsError(load.name)
        if if_exists == "replace":
            # Children before parents, so no table is dropped while another refers to it; a
            # table outside the schema that refers to one of these stops the load.
            for load in reversed(loads):
                connection.execute(sql.SQL("DROP TABLE IF EXISTS {}").format(
                    sql.Identifier(load.name)))
            existing = dict.fromkeys(existing)
        created: list[TableLoad] = []
        done = 0
        for load in loads:
            found = existing[load.name]
            if found is not None:  # "append": the table keeps its own definition
                _postgres.check_types(load.name, list(load.columns), list(load.types), found)
            else:
                definition = sql.SQL(", ").join(
                    sql.SQL("{} {}{}").format(sql.Identifier(column), sql.SQL(sql_type),
                                              sql.SQL(" NOT NULL" if not_null else ""))
                    for column, sql_type, not_null in zip(load.columns, load.types,
                                                          load.not_null))
                connection.execute(sql.SQL("CREATE TABLE {} ({})").format(
                    sql.Identifier(load.name), definition))
                created.append(load)
            _postgres.copy_rows(connection, load.dataset, load.name, load.rows, start=0,
                                threads=threads, progress=offset(report, done))
            done += load.rows
        # Keys after the rows: one index build and one check of each reference, which
        # PostgreSQL does faster than a check per row while copying.
        made = {load.name for load in created}
        for load in created:
            for column in ([load.primary] if load.primary else []):
                connection.execute(sql.SQL("ALTER TABLE {} ADD PRIMARY KEY ({})").format(
                    sql.Identifier(load.name), sql.Identifier(column)))
            for column in load.unique:
                connection.execute(sql.SQL("ALTER TABLE {} ADD UNIQUE ({})").format(
                    sql.Identifier(load.name), sql.Identifier(column)))
        for load in created:
            for column, parent, parent_column in load.foreign:
                if parent not in made:  # an appended parent has whatever keys it had
                    continue
                connection.execute(
                    sql.SQL("ALTER TABLE {} ADD FOREIGN KEY ({}) REFERENCES {} ({})").format(
                        sql.Identifier(load.name), sql.Identifier(column),
                        sql.Identifier(parent), sql.Identifier(parent_column)))


def _sqlite_create(load: TableLoad, made: set[str]) -> str:
    foreign = {column: (parent, parent_column) for column, parent, parent_column in load.foreign
               if parent in made}
    parts = []
    for column, sql_type, not_null in zip(load.columns, load.types, load.not_null):
        if column == load.primary and sql_type in ("BIGINT", "INTEGER"):
            # The table's rowid itself: no second index to keep.
            sql_type = "INTEGER"
        part = f"{quoted(column)} {sql_type}"
        if not_null:
            part += " NOT NULL"
        if column == load.primary:
            part += " PRIMARY KEY"
        elif column in load.unique:
            part += " UNIQUE"
        if column in foreign:
            parent, parent_column = foreign[column]
            part += f" REFERENCES {quoted(parent)} ({quoted(parent_column)})"
        parts.append(part)
    return f"CREATE TABLE {quoted(load.name)} ({', '.join(parts)})"


def _load_sqlite(loads: list[TableLoad], target: Any, if_exists: str, report: Report) -> None:

    def fill(path: str, fresh: bool) -> None:
        # SQLite cannot add a key to a table that has rows: the keys are declared with the
        # table and checked row by row as the rows go in, parents first.
        with _sqlite.session(target, path, fresh=fresh,
                             pragmas=("foreign_keys = ON",)) as cursor:
            exists = {load.name: _sqlite.table_exists(cursor, load.name) for load in loads}
            if if_exists == "fail":
                for load in loads:
                    if exists[load.name]:
                        raise TableExistsError(load.name)
            if if_exists == "replace":
                for load in reversed(loads):
                    if exists[load.name]:
                        cursor.execute(f"DROP TABLE {quoted(load.name)}")
                exists = dict.fromkeys(exists, False)
            made = {load.name for load in loads if not exists[load.name]}
            done = 0
            for load in loads:
                if not exists[load.name]:
                    cursor.execute(_sqlite_create(load, made))
                cursor.insert(load.dataset, load.name, load.rows, start=0,
                              progress=offset(report, done))
                done += load.rows

    _sqlite.into_file(target, fill)

