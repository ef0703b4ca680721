"""python/tarvo/_kinds.py: the column kinds as `tarvo kinds` and the README list them.

The kinds themselves come from the engine's registry; only the example parameters of the
parametric kinds are chosen here.
"""
from __future__ import annotations

import datetime
import json
from typing import Any, NamedTuple

from tarvo import _engine
from tarvo._dataset import Dataset

EXAMPLE_PARAMETERS = {"int": "int:1:10", "float": "float:0:100:2",
                      "choice": "choice:red,green,blue", "list": "list:yes,no"}
# Examples are drawn from a fixed data set, so the table is the same on every run.
EXAMPLE_SEED = 2026
EXAMPLE_DATE = datetime.date(2026, 1, 1)


class Kind(NamedTuple):
    name: str
    usage: str        # how the kind is written, with its parameters named
    example: str      # a concrete column kind to draw the example value from
    value_type: str
    description: str
    in_dummy: bool
    alias_of: str


def kinds() -> list[Kind]:
    return [Kind(name, name + parameters, EXAMPLE_PARAMETERS.get(name, name), value_type,
                 description, in_dummy, alias_of)
            for name, value_type, parameters, description, in_dummy, alias_of in _engine.kinds()]


def _shown(value: Any) -> str:
    return json.dumps(value, ensure_ascii=False) if isinstance(value, dict) else str(value)


def example_row() -> dict[str, Any]:
    # One row for all examples, so the person and address columns describe one person.
    every = kinds()
    return Dataset({kind.name: kind.example for kind in every}, seed=EXAMPLE_SEED,
                   as_of=EXAMPLE_DATE).rows(1)[0]


def kinds_table() -> str:
    """One line per kind: how to write it, what it gives, and an example value."""
    every = kinds()
    row = example_row()
    usage_width = max(len(kind.usage) for kind in every) + 2
    text_width = max(len(kind.description) for kind in every) + 2
    lines = [f"{'KIND':<{usage_width}}{'DESCRIPTION':<{text_width}}EXAMPLE"]
    for kind in every:
        example = _shown(row[kind.name])
        if kind.example != kind.usage:
            example = f"{kind.example} -> {example}"
        lines.append(f"{kind.usage:<{usage_width}}{kind.description:<{text_width}}{example}")
    return "\n".join(lines) + "\n"


def kinds_markdown() -> str:
    """The README's table of kinds."""
    row = example_row()
    lines = ["| kind | value | description | example |", "|---|---|---|---|"]
    for kind in kinds():
        note = f" (another name for `{kind.alias_of}`)" if kind.alias_of else ""
        note += "" if kind.in_dummy else " (`Dataset` only)"
        example = f"`{kind.example}` → `{_shown(row[kind.name])!s}`".replace("|", "\\|")
        lines.append(f"| `{kind.usage}` | {kind.value_type} | {kind.description}{note} | "
                     f"{example} |")
    return "\n".join(lines) + "\n"
