"""python/tarvo/__init__.py: the tarvo package: Dummy from _tarvo, and the seeded Dataset engine."""
from _tarvo import Dummy, __version__

from tarvo._native import load_engine

_engine = load_engine()
PanicException = _engine.PanicException

from tarvo._checks import DefinitionError  # noqa: E402
from tarvo._database import DatabaseError, TableExistsError  # noqa: E402
from tarvo._column import Column  # noqa: E402
from tarvo._dataset import Dataset  # noqa: E402  (needs the engine loaded above)
from tarvo._schema import Schema, Table  # noqa: E402

__all__ = ["Column", "DatabaseError", "Dataset", "DefinitionError", "Dummy", "PanicException",
           "Schema", "Table", "TableExistsError", "__version__"]
