"""python/tarvo/_schema.py: Schema, several tables under one seed whose rows refer to each other."""
from __future__ import annotations

import datetime
import os
import re
import secrets
from collections.abc import Iterable, Mapping
from typing import Any, Union

from tarvo._checks import shown, whole_number
from tarvo._column import Column, ColumnDefinition, column_text, split_options
from tarvo._dataset import SEED_BITS, Dataset, Profile

# Children per parent: "LOW:HIGH" (evenly), (low, high), a dict of count to weight, or
# "household" (the 2020 census's household sizes, and members who form a family).
PerParent = Union[str, "tuple[int, int]", Mapping[int, Union[int, float]]]
HOUSEHOLD = "household"
_MOST_CHILDREN = 100_000
_REF = re.compile(r"^ref:([^.:@]+)\.")


class Table:
    """One table of a Schema: its columns and how many rows it has.

    ``rows`` fixes the count; ``parent`` with ``per_parent`` makes the table the children of
    another (order lines of orders, members of households): each parent row has a drawn number
    of children, the table as many rows as they make together, and ``ref:PARENT.COLUMN`` reads
    the parent of each row.
    """

    __slots__ = ("_columns", "_rows", "_unique", "_parent", "_per_parent")

    def __init__(self, columns: Mapping[str, ColumnDefinition], *, rows: int | None = None,
                 unique: Iterable[str] = (), parent: str | None = None,
                 per_parent: PerParent | None = None) -> None:
        if not isinstance(columns, Mapping):
            raise TypeError(f"columns must be a dict of name to kind, not {type(columns).__name__}")
        self._columns = {name: column_text(name, kind) if isinstance(name, str) else kind
                         for name, kind in columns.items()}
        if isinstance(unique, str):
            raise TypeError("unique must be a list of column names, not str")
        self._unique = tuple(unique)
        if parent is None:
            if per_parent is not None:
                raise ValueError("per_parent counts the children of a parent: give parent too")
            if rows is None:
                raise ValueError("a table needs rows=N, or a parent whose children it holds")
            rows = whole_number(rows, "rows")
            if not 0 <= rows < 2**63:
                raise ValueError(f"rows must be from 0 to 2**63 - 1, not {rows}")
        else:
            if not isinstance(parent, str):
                raise TypeError(f"parent names a table by str, not {type(parent).__name__}")
            if rows is not None:
                raise ValueError("a table with a parent has as many rows as its parents have "
                                 "children: give per_parent, not rows")
            if per_parent is None:
                raise ValueError("a table with a parent needs per_parent: \"1:5\", a dict of "
                                 "count to weight, or \"household\"")
            _children_spec(per_parent)  # checked now, not when the schema is made
        self._rows = rows
        self._parent = parent
        self._per_parent = per_parent

    @property
    def columns(self) -> dict[str, str]:
        return dict(self._columns)

    @property
    def rows(self) -> int | None:
        return self._rows

    @property
    def unique(self) -> tuple[str, ...]:
        return self._unique

    @property
    def parent(self) -> str | None:
        return self._parent

    @property
    def per_parent(self) -> PerParent | None:
        return self._per_parent

    def _state(self) -> tuple[Any, ...]:
        per_parent = (tuple(sorted(self._per_parent.items()))
                      if isinstance(self._per_parent, Mapping) else self._per_parent)
        return (tuple(self._columns.items()), self._rows, frozenset(self._unique), self._parent,
                per_parent)

    def __eq__(self, other: object) -> bool:
        if not isinstance(other, Table):
            return NotImplemented
        return self._state() == other._state()

    def __hash__(self) -> int:
        return hash(self._state())

    def __repr__(self) -> str:
        extra = f", rows={self._rows!r}" if self._rows is not None else (
            f", parent={self._parent!r}, per_parent={self._per_parent!r}")
        unique = f", unique={list(self._unique)!r}" if self._unique else ""
        return f"Table({self._columns!r}{extra}{unique})"

    def __reduce__(self) -> tuple[Any, ...]:
        return (_table, (self._columns, self._rows, self._unique, self._parent, self._per_parent))


