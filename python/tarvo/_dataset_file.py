"""python/tarvo/_dataset_file.py: data sets as TOML files, read with tomllib and written back."""
from __future__ import annotations

import datetime
import os
import re
import sys
from typing import TYPE_CHECKING, Any

from tarvo._checks import shown
from tarvo._column import Column

if sys.version_info >= (3, 11):
    import tomllib
else:  # pragma: no cover - the wheel's dependency on 3.10
    import tomli as tomllib

if TYPE_CHECKING:
    from tarvo._dataset import Dataset

SETTINGS = ("seed", "as_of", "profile", "unique", "ages", "rows")
COLUMN_KEYS = ("kind", "nulls", "values", "values_file")
_INT64 = range(-2**63, 2**63)


class _Place:
    """Where in the file's text a key is written, for messages that name its line."""

    def __init__(self, path: str | os.PathLike[str], text: str) -> None:
        self.path = os.fspath(path)
        self.lines = text.splitlines()

    def line_of(self, key: str, table: str | None = None) -> int | None:
        pattern = re.compile(r"\s*(?:" + re.escape(key) + r"|\"" + re.escape(key) + r"\"|'"
                             + re.escape(key) + r"')\s*=")
        in_table = table is None
        for number, line in enumerate(self.lines, 1):
            header = line.strip()
            if header.startswith("["):
                in_table = header.strip("[] ") == table if table is not None else False
                continue
            if in_table and pattern.match(line):
                return number
        return None

    def error(self, message: str, key: str | None = None, table: str | None = None) -> ValueError:
        where = self.path
        if key is not None:
            line = self.line_of(key, table)
            where += f", line {line}" if line is not None else ""
            where += f", {table + '.' if table else ''}{key}"
        return ValueError(f"{where}: {message}")


def load_toml(path: str | os.PathLike[str]) -> tuple[dict[str, Any], _Place]:
    try:
        with open(path, "rb") as file:
            raw = file.read()
    except OSError as error:
        raise ValueError(f"{os.fspath(path)}: cannot read the file: "
                         f"{error.strerror or error}") from None
    try:
        text = raw.decode("utf-8")
        data = tomllib.loads(text)
    except UnicodeDecodeError as error:
        raise ValueError(f"{os.fspath(path)}: not UTF-8 text ({error.reason})") from None
    except tomllib.TOMLDecodeError as error:
        raise ValueError(f"{os.fspath(path)}: not valid TOML: {error}") from None
    return data, _Place(path, text)


def column_definition(name: str, value: Any, place: _Place, table: str) -> Column | str:
    """A column as a file writes it: its text form, or a table of its kind and options."""
    if isinstance(value, str):
        return value
    if not isinstance(value, dict):
        raise place.error("a column is a kind (\"email\") or a table ({ kind = \"email\", "
                          f"nulls = 0.1 }}), not {type(value).__name__}", name, table)
    unknown = sorted(set(value) - set(COLUMN_KEYS))
    if unknown:
        raise place.error(f"unknown key {shown(unknown[0])} (a column takes "
                          f"{', '.join(COLUMN_KEYS)})", name, table)
    if "kind" not in value:
        raise place.error("the column's table needs its kind: { kind = \"email\" }", name, table)
    values_file = value.get("values_file")
    if values_file is not None and not os.path.isabs(values_file):
        values_file = os.path.join(os.path.dirname(os.path.abspath(place.path)), values_file)
    try:
        return Column(value["kind"], nulls=value.get("nulls", 0.0), values=value.get("values"),
                      values_file=values_file)
    except (TypeError, ValueError) as error:
        raise place.error(str(error), name, table) from None


def dataset_settings(data: dict[str, Any], place: _Place) -> dict[str, Any]:
    """The keyword arguments of Dataset that a file's top level gives."""
    settings: dict[str, Any] = {}
    if "seed" in data:
        seed = data["seed"]
        if isinstance(seed, str) and re.fullmatch(r"-?[0-9]+", seed):
            seed = int(seed)  # a seed past 64 bits, which TOML integers do not reach
        settings["seed"] = seed
    if "as_of" in data:
        as_of = data["as_of"]
        if isinstance(as_of, str):
            try:
                as_of = datetime.date.fromisoformat(as_of)
            except ValueError:
                raise place.error("not a date YYYY-MM-DD", "as_of") from None
        settings["as_of"] = as_of
    for key in ("profile", "unique"):
        if key in data:
            settings[key] = data[key]
    if "ages" in data:
        settings["ages"] = tuple(data["ages"]) if isinstance(data["ages"], list) else data["ages"]
    return settings


