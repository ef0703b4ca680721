#!/usr/bin/env python3
"""tools/build_written_places.py: write data/census_written_places.json, place names as Filipinos write them.

The address documents (data/luzon.json, visayas.json, mindanao.json) carry the Philippine Standard
Geographic Code's official labels: "City of Davao", "NCR, Second District (Not a Province)",
"Bgy. No. 42, Apaya". Addresses are not written that way. This script applies a fixed list of
rewrites to every region, province, city or municipality and barangay, and writes the label of
each place whose written form differs from its official one, keyed by its PSGC code:

  {"generated_by": ..., "regions": {code: label}, "provinces": {...}, "cities": {...},
   "barangays": {...}}

The rules (each is checked below to apply where expected, so a renamed source entry fails loudly):

Regions, as they are named in speech and in the press: "Region I (Ilocos Region)" -> "Ilocos
  Region", "Region IV-A (CALABARZON)" -> "CALABARZON", "MIMAROPA Region" -> "MIMAROPA", "National
  Capital Region (NCR)" -> "NCR", "Bangsamoro Autonomous Region In Muslim Mindanao (BARMM)" ->
  "BARMM" and so on (the table REGIONS).
Provinces:
  * the four PSGC districts of the National Capital Region ("NCR, Second District (Not a
    Province)") -> "Metro Manila": an address in Pasig reads "Pasig City, Metro Manila";
  * "City of Isabela (Not a Province)" -> "Basilan": Isabela City lies on Basilan island and is
    written "Isabela City, Basilan", though it is administered under Region IX and not by the
    province;
  * every other province keeps its name ("Special Geographic Area" included: the BARMM's eight
    municipalities there have no other province-level name).
Cities and municipalities:
  * "City of X" -> "X City" ("City of Davao" -> "Davao City", "City of Makati" -> "Makati City"),
    the way cities are written in addresses and signed at their boundaries;
  * the fourteen districts of Manila (PSGC sub-municipalities such as "Sampaloc" and "Tondo I/II")
    -> "Manila": the city is written "Manila", never "Manila City", and its barangays are numbered
    across the whole city (Barangay 1 to 905), so the district adds nothing to an address;
  * "Science City of Muñoz" and "Island Garden City of Samal" keep their official names, which
    are also the names in use;
  * "De"/"Del" inside a name are written in lower case ("Cagayan de Oro City", "San Jose del
    Monte City", "Abra de Ilog", "Lope de Vega", "San Jose de Buan").
Barangays:
  * a "*" (the PSGC's mark on a few names) is dropped;
  * "Bgy." and the misspelt "Bry." are written out as "Barangay";
  * no written name holds a comma, so a full address can be split on commas:
      - before a suffix of a person's name the comma goes ("Don Mariano Perez, Sr." ->
        "Don Mariano Perez Sr."), as the names are written on barangay halls;
      - Baguio's positional qualifiers move in front or follow without the comma, as Baguio
        writes them ("Dagsian, Upper" -> "Upper Dagsian", "Quirino Hill, East" -> "Quirino Hill
        East", "Lourdes Subdivision, Proper" -> "Lourdes Subdivision Proper");
      - a place qualifier goes in parentheses ("Liponpon, Isla Verde" -> "Liponpon (Isla
        Verde)", "Libertad, Santa Isabel" -> "Libertad (Santa Isabel)");
      - a list of numbers is joined with hyphens ("Pili 1, 2, 3" -> "Pili 1-2-3");
      - a numbered barangay with its name loses the comma ("Barangay No. 42, Apaya" ->
        "Barangay No. 42 Apaya"), the way Laoag writes them.
    The prefix "Brgy." of a full address is added by the address writer, not stored here.

Usage:
  python tools/build_written_places.py           # write data/census_written_places.json
  python tools/build_written_places.py --check   # exit 1 if the file is not what this writes

Deterministic: the same address documents give byte-identical output. Needs only Python 3.10+.
"""

from __future__ import annotations

import json
import re
import sys
from pathlib import Path

from generated_document import write_or_check

REPO = Path(__file__).resolve().parents[1]
DATA_DIR = REPO / "data"
OUTPUT = DATA_DIR / "census_written_places.json"
SOURCES = ("luzon.json", "visayas.json", "mindanao.json")