def _table(columns: dict[str, str], rows: int | None, unique: tuple[str, ...], parent: str | None,
           per_parent: PerParent | None) -> Table:
    return Table(columns, rows=rows, unique=unique, parent=parent, per_parent=per_parent)


def _children_spec(per_parent: PerParent) -> tuple[int, list[int], bool]:
    """(least, weights of least, least + 1, ..., households) for the engine."""
    if per_parent == HOUSEHOLD:
        return 1, [], True
    if isinstance(per_parent, str):
        low_text, colon, high_text = per_parent.partition(":")
        try:
            low, high = int(low_text), int(high_text)
        except ValueError:
            raise ValueError(f"per_parent must be \"LOW:HIGH\", a dict of count to weight, or "
                             f"\"household\", not {shown(per_parent)}") from None
        per_parent = (low, high)
    if isinstance(per_parent, tuple):
        if len(per_parent) != 2:
            raise ValueError("per_parent must be a (low, high) pair")
        low, high = (whole_number(n, "per_parent") for n in per_parent)
        if not 0 <= low <= high <= _MOST_CHILDREN:
            raise ValueError(f"per_parent: children per parent must run from 0 to "
                             f"{_MOST_CHILDREN:,}, LOW at most HIGH, not {low} to {high}")
        return low, [1] * (high - low + 1), False
    if isinstance(per_parent, Mapping):
        counts: dict[int, float] = {}
        for count, weight in per_parent.items():
            count = whole_number(count, "per_parent's counts")
            if not 0 <= count <= _MOST_CHILDREN:
                raise ValueError(f"per_parent: a count from 0 to {_MOST_CHILDREN:,}, not {count}")
            if isinstance(weight, bool) or not isinstance(weight, (int, float)) or not weight >= 0:
                raise ValueError(f"per_parent: the weight of {count} must be a number of at "
                                 f"least 0, not {weight!r}")
            counts[count] = float(weight)
        if not counts or not any(counts.values()):
            raise ValueError("per_parent: the weights are all zero")
        low, high = min(counts), max(counts)
        total = sum(counts.values())
        # Integer weights for the engine's table, within 2^-31 of the shares given.
        return low, [round(counts.get(c, 0.0) / total * 2**31) for c in range(low, high + 1)], False
    raise TypeError(f"per_parent must be \"LOW:HIGH\", a (low, high) pair, a dict of count to "
                    f"weight or \"household\", not {type(per_parent).__name__}")


def references_of(table: Table) -> set[str]:
    """The tables that the table's columns read, and its parent."""
    named = {match.group(1) for text in table.columns.values()
             if (match := _REF.match(split_options(text)[0]))}
    if table.parent is not None:
        named.add(table.parent)
    return named


def dependency_order(tables: Mapping[str, Table]) -> list[str]:
    """The tables, each after the tables it reads; a ValueError names a table that reads an
    unknown table, or a ring of tables."""
    order: list[str] = []
    state: dict[str, str] = {}

    def visit(name: str, path: list[str]) -> None:
        if state.get(name) == "done":
            return
        if state.get(name) == "busy":
            ring = " -> ".join([*path[path.index(name):], name])
            raise ValueError(f"table {shown(name)}: its references make a ring: {ring}")
        state[name] = "busy"
        for other in sorted(references_of(tables[name])):
            if other not in tables:
                raise ValueError(f"table {shown(name)}: there is no table {shown(other)} to read")
            visit(other, [*path, name])
        state[name] = "done"
        order.append(name)

    for name in tables:
        visit(name, [])
    return order


