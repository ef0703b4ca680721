"""python/tarvo/_column.py: Column, a column's kind and options, and the text form both have."""
from __future__ import annotations

import math
import os
from collections.abc import Iterable, Mapping
from typing import Any, Union

from tarvo._checks import shown

# What a value of Dataset's columns mapping may be.
ColumnDefinition = Union[str, "Column"]
Values = Union[Iterable[str], Mapping[str, Union[int, float]]]

_CHOICE_KINDS = ("choice", "list")
_ESCAPED = "\\,=;"  # inside a choice's options; the backslash first, so it is not escaped twice


def escape_option(text: str) -> str:
    """An option of a choice as its text form writes it: , = ; and \\ escaped."""
    for c in _ESCAPED:
        text = text.replace(c, "\\" + c)
    return text


def _weight_text(value: object, option: str) -> str:
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        raise TypeError(f"the weight of {shown(option)} must be a number, "
                        f"not {type(value).__name__}")
    if not math.isfinite(value) or value < 0:
        raise ValueError(f"the weight of {shown(option)} must be a number of at least 0, "
                         f"not {value!r}")
    return repr(value) if isinstance(value, float) else str(value)


def choice_text(kind: str, values: Values) -> str:
    """The kind text of a choice of `values`: a list of options, or a dict of option to weight."""
    if isinstance(values, str):
        raise TypeError("values must be a list of options or a dict of option to weight, "
                        "not a str")
    if isinstance(values, Mapping):
        items = [f"{escape_option(_option(option))}={_weight_text(weight, option)}"
                 for option, weight in values.items()]
    else:
        items = [escape_option(_option(option)) for option in values]
    if not items:
        raise ValueError("values: a choice needs at least one option")
    return f"{kind}:{','.join(items)}"


def _option(option: object) -> str:
    if not isinstance(option, str):
        raise TypeError(f"options are str, not {type(option).__name__}: {option!r}")
    return option


def read_values_file(path: str | os.PathLike[str]) -> str:
    """The options of a values file, in the text of a choice's parameters.

    One option a line; a line may end with a tab and its weight, and then every line must.
    Blank lines are skipped; the options are trimmed as a choice trims them. A leading byte
    order mark, which some Windows editors write, is no part of the first option."""
    try:
        with open(path, encoding="utf-8-sig") as file:
            lines = file.read().splitlines()
    except OSError as error:
        raise ValueError(f"{os.fspath(path)}: cannot read the values: "
                         f"{error.strerror or error}") from None
    except UnicodeDecodeError as error:
        raise ValueError(f"{os.fspath(path)}: not UTF-8 text ({error.reason})") from None
    options: list[str] = []
    weighted: set[bool] = set()
    for number, line in enumerate(lines, 1):
        if not line.strip():
            continue
        value, tab, weight = line.rpartition("\t") if "\t" in line else (line, "", "")
        weighted.add(bool(tab))
        if len(weighted) > 1:
            raise ValueError(f"{os.fspath(path)}, line {number}: give every option a weight "
                             "after a tab, or none")
        if not value.strip():
            raise ValueError(f"{os.fspath(path)}, line {number}: an empty option")
        if tab:
            try:
                number_value = float(weight)
            except ValueError:
                raise ValueError(f"{os.fspath(path)}, line {number}: the weight {shown(weight)} "
                                 "is not a number") from None
            if not math.isfinite(number_value) or number_value < 0:
                raise ValueError(f"{os.fspath(path)}, line {number}: the weight {shown(weight)} "
                                 "must be a number of at least 0")
            options.append(f"{escape_option(value.strip())}={weight.strip()}")
        else:
            options.append(escape_option(value.strip()))
    if not options:
        raise ValueError(f"{os.fspath(path)}: no values in the file")
    return ",".join(options)


def expand_values_file(text: str, base: str | os.PathLike[str] | None = None) -> str:
    """`text` with a choice's `@FILE` (choice:@tiers.txt) replaced by the file's options, read
    once, so the definition needs the file no more; other texts are returned as they are. A
    relative FILE is found from `base` (a data set file's folder), else the working directory."""
    kind, sep, rest = text.partition(":")
    if kind not in _CHOICE_KINDS or not rest.startswith("@"):
        return text
    path, semicolon, options = split_options(rest[1:])
    # A ';' in the path is written '\;', as everywhere in a kind, so that it starts no option.
    # Every other backslash is the path's own, as on Windows.
    path = path.replace("\\;", ";")
    if not path:
        raise ValueError(f"{shown(text)}: name the values file after '@'")
    if base is not None and not os.path.isabs(path):
        path = os.path.join(base, path)
    return f"{kind}:{read_values_file(path)}{semicolon}{options}"


