#!/usr/bin/env python3
"""tools/build_phone_data.py: write data/census_landline.json and data/census_mobile.json from the pinned phonenumbers wheel.

Landlines: each province of the address documents gets the area codes that phonenumbers'
geocoding data gives it (PH prefixes such as +63 32 -> "Cebu"); a province the geocoder does not
name takes its code from the cited table below. Within an area code, the first two subscriber
digits that the geocoder assigns to an exchange of another province are left out, so no number
of a province is placed by libphonenumber in a different one.

Mobiles: every three-digit prefix that libphonenumber accepts as MOBILE and its carrier data
assigns to a network; the networks' subscriber counts (cited below) weight them.

The wheel is downloaded with pip and imported from the zip file, never installed. Usage:
  python tools/build_phone_data.py                 # download the pinned wheel, write both files
  python tools/build_phone_data.py --wheel W.whl   # offline, from a wheel already at hand

The output is deterministic, and every number shape it allows is checked against the wheel's
own validity and geocoding before anything is written.
"""

from __future__ import annotations

import argparse
import importlib
import json
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))  # siblings, also when loaded by path
import pinned_wheel  # noqa: E402
from build_address_data import DATA_DIR, REGION_ORDER  # noqa: E402

VERSION = pinned_wheel.pin("phonenumbers")[0]

# The geocoder's place names that are not a current province name.
GEO_NAME_ALIASES: dict[str, tuple[str, ...]] = {
    "Western Samar": ("Samar",),
    "North Cotabato": ("Cotabato",),
    "Kalinga-Apayao": ("Kalinga", "Apayao"),  # one province until 1995
    "Cagayan Valley": ("Cagayan",),  # listed among provinces; the region is all area 78
    "Davao": ("Davao del Sur",),  # Davao City, which the documents place in Davao del Sur
}

# Area codes of the provinces the geocoder does not name. Source: the fixed-line area code table
# of "Telephone numbers in the Philippines" and each province's infobox ("IDD : area code") on
# English Wikipedia (CC BY-SA 4.0), read 2025; both follow the NTC's numbering plan. Metro
# Manila and Rizal share area 2, since 2019 with eight-digit subscriber numbers.
AREA_CODE_TABLE: dict[str, tuple[str, ...]] = {
    "NCR, City of Manila, First District (Not a Province)": ("2",),
    "NCR, Second District (Not a Province)": ("2",),
    "NCR, Third District (Not a Province)": ("2",),
    "NCR, Fourth District (Not a Province)": ("2",),
    "Rizal": ("2",),
    "Aurora": ("42",),
    "Bataan": ("47",),
    "Nueva Ecija": ("44",),
    "Tarlac": ("45",),
    "Laguna": ("49",),
    "Marinduque": ("42",),
    "Occidental Mindoro": ("43",),
    "Oriental Mindoro": ("43",),
    "Romblon": ("42",),
    "Camarines Norte": ("54",),
    "Catanduanes": ("52",),
    "Guimaras": ("33",),
    "Siquijor": ("35",),
    "Biliran": ("53",),
    "Eastern Samar": ("55",),
    "Northern Samar": ("55",),
    "Southern Leyte": ("53",),
    "Sulu": ("68",),
    "Zamboanga Sibugay": ("62",),
    "City of Isabela (Not a Province)": ("62",),
    "Camiguin": ("88",),
    "Davao de Oro": ("87",),
    "Davao Occidental": ("82",),
    "Sultan Kudarat": ("64",),
    "Sarangani": ("83",),
    "Surigao del Norte": ("86",),
    "Dinagat Islands": ("86",),
    "Basilan": ("62",),
    "Tawi-Tawi": ("68",),
    "Maguindanao del Norte": ("64",),
    "Maguindanao del Sur": ("64",),
    "Special Geographic Area": ("64",),
}

# Subscriber numbers: eight digits from 3 to 8 in area 2 (the first digit names the carrier),
# seven digits not starting with 0 elsewhere. Leads are the first two digits.
METRO_MANILA = "2"
LEADS = {METRO_MANILA: (8, 30, 89)}
OTHER_LEADS = (7, 10, 99)

# Mobile subscribers at the end of 2023, as reported by the operators (Smart: PLDT's 57.8 million,
# Globe: 57.0 million, DITO: about 10 million); summarised by Malaya Business Insight, "Mobile
# subscribers fall post-SIM registration", 2024. Counts after the SIM registration purge.
CARRIER_SUBSCRIBERS: dict[str, int] = {"Smart": 57_800_000, "Globe": 57_000_000, "DITO": 10_000_000}
CARRIER_NAMES = {"Dito": "DITO"}  # the geocoder's spelling -> the brand's


def load_phonenumbers(wheel: Path):
    sys.path.insert(0, str(pinned_wheel.verified(wheel, "phonenumbers")))
    module = importlib.import_module("phonenumbers")
    if module.__version__ != VERSION or not module.__file__.startswith(str(wheel)):
        raise SystemExit(f"imported phonenumbers {module.__version__} from {module.__file__}, "
                         f"not the pinned {VERSION} wheel")
    return module


