#!/usr/bin/env python3
"""tools/build_census_streets.py: write data/census_streets.json, the street names of the street kind.

Every town in the Philippines has streets named after the national heroes and the presidents
(Rizal, Mabini, Bonifacio, Burgos, Luna, Del Pilar, Quezon, Aguinaldo, ...), after saints (San
Roque, San Jose, Santo Niño) and, inside subdivisions, after flowers, trees and gems (Sampaguita,
Ilang-Ilang, Narra, Acacia, Emerald). No public count of street names exists that can be
installed, so the names are the lists below, written for this project from those naming
customs (heroes as the National Historical Commission of the Philippines honours them, saints as
parish and barangay patrons, the flowers and trees of the country), and weighted by a proxy that
is published: how many barangays of the PSGC (data/luzon.json, visayas.json, mindanao.json) carry
the name. Barangays and streets are named from the same pool, so within a group a name common
among barangays (Rizal 170, Magsaysay 126, Mabini 97) is common among streets as well: its weight
is 1 + the number of barangays whose name contains it as whole words. Barangays take their
patron saint's name far more often than streets do, so the groups get fixed shares instead of
the proxy's: town streets are 80% heroes and 20% saints, subdivision streets 80% flowers, trees
and gems (weighed alike: trees name rural barangays for other reasons) and 20% saints (a
judgement). "Silang" is written "Gabriela Silang", since "Bagong Silang" would count for it. Weights are per million of each list. Confidence: the
names high (they are the customary ones), the weights within a group low to medium (a proxy),
the group shares low.

  {"generated_by": ..., "town": [[name, weight], ...], "subdivision": [[name, weight], ...]}

"town" names are those of poblacion and barangay streets; "subdivision" names those of the
streets of private subdivisions (Blk/Lot addresses). How a street is written from a name (house
number, "St.", Blk/Lot, Phase) is in src/core/census/street.hpp.

Usage:
  python tools/build_census_streets.py           # write data/census_streets.json
  python tools/build_census_streets.py --check   # exit 1 if the file is not what this writes
"""

from __future__ import annotations

import json
import re
import sys
import unicodedata
from pathlib import Path

from generated_document import write_or_check

REPO = Path(__file__).resolve().parents[1]
DATA_DIR = REPO / "data"
OUTPUT = DATA_DIR / "census_streets.json"
SOURCES = ("luzon.json", "visayas.json", "mindanao.json")

# Heroes, presidents and patriots, as the streets carry them (surname, or the name in use).
HEROES = (
    "Rizal", "Mabini", "Bonifacio", "Burgos", "Luna", "Del Pilar", "Quezon", "Aguinaldo",
    "Jacinto", "Gabriela Silang", "Magsaysay", "Roxas", "Osmeña", "Quirino", "Laurel", "Recto", "Aquino",
    "Lapu-Lapu", "Dagohoy", "Gomez", "Zamora", "Jaena", "Ponce", "Malvar", "Macabulos",
    "Tandang Sora", "Kalaw", "Sumulong", "Garcia", "Macapagal", "Marcos", "Tecson", "Lacson",
    "Palma", "Mercado", "Abad Santos", "Agoncillo", "Panganiban", "Sikatuna", "Humabon",
    "Soliman", "Lakandula", "Diego Silang", "General Luna", "Padre Burgos", "Padre Gomez",
    "Padre Zamora", "Gomburza", "Bagumbayan", "Tirona", "Evangelista", "Mabuhay", "Kalayaan",
    "Maharlika", "Bayanihan", "Real", "Washington", "Taft", "Legaspi", "Magallanes",
)

# Patron saints of parishes and barangays.
SAINTS = (
    "San Roque", "San Jose", "San Isidro", "San Antonio", "San Vicente", "San Juan", "San Pedro",
    "San Miguel", "San Nicolas", "San Rafael", "San Agustin", "San Francisco", "San Pablo",
    "San Sebastian", "San Andres", "San Lorenzo", "Santo Niño", "Santa Cruz", "Santa Rosa",
    "Santa Maria", "Santa Ana", "Santa Lucia", "Santa Teresita", "Santo Rosario", "Santo Tomas",
    "Santo Cristo", "Santa Clara", "Santa Monica", "San Martin", "San Gabriel",
)

# Flowers, trees and gems of subdivision streets.
SUBDIVISION = (
    "Sampaguita", "Ilang-Ilang", "Camia", "Rosal", "Gumamela", "Dama de Noche", "Adelfa",
    "Jasmin", "Orchid", "Dahlia", "Rose", "Santan", "Kalachuchi", "Waling-Waling", "Everlasting",
    "Azucena", "Lily", "Daisy", "Margarita", "Bougainvillea", "Champaca", "Acacia", "Narra",
    "Molave", "Mahogany", "Kamagong", "Yakal", "Ipil", "Banaba", "Talisay", "Sampaloc", "Mangga",
    "Caimito", "Santol", "Atis", "Bayabas", "Duhat", "Guyabano", "Kalamansi", "Anahaw",
    "Balete", "Dao", "Emerald", "Diamond", "Ruby", "Sapphire", "Pearl", "Jade", "Topaz", "Opal",
    "Amethyst", "Garnet",
)

PER_MILLION = 1_000_000
# Saints are as much subdivision as town names and join both lists. Barangays named after trees
# are old rural place names (Talisay, Ipil), not evidence of subdivision streets, so the
# subdivision names are weighed alike.
# (names, share of the list, weighed by the barangay proxy or alike).
TOWN = ((HEROES, 0.8, True), (SAINTS, 0.2, True))
SUBDIVISION_ALL = ((SUBDIVISION, 0.8, False), (SAINTS, 0.2, True))


def fold(text: str) -> str:
    return "".join(c for c in unicodedata.normalize("NFD", text) if not unicodedata.combining(c))


def barangay_names() -> list[str]:
    names = []
    for source in SOURCES:
        for region in json.loads((DATA_DIR / source).read_text(encoding="utf-8")):
            for province in region["provinces"]:
                for city in province["cities_municipalities"]:
                    names.extend(fold(b["name"]) for b in city["barangays"])
    return names


def weigh(groups, barangays: list[str]) -> list[list]:
    names = [name for group, _, _ in groups for name in group]
    if len(set(names)) != len(names):
        raise SystemExit("a street name is listed twice")
    joined = "\n".join(barangays)
    weighted = []
    for group, share, by_proxy in groups:
        counts = []
        for name in group:
            pattern = r"(?<![\w-])" + re.escape(fold(name)) + r"(?![\w-])"
            counts.append(1 + len(re.findall(pattern, joined)) if by_proxy else 1)
        total = sum(counts)
        weighted += [[name, max(1, round(PER_MILLION * share * count / total))]
                     for name, count in zip(group, counts)]
    return weighted


def build() -> str:
    barangays = barangay_names()
    document = {
        "generated_by": "tools/build_census_streets.py; weights from the PSGC barangay names",
        "town": weigh(TOWN, barangays),
        "subdivision": weigh(SUBDIVISION_ALL, barangays),
    }
    lines = ["{", f'  "generated_by": {json.dumps(document["generated_by"])},']
    for key in ("town", "subdivision"):
        rows = ",\n".join(f"    {json.dumps(row, ensure_ascii=False)}" for row in document[key])
        lines.append(f'  "{key}": [\n{rows}\n  ]' + ("," if key == "town" else ""))
    lines.append("}")
    return "\n".join(lines) + "\n"


def main() -> int:
    return write_or_check(OUTPUT, build, __doc__.splitlines()[0])


if __name__ == "__main__":
    sys.exit(main())