class Schema:
    """Tables under one seed, whose rows refer to each other's: customers, their orders and
    the orders' lines; households and their members.

    Each table's key comes from the schema's seed and the table's name, so adding a table
    changes no other table (a Dataset moved into a schema gets new rows). Any row of any table
    is computed alone: a child row draws which parent row is its own, and that parent row's
    values, again, with nothing kept in memory but a small index for one-to-many relations.
    ``schema["orders"]`` is a table as a Dataset (rows, write, arrow, to_database).
    """

    __slots__ = ("_tables", "_seed", "_as_of", "_profile", "_order", "_datasets", "_row_counts")

    def __init__(self, tables: Mapping[str, Table], *, seed: int | None = None,
                 as_of: datetime.date | None = None, profile: Profile = "census") -> None:
        if not isinstance(tables, Mapping):
            raise TypeError(f"tables must be a dict of name to Table, not {type(tables).__name__}")
        if not tables:
            raise ValueError("tables: a schema needs at least one table")
        for name, table in tables.items():
            if not isinstance(name, str):
                raise TypeError(f"table names must be str, not {type(name).__name__}")
            if not isinstance(table, Table):
                raise TypeError(f"table {shown(name)} must be a tarvo.Table, not "
                                f"{type(table).__name__}")
        self._tables = dict(tables)
        self._seed = secrets.randbits(SEED_BITS) if seed is None else whole_number(seed, "seed")
        self._as_of = as_of
        self._profile = profile
        self._order = dependency_order(self._tables)
        self._datasets: dict[str, Dataset] = {}
        self._row_counts: dict[str, int] = {}
        for name in self._order:
            table = self._tables[name]
            earlier = [(other, self._datasets[other], self._row_counts[other])
                       for other in self._order[:self._order.index(name)]]
            children = None
            if table.parent is not None:
                least, weights, households = _children_spec(table.per_parent)  # type: ignore[arg-type]
                children = (table.parent, least, weights, households)
            try:
                dataset = Dataset.of_table(table.columns, seed=self._seed, as_of=as_of,
                                           profile=profile, unique=table.unique, name=name,
                                           earlier=earlier, children=children, rows=table.rows,
                                           schema=self)
            except ValueError as error:
                raise ValueError(f"table {shown(name)}: {error}") from None
            self._datasets[name] = dataset
            count = dataset.defined_rows()
            assert count is not None  # a table of a schema always knows its rows
            self._row_counts[name] = count
        self._as_of = self._datasets[self._order[0]].as_of

    @property
    def tables(self) -> dict[str, Table]:
        return dict(self._tables)

    @property
    def order(self) -> tuple[str, ...]:
        """The tables, each after those it reads: the order to load them in."""
        return tuple(self._order)

    @property
    def row_counts(self) -> dict[str, int]:
        """Each table's rows; a child table's are its parents' children, counted once here."""
        return dict(self._row_counts)

    @property
    def seed(self) -> int:
        return self._seed

    @property
    def as_of(self) -> datetime.date:
        assert self._as_of is not None
        return self._as_of

    @property
    def profile(self) -> str:
        return self._profile

    def __getitem__(self, name: str) -> Dataset:
        try:
            return self._datasets[name]
        except KeyError:
            raise KeyError(f"no table {shown(name)} in the schema") from None

    def __iter__(self) -> Any:
        return iter(self._order)

    def __len__(self) -> int:
        return len(self._tables)

    def rows(self, table: str, n: int | None = None, *, start: int = 0) -> list[dict[str, Any]]:
        """Rows of `table`: all of them, or n from start."""
        return self[table].rows(self._row_counts[table] - start if n is None else n, start=start)

    def _state(self) -> tuple[Any, ...]:
        return (tuple(self._tables.items()), self._seed % 2**SEED_BITS, self._as_of,
                self._profile)

    def __eq__(self, other: object) -> bool:
        if not isinstance(other, Schema):
            return NotImplemented
        return self._state() == other._state()

    def __hash__(self) -> int:
        return hash(self._state())

    def __repr__(self) -> str:
        return (f"Schema({self._tables!r}, seed={self._seed!r}, as_of={self._as_of!r}, "
                f"profile={self._profile!r})")

    def __reduce__(self) -> tuple[Any, ...]:
        return (_schema, (self._tables, self._seed, self._as_of, self._profile))

    def write(self, folder: str | os.PathLike[str], *, format: str = "csv",
              threads: int | None = None, progress: Any = None) -> dict[str, str]:
        """Writes every table into `folder` (made if missing), one file per table named for it
        (orders.csv); returns the paths. `progress` counts the rows of all the tables."""
        from tarvo._output import FORMATS, file_set
        from tarvo._progress import offset, reporter
        if format not in FORMATS:
            raise ValueError(f"format must be one of {', '.join(FORMATS)}, not {shown(format)}")
        os.makedirs(folder, exist_ok=True)
        paths = {name: os.path.join(os.fspath(folder), f"{name}.{format}") for name in self._order}
        done = 0
        # The tables reference each other: the folder gets all of this run's files or none, so
        # an interrupted run never leaves new customers beside old orders.
        with reporter(progress, sum(self._row_counts.values()), f"seed {self._seed}") as report, \
                file_set([paths[name] for name in self._order]) as temporaries:
            for name, temporary in zip(self._order, temporaries):
                self[name].write(temporary, self._row_counts[name],
                                 format=format,  # type: ignore[arg-type]
                                 threads=threads, progress=offset(report, done))
                done += self._row_counts[name]
        return paths

    def to_database(self, url: str, *, if_exists: str = "fail", threads: int | None = None,
                    progress: Any = None) -> None:
        """Loads every table into a PostgreSQL or SQLite database in one transaction, in
        dependency order, with primary keys (the row column, or the first unique column),
        foreign keys (from references to a parent's key) and NOT NULL where no value can be
        null, so the database itself checks that every reference holds."""
        from tarvo._schema_database import load_schema
        load_schema(self, url, if_exists=if_exists, threads=threads, progress=progress)

    @classmethod
    def from_file(cls, path: str | os.PathLike[str]) -> Schema:
        """The schema of a TOML file with a [tables.NAME] per table."""
        from tarvo._dataset_file import read_schema
        schema: Schema = read_schema(path)
        return schema

    def to_file(self, path: str | os.PathLike[str]) -> None:
        from tarvo._dataset_file import write_schema
        write_schema(self, path)

    @classmethod
    def households(cls, households: int, *, seed: int | None = None,
                   as_of: datetime.date | None = None,
                   household_columns: Mapping[str, ColumnDefinition] | None = None,
                   member_columns: Mapping[str, ColumnDefinition] | None = None) -> Schema:
        """Households as the 2020 census finds them, and their members: a head, usually a
        spouse, children and sometimes other kin, who share the household's address and
        surname (a married woman's middle name is her maiden surname, her children's too)."""
        return cls({"households": Table(household_columns or HOUSEHOLD_COLUMNS, rows=households),
                    "members": Table(member_columns or MEMBER_COLUMNS, parent="households",
                                     per_parent=HOUSEHOLD)},
                   seed=seed, as_of=as_of, profile="census")


HOUSEHOLD_COLUMNS = {"id": "row:1", "size": "household_size", "address": "full_address",
                     "barangay": "barangay", "city_mun": "city_mun", "province": "province",
                     "region": "region", "zip_code": "zip_code", "landline": "landline"}
MEMBER_COLUMNS = {"id": "row:1", "household_id": "ref:households.id", "position": "position",
                  "relationship": "relationship", "first_name": "first_name",
                  "middle_name": "middle_name", "last_name": "last_name", "suffix": "suffix",
                  "sex": "gender", "age": "age", "birthdate": "birthdate",
                  "civil_status": "civil_status", "religion": "religion", "email": "email",
                  "mobile": "phone_number", "landline": "ref:households.landline",
                  "address": "full_address"}


def _schema(tables: dict[str, Table], seed: int, as_of: datetime.date | None,
            profile: Profile) -> Schema:
    return Schema(tables, seed=seed, as_of=as_of, profile=profile)


__all__ = ["Column", "Schema", "Table"]
