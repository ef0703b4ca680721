"""tests/python/typing/usage.py: typical use of _tarvo, checked with mypy --strict against the stub."""
from typing import Any

import _tarvo

dummy: _tarvo.Dummy = _tarvo.Dummy()
rows: list[dict[str, Any]] = dummy.seed(3, {"name": "full_name", "n": "int:1:10"})
version: str = _tarvo.__version__
names: list[str] = _tarvo.__all__
dummy.save(rows, "people", "csv")
