"""python/tarvo/_schema_database.py: every table of a schema into one database, keys and all."""
from __future__ import annotations

from typing import Any


def load_schema(schema: Any, url: str, *, if_exists: str, threads: int | None,
                progress: Any) -> None:
    raise NotImplementedError