def read_dataset(path: str | os.PathLike[str]) -> Dataset:
    from tarvo._dataset import Dataset

    data, place = load_toml(path)
    if "tables" in data:
        raise place.error("holds several tables: read it with tarvo.Schema.from_file", "tables")
    unknown = sorted(set(data) - set(SETTINGS) - {"columns"})
    if unknown:
        raise place.error(f"unknown key (a data set file takes {', '.join(SETTINGS)} and "
                          "[columns])", unknown[0])
    return build_dataset(data, place, None)


def read_definition(path: str | os.PathLike[str]) -> tuple[Any, int | None]:
    """What `tarvo generate` runs: (the Schema, None) of a file with [tables.NAME], else (the
    Dataset, the rows the file asks for or None)."""
    from tarvo._checks import MAX_ROWS

    data, place = load_toml(path)
    if "tables" in data:
        return read_schema(path), None
    dataset = read_dataset(path)
    rows = data.get("rows")
    if rows is not None and (isinstance(rows, bool) or not isinstance(rows, int)
                             or not 0 <= rows <= MAX_ROWS):
        raise place.error(f"rows must be a whole number from 0 to 2**63, not {rows!r}", "rows")
    return dataset, rows


def build_dataset(data: dict[str, Any], place: _Place, table: str | None) -> Dataset:
    """A Dataset from the settings and columns of a file's table (the top level when None)."""
    from tarvo._dataset import Dataset

    columns_table = f"{table}.columns" if table else "columns"
    raw = data.get("columns")
    if not isinstance(raw, dict) or not raw:
        raise place.error("needs a [columns] table with at least one column", "columns", table)
    base = os.path.dirname(os.path.abspath(place.path))
    columns = {name: column_definition(name, value, place, columns_table)
               for name, value in raw.items()}
    for name, definition in columns.items():
        if isinstance(definition, str) and definition.partition(":")[2].startswith("@"):
            # A values file named in the text form is found beside the data set file.
            from tarvo._column import expand_values_file
            try:
                columns[name] = expand_values_file(definition, base)
            except ValueError as error:
                raise place.error(str(error), name, columns_table) from None
    try:
        return Dataset(columns, **dataset_settings(data, place))
    except (TypeError, ValueError) as error:
        message = str(error)
        for name in columns:
            if message.startswith((f"column '{name}'", f"column {shown(name)}")):
                raise place.error(message, name, columns_table) from None
        for key in SETTINGS:
            if message.startswith(key) and key in data:
                raise place.error(message, key, table) from None
        raise place.error(message) from None


def toml_string(text: str) -> str:
    out = ['"']
    for c in text:
        if c == '"' or c == "\\":
            out.append("\\" + c)
        elif c == "\n":
            out.append("\\n")
        elif c == "\t":
            out.append("\\t")
        elif ord(c) < 0x20 or ord(c) == 0x7F:
            out.append(f"\\u{ord(c):04x}")
        else:
            out.append(c)
    out.append('"')
    return "".join(out)


def toml_key(name: str) -> str:
    return name if re.fullmatch(r"[A-Za-z0-9_-]+", name) else toml_string(name)


def dataset_lines(dataset: Dataset, *, rows: int | None = None) -> list[str]:
    """The settings and [columns] of a data set, as TOML lines."""
    seed = dataset.seed
    lines = [f"seed = {seed}" if seed in _INT64 else f"seed = {toml_string(str(seed))}",
             f"as_of = {dataset.as_of.isoformat()}",
             f"profile = {toml_string(dataset.profile)}"]
    if dataset.unique:
        lines.append(f"unique = [{', '.join(map(toml_string, dataset.unique))}]")
    if dataset.ages is not None:
        lines.append(f"ages = [{dataset.ages[0]}, {dataset.ages[1]}]")
    if rows is not None:
        lines.append(f"rows = {rows}")
    return lines


def write_dataset(dataset: Dataset, path: str | os.PathLike[str]) -> None:
    lines = ["# A tarvo data set: tarvo generate FILE -n ROWS -o OUT, or tarvo.Dataset.from_file",
             *dataset_lines(dataset), "", "[columns]"]
    lines += [f"{toml_key(name)} = {toml_string(text)}" for name, text in dataset.columns.items()]
    with open(path, "w", encoding="utf-8") as file:
        file.write("\n".join(lines) + "\n")


TABLE_KEYS = ("rows", "unique", "parent", "per_parent", "columns")
SCHEMA_SETTINGS = ("seed", "as_of", "profile")