def provinces() -> list[dict]:
    out = []
    for group in REGION_ORDER:
        for region in json.loads((DATA_DIR / f"{group}.json").read_text(encoding="utf-8")):
            out.extend({"name": p["name"], "code": p["code"]} for p in region["provinces"])
    return out


def geo_places(description: str) -> set[str]:
    return {name for part in description.split("/") for name in GEO_NAME_ALIASES.get(part, (part,))}


def landline_document(pn) -> dict:
    from phonenumbers.geodata import GEOCODE_DATA
    geo = {key[2:]: geo_places(value["en"]) for key, value in GEOCODE_DATA.items()
           if key.startswith("63")}
    if any(len(key) not in (2, 4) for key in geo):
        raise SystemExit("PH geocoding keys are no longer area code or area code and lead")
    names = {p["name"] for p in provinces()}
    unknown = set().union(*geo.values()) - names
    if unknown:
        raise SystemExit(f"geocoder places that are no province of the documents: {sorted(unknown)}")

    entries = []
    for province in provinces():
        name = province["name"]
        from_geo = sorted({key[:2] for key, places in geo.items() if name in places})
        if from_geo and name in AREA_CODE_TABLE:
            raise SystemExit(f"{name} is in the geocoder and the table; keep one source")
        codes = from_geo or list(AREA_CODE_TABLE.get(name, ()))
        if not codes:
            raise SystemExit(f"no area code for {name}")
        areas = []
        for code in codes:
            digits, first, last = LEADS.get(code, OTHER_LEADS)
            # Leads the geocoder gives to an exchange of another province.
            excluded = sorted(int(key[2:]) for key, places in geo.items()
                              if len(key) == 4 and key[:2] == code and name not in places)
            areas.append({"area_code": code, "subscriber_digits": digits, "first_lead": first,
                          "last_lead": last, "excluded_leads": excluded})
            check_landlines(pn, name, areas[-1], geo)
        entries.append({"code": province["code"], "name": name,
                        "source": "phonenumbers" if from_geo else "table", "areas": areas})
    return {"generated_by": f"tools/build_phone_data.py from phonenumbers {VERSION}",
            "provinces": entries}


def check_landlines(pn, province: str, area: dict, geo: dict[str, set[str]]) -> None:
    """Every lead allowed gives valid FIXED_LINE numbers that the geocoder places in the province,
    in no place at all, or at the level of the whole area code (whose namesake it may be)."""
    from phonenumbers import geocoder
    code, digits = area["area_code"], area["subscriber_digits"]
    for lead in range(area["first_lead"], area["last_lead"] + 1):
        if lead in area["excluded_leads"]:
            continue
        for rest in ("0" * (digits - 2), "9" * (digits - 2)):
            number = pn.parse(f"+63{code}{lead}{rest}")
            if not (pn.is_valid_number(number)
                    and pn.number_type(number) == pn.PhoneNumberType.FIXED_LINE):
                raise SystemExit(f"{province}: {code} {lead}{rest} is not a valid fixed line")
            places = geo_places(geocoder.description_for_number(number, "en"))
            if not (province in places or places == {"Philippines"} or places == geo.get(code)):
                raise SystemExit(f"{province}: {code} {lead}{rest} is placed in {places}")


def mobile_document(pn) -> dict:
    from phonenumbers import carrier
    prefixes: dict[str, list[str]] = {name: [] for name in CARRIER_SUBSCRIBERS}
    for prefix in range(800, 1000):
        numbers = [pn.parse(f"+63{prefix}{rest}") for rest in ("0000000", "9999999")]
        if not all(pn.is_valid_number(n) and pn.number_type(n) == pn.PhoneNumberType.MOBILE
                   for n in numbers):
            continue
        names = {carrier.name_for_number(n, "en") for n in numbers}
        if len(names) != 1:
            raise SystemExit(f"prefix {prefix} has several carriers: {names}")
        name = names.pop()
        if not name:
            continue  # valid but unassigned: no network issues it
        name = CARRIER_NAMES.get(name, name)
        if name not in prefixes:
            raise SystemExit(f"prefix {prefix}: carrier {name!r} has no subscriber count")
        prefixes[name].append(str(prefix))
    return {"generated_by": f"tools/build_phone_data.py from phonenumbers {VERSION}",
            "carriers": [{"name": name, "subscribers": CARRIER_SUBSCRIBERS[name],
                          "prefixes": prefixes[name]} for name in CARRIER_SUBSCRIBERS]}


def write(doc: dict, path: Path) -> None:
    path.write_text(json.dumps(doc, ensure_ascii=False, indent=2) + "\n", encoding="utf-8",
                    newline="\n")


def main(argv: list[str] | None = None) -> int:
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--wheel", type=Path,
                    help=f"an existing phonenumbers-{VERSION} wheel (skips the download)")
    ap.add_argument("--out", type=Path, default=DATA_DIR, help="folder for the two JSON files")
    args = ap.parse_args(argv)

    with tempfile.TemporaryDirectory() as tmp:
        pn = load_phonenumbers(args.wheel or pinned_wheel.fetch("phonenumbers", Path(tmp)))
        landline, mobile = landline_document(pn), mobile_document(pn)
    write(landline, args.out / "census_landline.json")
    write(mobile, args.out / "census_mobile.json")
    return 0


if __name__ == "__main__":
    sys.exit(main())
