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
                      "choice": "choice:Active=80,Inactive=15,Suspended=5", "list": "list:yes,no",
                      "row": "row:1000", "bool": "bool:0.3", "money": "money:100:5000",
                      "date": "date:-30d:0d", "datetime": "datetime:2025-01-01:2025-12-31",
                      "time": "time:08:00:17:00", "pattern": "pattern:ORD-####-??",
                      "template": "template:{first_name|lower}.{last_name|slug}@acme.ph",
                      "ref": "ref:orders.id"}
# Examples are drawn from a fixed data set, so the table is the same on every run.
EXAMPLE_SEED = 2026
EXAMPLE_DATE = datetime.date(2026, 1, 1)


class Kind(NamedTuple):
    name: str
    usage: str        # how the kind is written, with its parameters named
    example: str      # a concrete column kind to draw the example value from
    value_type: str   # the Python type of a cell in rows(), and what typed outputs hold
    description: str
    in_dummy: bool
    alias_of: str
    can_be_unique: bool
    schema_only: bool  # reads a table's relations: only in a table of a schema


def _value_type(name: str) -> str:
    for type_name, in_rows, typed, *_ in _engine.value_types():
        if type_name == name:
            return f"{in_rows} ({typed} in typed outputs)" if typed else in_rows
    raise KeyError(name)


def kinds() -> list[Kind]:
    return [Kind(name, name + parameters, EXAMPLE_PARAMETERS.get(name, name),
                 _value_type(value_type), description, in_dummy, alias_of, can_be_unique,
                 schema_only)
            for (name, value_type, parameters, description, in_dummy, alias_of, can_be_unique,
                 schema_only) in _engine.kinds()]


def _shown(value: Any) -> str:
    return json.dumps(value, ensure_ascii=False) if isinstance(value, dict) else str(value)


def _markdown_cell(text: str) -> str:
    return text.replace("|", "\\|")


def example_row() -> dict[str, Any]:
    # One row for all examples, so the person and address columns describe one person; the
    # kinds of a schema's tables from a member of a household's table.
    from tarvo._schema import Schema, Table
    every = kinds()
    row = Dataset({kind.name: kind.example for kind in every if not kind.schema_only},
                  seed=EXAMPLE_SEED, as_of=EXAMPLE_DATE).rows(1)[0]
    schema = Schema({"orders": Table({"id": "row:1"}, rows=3),
                     "members": Table({kind.name: kind.example for kind in every
                                       if kind.schema_only},
                                      parent="orders", per_parent="household")},
                    seed=EXAMPLE_SEED, as_of=EXAMPLE_DATE)
    return {**row, **schema.rows("members", 1)[0]}


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
    """The README's table of kinds, and the options every column takes."""
    row = example_row()
    lines = ["| kind | value | description | unique | example |", "|---|---|---|---|---|"]
    for kind in kinds():
        note = f" (another name for `{kind.alias_of}`)" if kind.alias_of else ""
        note += "" if kind.in_dummy else " (`Dataset` only)"
        example = f"`{kind.example}` → `{_shown(row[kind.name])!s}`"
        lines.append(f"| `{_markdown_cell(kind.usage)}` | {kind.value_type} | "
                     f"{_markdown_cell(kind.description)}{note} | "
                     f"{'yes' if kind.can_be_unique else ''} | {_markdown_cell(example)} |")
    lines += ["", "Options, after the kind and a `;` (`email;nulls=0.1`), for any column:", "",
              "| option | meaning |", "|---|---|"]
    for name, value, description in _engine.column_options():
        lines.append(f"| `{name}={value}` | {_markdown_cell(description)} |")
    return "\n".join(lines) + "\n"
