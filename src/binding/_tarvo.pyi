"""Type information for the _tarvo extension module: Philippine dummy records."""
from typing import Any, Final

__version__: Final[str]
__all__: list[str]

class Dummy:
    def __init__(self) -> None: ...
    def seed(self, row: int, feature: dict[str, str]) -> list[dict[str, Any]]:
        """Generate `row` rows; `feature` maps column names to kinds ("full_name", "int:1:10", ...)."""
    def save(self, data: list[Any], filename: str, fmt: str) -> None:
        """Write rows to `filename` + ".json" or ".csv" (chosen by `fmt`)."""