def read_schema(path: str | os.PathLike[str]) -> Any:
    from tarvo._schema import Schema, Table

    data, place = load_toml(path)
    raw_tables = data.get("tables")
    if not isinstance(raw_tables, dict) or not raw_tables:
        raise place.error("a schema file needs [tables.NAME] tables", "tables")
    unknown = sorted(set(data) - set(SCHEMA_SETTINGS) - {"tables"})
    if unknown:
        raise place.error(f"unknown key (a schema file takes {', '.join(SCHEMA_SETTINGS)} and "
                          "[tables.NAME])", unknown[0])
    settings = dataset_settings({k: v for k, v in data.items() if k in SCHEMA_SETTINGS}, place)
    tables = {}
    for name, raw in raw_tables.items():
        header = f"tables.{name}"
        if not isinstance(raw, dict):
            raise place.error("a table is a [tables.NAME] table", name, "tables")
        unknown = sorted(set(raw) - set(TABLE_KEYS))
        if unknown:
            raise place.error(f"unknown key (a table takes {', '.join(TABLE_KEYS)})", unknown[0],
                              header)
        columns_table = f"{header}.columns"
        raw_columns = raw.get("columns")
        if not isinstance(raw_columns, dict) or not raw_columns:
            raise place.error("needs a columns table with at least one column", "columns", header)
        base = os.path.dirname(os.path.abspath(place.path))
        columns: dict[str, Any] = {}
        for column, value in raw_columns.items():
            definition = column_definition(column, value, place, columns_table)
            if isinstance(definition, str):
                from tarvo._column import expand_values_file
                try:
                    definition = expand_values_file(definition, base)
                except ValueError as error:
                    raise place.error(str(error), column, columns_table) from None
            columns[column] = definition
        per_parent = raw.get("per_parent")
        if isinstance(per_parent, dict):
            try:
                per_parent = {int(count): weight for count, weight in per_parent.items()}
            except ValueError:
                raise place.error("per_parent's keys are counts of children", "per_parent",
                                  header) from None
        try:
            tables[name] = Table(columns, rows=raw.get("rows"), unique=raw.get("unique", ()),
                                 parent=raw.get("parent"), per_parent=per_parent)
        except (TypeError, ValueError) as error:
            key = next((k for k in ("rows", "parent", "per_parent", "unique")
                        if k in raw and k in str(error)), None)
            raise place.error(str(error), key, header) from None
    try:
        return Schema(tables, **settings)
    except (TypeError, ValueError) as error:
        message = str(error)
        for name in tables:
            if message.startswith(f"table {shown(name)}"):
                line_key = next((c for c in tables[name].columns
                                 if f"column '{c}'" in message or f"column {shown(c)}" in message),
                                None)
                if line_key is not None:
                    raise place.error(message, line_key, f"tables.{name}.columns") from None
                raise place.error(message) from None
        raise place.error(message) from None


def _per_parent_toml(per_parent: Any) -> str:
    if isinstance(per_parent, tuple):
        return toml_string(f"{per_parent[0]}:{per_parent[1]}")
    if isinstance(per_parent, dict):
        return "{ " + ", ".join(f'"{count}" = {weight!r}' for count, weight in per_parent.items()) + " }"
    return toml_string(str(per_parent))


def write_schema(schema: Any, path: str | os.PathLike[str]) -> None:
    seed = schema.seed
    lines = ["# A tarvo schema: tarvo generate FILE -o FOLDER/ (or a database URL), or "
             "tarvo.Schema.from_file",
             f"seed = {seed}" if seed in _INT64 else f"seed = {toml_string(str(seed))}",
             f"as_of = {schema.as_of.isoformat()}", f"profile = {toml_string(schema.profile)}"]
    for name, table in schema.tables.items():
        header = f"tables.{toml_key(name)}"
        lines += ["", f"[{header}]"]
        if table.rows is not None:
            lines.append(f"rows = {table.rows}")
        if table.parent is not None:
            lines.append(f"parent = {toml_string(table.parent)}")
            lines.append(f"per_parent = {_per_parent_toml(table.per_parent)}")
        if table.unique:
            lines.append(f"unique = [{', '.join(map(toml_string, table.unique))}]")
        lines += ["", f"[{header}.columns]"]
        lines += [f"{toml_key(column)} = {toml_string(text)}"
                  for column, text in table.columns.items()]
    with open(path, "w", encoding="utf-8") as file:
        file.write("\n".join(lines) + "\n")
