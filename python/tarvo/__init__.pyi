"""python/tarvo/__init__.pyi: signatures of the tarvo package for editors and type checkers."""
# The class is spelled out rather than imported from _tarvo: a single-module stub such as
# _tarvo.pyi cannot carry a py.typed marker, so checkers would see the re-export as Any.
from typing import Any, Final

__version__: Final[str]
__all__: list[str]

class Dummy:
    def __init__(self) -> None: ...
    def seed(self, row: int, feature: dict[str, str]) -> list[dict[str, Any]]:
        """Generate `row` rows; `feature` maps column names to kinds ("full_name", "int:1:10", ...)."""
    def save(self, data: list[Any], filename: str, fmt: str) -> None:
        """Write rows to `filename` + ".json" or ".csv" (chosen by `fmt`)."""

from tarvo._checks import DefinitionError as DefinitionError
from tarvo._database import DatabaseError as DatabaseError
from tarvo._database import TableExistsError as TableExistsError
from tarvo._column import Column as Column
from tarvo._dataset import Dataset as Dataset
from tarvo._schema import Schema as Schema
from tarvo._schema import Table as Table

class PanicException(BaseException):
    """An internal failure of the native core; derives from BaseException, so catch it by name."""