REGIONS = {
    "Region I (Ilocos Region)": "Ilocos Region",
    "Region II (Cagayan Valley)": "Cagayan Valley",
    "Region III (Central Luzon)": "Central Luzon",
    "Region IV-A (CALABARZON)": "CALABARZON",
    "MIMAROPA Region": "MIMAROPA",
    "Region V (Bicol Region)": "Bicol Region",
    "National Capital Region (NCR)": "NCR",
    "Cordillera Administrative Region (CAR)": "Cordillera Administrative Region",
    "Region VI (Western Visayas)": "Western Visayas",
    "Region VII (Central Visayas)": "Central Visayas",
    "Region VIII (Eastern Visayas)": "Eastern Visayas",
    "Negros Island Region (NIR)": "Negros Island Region",
    "Region IX (Zamboanga Peninsula)": "Zamboanga Peninsula",
    "Region X (Northern Mindanao)": "Northern Mindanao",
    "Region XI (Davao Region)": "Davao Region",
    "Region XII (SOCCSKSARGEN)": "SOCCSKSARGEN",
    "Region XIII (Caraga)": "Caraga",
    "Bangsamoro Autonomous Region In Muslim Mindanao (BARMM)": "BARMM",
}

METRO_MANILA = "Metro Manila"
ISABELA_PROVINCE = ("City of Isabela (Not a Province)", "Basilan")
CITIES_KEPT = ("Science City of Muñoz", "Island Garden City of Samal")
NAME_SUFFIXES = ("Sr.", "Jr.")
BAGUIO_FRONT = ("Upper", "Lower", "Middle")
BAGUIO_AFTER = ("East", "West", "North", "South", "North Central", "South Central", "Proper",
                "Central")
NUMBERED = re.compile(r"^Barangay No\. [0-9A-Z-]+$")


def region_label(name: str) -> str:
    if name not in REGIONS:
        raise SystemExit(f"no written form for region {name!r}: add it to REGIONS")
    return REGIONS[name]


def province_label(name: str) -> str:
    if name.startswith("NCR, ") and name.endswith("(Not a Province)"):
        return METRO_MANILA
    if name == ISABELA_PROVINCE[0]:
        return ISABELA_PROVINCE[1]
    if "(Not a Province)" in name:
        raise SystemExit(f"unexpected province-level entry {name!r}")
    return name


def lower_particles(name: str) -> str:
    return re.sub(r"(?<=\S) (De|Del) ", lambda m: f" {m.group(1).lower()} ", name)


def city_label(name: str, kind: str) -> str:
    if kind == "SubMun":
        return "Manila"
    if name in CITIES_KEPT:
        return name
    if name.startswith("City of "):
        name = name[len("City of "):] + " City"
    elif "City of" in name:
        raise SystemExit(f"unexpected city name {name!r}: add a rule")
    return lower_particles(name)


def without_comma(name: str) -> str:
    head, _, tail = name.partition(", ")
    if tail in NAME_SUFFIXES or tail.split(" ")[0] in NAME_SUFFIXES:
        return f"{head} {tail}"
    if tail in BAGUIO_FRONT:
        return f"{tail} {head}"
    if tail in BAGUIO_AFTER:
        return f"{head} {tail}"
    if re.fullmatch(r"[0-9]+(, [0-9]+)+", tail):
        return head + "-" + tail.replace(", ", "-")
    if NUMBERED.match(head):
        return f"{head} {tail}"
    return f"{head} ({tail})"


def barangay_label(name: str) -> str:
    name = name.replace("*", "").strip()
    name = re.sub(r"^(Bgy\.|Bry\.) ", "Barangay ", name)
    while ", " in name:
        name = without_comma(name)
    if "," in name:
        raise SystemExit(f"comma left in barangay {name!r}")
    return re.sub(r" {2,}", " ", name)


def build() -> str:
    sections: dict[str, dict[str, str]] = {
        "regions": {}, "provinces": {}, "cities": {}, "barangays": {}}

    def note(section: str, code: str, official: str, written: str) -> None:
        if not written:
            raise SystemExit(f"empty written label for {official!r} ({code})")
        if written != official:
            sections[section][code] = written

    for source in SOURCES:
        for region in json.loads((DATA_DIR / source).read_text(encoding="utf-8")):
            note("regions", region["code"], region["name"], region_label(region["name"]))
            for province in region["provinces"]:
                note("provinces", province["code"], province["name"],
                     province_label(province["name"]))
                for city in province["cities_municipalities"]:
                    note("cities", city["code"], city["name"], city_label(city["name"], city["type"]))
                    for barangay in city["barangays"]:
                        note("barangays", barangay["code"], barangay["name"],
                             barangay_label(barangay["name"]))
    document = {"generated_by": "tools/build_written_places.py from the address documents"}
    for section, labels in sections.items():
        document[section] = dict(sorted(labels.items()))
    return json.dumps(document, ensure_ascii=False, indent=2) + "\n"


def main() -> int:
    return write_or_check(OUTPUT, build, __doc__.splitlines()[0])


if __name__ == "__main__":
    sys.exit(main())
