#!/usr/bin/env python3
"""tools/build_census_names.py: write data/census_names.json, the weighted name lists of the census profile.

No installable name list with frequencies has a clean provenance (the large ones are scraped from
social networks), so the census lists start from the project's own data/first_names.json and
data/last_names.json, which stay unchanged because the uniform profile reads them. This script:

  * mends their known errors: Julie and Joy leave the male list (they stay female), "Mylene"
    stored twice counts once, four misspelt surnames are corrected and the n with tilde (and the
    accents that go with it) is restored where the lists had dropped it;
  * adds compound first names ("Mary Grace", "John Paul", "Ma. Cristina"), common in the
    Philippines and absent from the lists;
  * gives every name a weight in occurrences per million of its list.

Both source lists are in descending order of frequency, so the weight is a function of rank:
proportional to 1/sqrt(rank) (a Zipf law of exponent 0.5), which makes the most common name about
sqrt(N) times as frequent as the rarest of N. This is a modelling assumption, not a published
figure. Compound names take COMPOUND_SHARE of each first-name list, ranked among themselves in the
order listed below; simple names share the rest in their own rank order.

Usage:
  python tools/build_census_names.py           # write data/census_names.json
  python tools/build_census_names.py --check    # exit 1 if the file is not what this script writes

Deterministic: the same inputs give byte-identical output. Needs only Python 3.10+.
"""

from __future__ import annotations

import json
import sys
from pathlib import Path

from generated_document import write_or_check

REPO = Path(__file__).resolve().parents[1]
DATA_DIR = REPO / "data"
OUTPUT = DATA_DIR / "census_names.json"

PER_MILLION = 1_000_000
COMPOUND_SHARE = 0.15

# Names the source lists put in the wrong list; they are kept where they belong.
NOT_MALE = ("Julie", "Joy")

# Misspellings and dropped accents, each checked to still be present in the source.
SURNAME_FIXES = {
    "Guttierez": "Gutierrez",
    "De Verra": "De Vera",
    "Bartoleme": "Bartolome",
    "Dela Pena": "Dela Peña",
    "Canete": "Cañete",
    "Nunez": "Núñez",
    "Ybanez": "Ybañez",
    "Ibanez": "Ibañez",
    "Carino": "Cariño",
}

# Compound first names, most common first. "Ma." is the usual written short form of Maria.
COMPOUND_MALE = (
    "John Paul", "John Mark", "Mark Anthony", "John Michael", "John Carlo", "Jose Maria",
    "John Rey", "Mark Joseph", "Juan Carlos", "John Lloyd", "Jose Antonio", "Christian Paul",
)
COMPOUND_FEMALE = (
    "Mary Grace", "Mary Ann", "Mary Joy", "Mary Jane", "Ma. Cristina", "Mary Rose", "Ma. Theresa",
    "Ana Marie", "Ma. Luisa", "Rose Ann", "Kristine Joy", "Maria Lourdes", "Ma. Elena",
    "Jenny Rose", "Anna Liza",
)


def zipf_weights(count: int, total: float) -> list[float]:
    raw = [rank**-0.5 for rank in range(1, count + 1)]
    scale = total / sum(raw)
    return [w * scale for w in raw]


def to_per_million(names: list[str], weights: list[float]) -> list[list[object]]:
    """Rounds to integers that still sum to exactly one million (largest remainders first)."""
    floors = [int(w) for w in weights]
    shortfall = PER_MILLION - sum(floors)
    by_remainder = sorted(range(len(weights)), key=lambda i: (floors[i] - weights[i], i))
    for i in by_remainder[:shortfall]:
        floors[i] += 1
    if min(floors) < 1:
        raise SystemExit("a name would get weight 0")
    return [[name, weight] for name, weight in zip(names, floors)]


def unique_in_order(names: list[str]) -> list[str]:
    seen: set[str] = set()
    return [n for n in names if not (n in seen or seen.add(n))]


def first_name_list(simple: list[str], compound: tuple[str, ...]) -> list[list[object]]:
    overlap = set(simple) & set(compound)
    if overlap:
        raise SystemExit(f"compound names already listed: {sorted(overlap)}")
    weights = zipf_weights(len(simple), PER_MILLION * (1 - COMPOUND_SHARE))
    weights += zipf_weights(len(compound), PER_MILLION * COMPOUND_SHARE)
    return to_per_million(simple + list(compound), weights)


def build() -> str:
    first = json.loads((DATA_DIR / "first_names.json").read_text(encoding="utf-8"))
    last = json.loads((DATA_DIR / "last_names.json").read_text(encoding="utf-8"))

    for name in NOT_MALE:
        if name not in first["male"] or name not in first["female"]:
            raise SystemExit(f"{name} is no longer in both lists; revisit NOT_MALE")
    male = unique_in_order([n for n in first["male"] if n not in NOT_MALE])
    female = unique_in_order(first["female"])

    surnames = list(last["surnames"])
    for wrong, right in SURNAME_FIXES.items():
        if surnames.count(wrong) != 1:
            raise SystemExit(f"surname {wrong!r} is no longer in the list once; revisit the fixes")
        surnames[surnames.index(wrong)] = right
    surnames = unique_in_order(surnames)

    document = {
        "male": first_name_list(male, COMPOUND_MALE),
        "female": first_name_list(female, COMPOUND_FEMALE),
        "surnames": to_per_million(surnames, zipf_weights(len(surnames), PER_MILLION)),
    }
    lines = ["{"]
    for key_index, (key, entries) in enumerate(document.items()):
        lines.append(f'  "{key}": [')
        for i, entry in enumerate(entries):
            comma = "," if i + 1 < len(entries) else ""
            lines.append("    " + json.dumps(entry, ensure_ascii=False) + comma)
        lines.append("  ]" + ("," if key_index + 1 < len(document) else ""))
    lines.append("}")
    return "\n".join(lines) + "\n"


def main() -> int:
    return write_or_check(OUTPUT, build, __doc__.splitlines()[0])


if __name__ == "__main__":
    sys.exit(main())