def split_options(text: str) -> tuple[str, str, str]:
    """`text` split at its first unescaped ';': the kind's parameters, then its options."""
    i = 0
    while i < len(text):
        if text[i] == "\\":
            i += 2
            continue
        if text[i] == ";":
            return text[:i], ";", text[i + 1:]
        i += 1
    return text, "", ""


class Column:
    """A column: its kind and its options.

    ``Column("email", nulls=0.1)`` is the text ``"email;nulls=0.1"``; ``Column("choice",
    values={"Gold": 1, "Silver": 5})`` the text ``"choice:Gold=1,Silver=5"``; ``Column("choice",
    values_file="tiers.txt")`` reads the file's options once. A Column compares equal, hashes and
    pickles by its text, which is what a Dataset keeps.
    """

    __slots__ = ("_kind", "_nulls")

    def __init__(self, kind: str, *, nulls: float = 0.0, values: Values | None = None,
                 values_file: str | os.PathLike[str] | None = None) -> None:
        if not isinstance(kind, str):
            raise TypeError(f"the kind must be str, not {type(kind).__name__}")
        if values is not None or values_file is not None:
            if kind not in _CHOICE_KINDS:
                raise ValueError(f"values are options of a choice: Column('choice', values=...), "
                                 f"not of {shown(kind)}")
            if values is not None and values_file is not None:
                raise ValueError("give values or values_file, not both")
            kind = (choice_text(kind, values) if values is not None
                    else f"{kind}:{read_values_file(values_file)}")  # type: ignore[arg-type]
        if isinstance(nulls, bool) or not isinstance(nulls, (int, float)):
            raise TypeError(f"nulls must be a number, not {type(nulls).__name__}")
        if not 0 <= nulls <= 1:
            raise ValueError(f"nulls must be a share from 0 to 1, not {nulls!r}")
        self._kind = kind
        self._nulls = float(nulls)

    @property
    def kind(self) -> str:
        return self._kind

    @property
    def nulls(self) -> float:
        return self._nulls

    def text(self) -> str:
        """The text form: the kind, then its options after ';'."""
        return self._kind + (f";nulls={self._nulls!r}" if self._nulls else "")

    def __str__(self) -> str:
        return self.text()

    def __repr__(self) -> str:
        nulls = f", nulls={self._nulls!r}" if self._nulls else ""
        return f"Column({self._kind!r}{nulls})"

    def __eq__(self, other: object) -> bool:
        if not isinstance(other, Column):
            return NotImplemented
        return self.text() == other.text()

    def __hash__(self) -> int:
        return hash(("Column", self.text()))

    def __reduce__(self) -> tuple[Any, ...]:
        return (_column, (self._kind, self._nulls))


def _column(kind: str, nulls: float) -> Column:
    return Column(kind, nulls=nulls)


def column_text(name: str, definition: object, base: str | os.PathLike[str] | None = None) -> str:
    """The text form of a column's definition: a str as given, a Column's text; a choice's
    values file read in."""
    if isinstance(definition, Column):
        text = definition.text()
    elif isinstance(definition, str):
        text = definition
    else:
        raise TypeError(f"column {shown(name)}: the kind must be str or tarvo.Column, "
                        f"not {type(definition).__name__}")
    try:
        return expand_values_file(text, base)
    except ValueError as error:
        raise ValueError(f"column {shown(name)}: {error}") from None


def key_column_of(columns: Mapping[str, str], unique: Iterable[str],
                  never_null: set[str]) -> str | None:
    """A table's primary key: its row-number column, else its first unique column, of those
    that are never null."""
    for name, text in columns.items():
        if name in never_null and split_options(text)[0].split(":")[0] == "row":
            return name
    return next((name for name in unique if name in never_null), None)


def reference_of(text: str) -> tuple[str, str, bool] | None:
    """(parent table, parent column, is a named relation) of a ref column's text, else None."""
    kind = split_options(text)[0]
    if not kind.startswith("ref:"):
        return None
    target = kind[4:].split(":")[0]
    table, _, column = target.partition(".")
    column, at, _ = column.partition("@")
    return table, column, bool(at)
