"""python/tarvo/_sql_types.py: the SQL type each of the engine's value types gets in each database, in one table."""
from __future__ import annotations

from tarvo import _engine
from tarvo._source import RowSource

# Engine.column_types() names the value type of each column; a database column gets the type the
# engine's table of value types gives it (src/core/kinds/value_type.cpp). PostgreSQL's are the
# types whose binary COPY form the engine writes; SQLite's give each column its affinity and tell
# readers (SQLAlchemy, pandas.read_sql, sqlite3's PARSE_DECLTYPES) what the values are: dates as
# ISO text, money as exact text, the address as JSON text.
SQL_TYPES: dict[str, dict[str, str]] = {
    name: {"postgresql": postgres, "sqlite": sqlite}
    for name, _rows, _typed, _arrow, postgres, sqlite in _engine.value_types()}


def sql_types(source: RowSource, dialect: str) -> list[str]:
    """The SQL type of each of `source`'s columns, in order, in `dialect`."""
    return [SQL_TYPES[value_type][dialect] for value_type in source.column_types()]
