#!/usr/bin/env python3
"""tools/build_census_employers.py: write data/census_employers.json, the patterns of employer names.

Philippine employers are named in a few set ways, which the patterns below follow: a family
business is the owner's surname and its trade ("Reyes Hardware", "Santos Trading"), registered
with the SEC as "... Corporation" or "..., Inc." once it incorporates; a company takes a coined
word or the owner's initials ("Golden Star Marketing Corporation", "JRC Construction"); and the
institutions of a town carry its name: "Rural Bank of Guinobatan, Inc.", "Pili Multi-Purpose
Cooperative", "Tanauan National High School", "Local Government of Bauan". The word lists are
written for this project from those customs (trades as the DTI's business name registrations
show them: hardware, trading, enterprises, construction supply, bakeshop, drugstore, agrivet
supply, water refilling station, lending, security agency), not taken from any list of fake
companies. The weights are a judgement. Confidence: the forms medium, the weights low.

  {"generated_by": ..., "forms": [[form, weight], ...], "trades": [[trade, weight], ...],
   "words": [[word, weight], ...], "suffixes": [[suffix, weight], ...]}

A form holds the slots {surname} (a surname of the census profile), {place} (the row's city or
municipality as written, without " City"), {word}, {initials} (three capital letters), {trade}
and {suffix}; src/core/census/employer.hpp fills them.

Usage:
  python tools/build_census_employers.py           # write data/census_employers.json
  python tools/build_census_employers.py --check   # exit 1 if the file is not what this writes
"""

from __future__ import annotations

import json
import re
import sys
from pathlib import Path

from generated_document import write_or_check

REPO = Path(__file__).resolve().parents[1]
OUTPUT = REPO / "data" / "census_employers.json"

FORMS = [
    ("{surname} {trade}", 30),
    ("{surname} {trade} {suffix}", 12),
    ("{word} {trade} {suffix}", 14),
    ("{word} {trade}", 6),
    ("{initials} {trade}", 5),
    ("{initials} {trade} {suffix}", 4),
    ("Rural Bank of {place}, Inc.", 3),
    ("{place} Multi-Purpose Cooperative", 4),
    ("{place} National High School", 3),
    ("{place} Central Elementary School", 3),
    ("Local Government of {place}", 4),
    ("{place} Doctors Hospital", 2),
    ("{place} Water District", 1),
]

TRADES = [
    ("Trading", 12), ("Enterprises", 12), ("Hardware", 8), ("Construction Supply", 5),
    ("Construction", 6), ("General Merchandise", 6), ("Marketing", 5), ("Bakeshop", 4),
    ("Drugstore", 3), ("Agrivet Supply", 3), ("Auto Supply", 3), ("Rice Mill", 2),
    ("Water Refilling Station", 3), ("Lending", 2), ("Security Agency", 3),
    ("Manpower Services", 2), ("Furniture", 2), ("Realty", 2), ("Grocery", 4),
    ("Poultry Farm", 2), ("Piggery", 1), ("Fishing", 1), ("Printing Press", 1),
    ("Transport", 2), ("Travel and Tours", 1), ("Engineering Services", 2), ("Machine Shop", 1),
    ("Metal Works", 1), ("Electrical Supply", 2), ("Lumber", 1), ("Steel", 1), ("Logistics", 2),
    ("Restaurant", 3), ("Eatery", 2), ("Resort", 1), ("Gasoline Station", 2), ("Pawnshop", 2),
    ("Dental Clinic", 1), ("Medical Clinic", 1), ("Computer Center", 1), ("Shipping Lines", 1),
    ("Farms", 2), ("Food Products", 2), ("Garments", 1), ("Glass and Aluminum", 1),
]

WORDS = [
    ("Golden", 4), ("Pacific", 3), ("Royal", 3), ("Prime", 3), ("Star", 3), ("Unity", 2),
    ("Bayanihan", 2), ("Maharlika", 2), ("Luzon", 1), ("Visayas", 1), ("Mindanao", 1),
    ("Philippine", 3), ("Metro", 2), ("Global", 3), ("First", 2), ("New", 2), ("Evergreen", 2),
    ("Sunrise", 2), ("Silangan", 1), ("Bagong Araw", 1), ("Tagumpay", 1), ("Magandang Buhay", 1),
    ("Lucky", 2), ("Triple J", 1), ("Goldstar", 1), ("Everlasting", 1), ("Sto. Niño", 2),
    ("San Jose", 1), ("Divine Mercy", 1), ("Holy Family", 1), ("Mabuhay", 2), ("Kabalikat", 1),
    ("Northern", 1), ("Southern", 1), ("Eastern", 1), ("Western", 1), ("Island", 1),
    ("Green Valley", 1), ("Blue Ocean", 1), ("Mountain View", 1),
]

SUFFIXES = [("Corporation", 5), ("Inc.", 4), ("Corp.", 2), ("Co.", 1), ("Company", 1)]


def weighted(rows) -> list[list]:
    names = [name for name, _ in rows]
    if len(set(names)) != len(names):
        raise SystemExit(f"a name is listed twice in {names}")
    return [[name, weight] for name, weight in rows]


def build() -> str:
    slots = {"surname", "place", "word", "initials", "trade", "suffix"}
    for form, _ in FORMS:
        unknown = set(re.findall(r"\{(\w+)\}", form)) - slots
        if unknown:
            raise SystemExit(f"unknown slot {unknown} in {form!r}")
    document = {
        "generated_by": "tools/build_census_employers.py",
        "forms": weighted(FORMS), "trades": weighted(TRADES), "words": weighted(WORDS),
        "suffixes": weighted(SUFFIXES),
    }
    return json.dumps(document, ensure_ascii=False, indent=1) + "\n"


def main() -> int:
    return write_or_check(OUTPUT, build, __doc__.splitlines()[0])


if __name__ == "__main__":
    sys.exit(main())
