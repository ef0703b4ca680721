"""tools/census_tables.py: shared pieces of the census people generators (places, rounding, writing).

Every census document is written the same way: two-space indentation, one table row per line,
integer weights rounded by largest remainders so that a table sums exactly to its stated total,
and a trailing newline, so that a regeneration is byte-identical and a diff shows rows.
"""

from __future__ import annotations

import json
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
DATA_DIR = REPO / "data"
SOURCES_DIR = DATA_DIR / "sources"
ADDRESS_FILES = ("luzon.json", "visayas.json", "mindanao.json")


def integer_shares(weights: list[float], total: int) -> list[int]:
    """Rounds non-negative weights to integers summing exactly to total (largest remainders,
    ties to the earlier entry), so a table never drifts from its stated total."""
    mass = sum(weights)
    if mass <= 0:
        raise SystemExit("a table has no weight")
    exact = [w * total / mass for w in weights]
    floors = [int(x) for x in exact]
    order = sorted(range(len(exact)), key=lambda i: (floors[i] - exact[i], i))
    for i in order[: total - sum(floors)]:
        floors[i] += 1
    return floors


def barangay_weight(status: str) -> int:
    return int(status) if status.isascii() and status.isdigit() else 0


def provinces() -> list[dict]:
    """Province-level entries of the address documents with their region and 2024 population:
    [{"code", "name", "region", "region_name", "population"}], in document order."""
    result = []
    for file_name in ADDRESS_FILES:
        for region in json.loads((DATA_DIR / file_name).read_text(encoding="utf-8")):
            for province in region["provinces"]:
                population = sum(
                    barangay_weight(b["status"])
                    for city in province["cities_municipalities"]
                    for b in city["barangays"]
                )
                result.append({
                    "code": province["code"],
                    "name": province["name"],
                    "region": region["code"],
                    "region_name": region["name"],
                    "population": population,
                })
    return result


def read_source(name: str) -> list[str]:
    """Lines of data/sources/NAME without comments (#) and blank lines, stripped."""
    lines = []
    for raw in (SOURCES_DIR / name).read_text(encoding="utf-8").splitlines():
        line = raw.split("#", 1)[0].strip()
        if line:
            lines.append(line)
    return lines


def dumps(document: dict) -> str:
    """JSON with objects opened one key per line down to the tables, and each table row
    (a list whose items are scalars or short lists) kept on one line."""

    def is_row(value: object) -> bool:
        return isinstance(value, list) and all(
            not isinstance(v, (dict, list)) or (isinstance(v, list) and not any(isinstance(x, (dict, list)) for x in v))
            for v in value
        )

    def render(value: object, indent: int) -> str:
        pad = "  " * indent
        inner = "  " * (indent + 1)
        if isinstance(value, dict):
            if not value:
                return "{}"
            items = [f"{inner}{json.dumps(k, ensure_ascii=False)}: {render(v, indent + 1)}" for k, v in value.items()]
            return "{\n" + ",\n".join(items) + "\n" + pad + "}"
        if isinstance(value, list) and value and all(isinstance(v, list) for v in value) and all(is_row(v) for v in value):
            rows = [inner + json.dumps(v, ensure_ascii=False) for v in value]
            return "[\n" + ",\n".join(rows) + "\n" + pad + "]"
        if isinstance(value, list) and any(isinstance(v, dict) for v in value):
            items = [inner + render(v, indent + 1) for v in value]
            return "[\n" + ",\n".join(items) + "\n" + pad + "]"
        return json.dumps(value, ensure_ascii=False)

    return render(document, 0) + "\n"
