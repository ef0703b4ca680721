"""tests/python/typing/usage.py: typical use of _tarvo, checked with mypy --strict against the stub."""
import datetime
from typing import Any

import _tarvo
import tarvo

dummy: _tarvo.Dummy = _tarvo.Dummy()
rows: list[dict[str, Any]] = dummy.seed(3, {"name": "full_name", "n": "int:1:10"})
version: str = _tarvo.__version__
names: list[str] = _tarvo.__all__
dummy.save(rows, "people", "csv")

people = tarvo.Dataset({"id": "uuid", "age": "age"}, seed=42, as_of=datetime.date(2026, 1, 1))
first: list[dict[str, Any]] = people.rows(10, start=5)
replay: int = people.seed
