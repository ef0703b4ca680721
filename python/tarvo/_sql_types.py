"""python/tarvo/_sql_types.py: the SQL type each of the engine's value types gets in each database, in one table."""
from __future__ import annotations

from tarvo._source import RowSource

# Engine.column_types() names the value type of each column; a database column gets the type of
# its row here. PostgreSQL's are the types whose binary COPY form the engine writes; SQLite's give
# each column its affinity and tell readers (SQLAlchemy, pandas.read_sql, sqlite3's
# PARSE_DECLTYPES) what the values are: dates as ISO text, the address as JSON text.
SQL_TYPES: dict[str, dict[str, str]] = {
    "int64": {"postgresql": "bigint", "sqlite": "BIGINT"},
    "int32": {"postgresql": "integer", "sqlite": "INTEGER"},
    "float64": {"postgresql": "double precision", "sqlite": "REAL"},
    "text": {"postgresql": "text", "sqlite": "TEXT"},
    "date": {"postgresql": "date", "sqlite": "DATE"},
    "address": {"postgresql": "jsonb", "sqlite": "JSON"},
}


def sql_types(source: RowSource, dialect: str) -> list[str]:
    """The SQL type of each of `source`'s columns, in order, in `dialect`."""
    return [SQL_TYPES[value_type][dialect] for value_type in source.column_types()]
