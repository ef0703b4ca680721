"""tests/python/test_address_data.py: shape and known facts of the generated address documents,
and the name normalisation and ZIP join of tools/build_address_data.py."""

from __future__ import annotations

import importlib.util
import json
import re
import sys
from functools import lru_cache
from pathlib import Path

import pytest

REPO = Path(__file__).resolve().parents[2]
DATA = REPO / "data"
FILES = ("luzon", "visayas", "mindanao")

REGION_KEYS = ["name", "code", "provinces"]
PROVINCE_KEYS = ["name", "code", "cities_municipalities"]
CITY_KEYS = ["name", "code", "type", "zip_code", "district", "barangays"]
BARANGAY_KEYS = ["name", "code", "status"]


@lru_cache(maxsize=None)
def load(name: str) -> list[dict]:
    return json.loads((DATA / f"{name}.json").read_text(encoding="utf-8"))


def regions() -> list[dict]:
    return [r for f in FILES for r in load(f)]


def cities():
    """(region, province, city) for every city or municipality."""
    for r in regions():
        for p in r["provinces"]:
            for c in p["cities_municipalities"]:
                yield r, p, c


def find_city(province: str, city: str) -> tuple[dict, dict, dict]:
    hits = [t for t in cities() if t[1]["name"] == province and t[2]["name"] == city]
    assert len(hits) == 1, f"{city} in {province}: {len(hits)} entries"
    return hits[0]


# --- files and layout ---------------------------------------------------------------------------

@pytest.mark.parametrize("name, codes", [
    ("luzon", ["01", "02", "03", "04", "17", "05", "13", "14"]),
    ("visayas", ["06", "07", "08", "18"]),
    ("mindanao", ["09", "10", "11", "12", "16", "19"]),
])
def test_regions_per_file_in_published_order(name, codes):
    assert [r["code"][:2] for r in load(name)] == codes


def test_eighteen_regions_with_unique_names():
    names = [r["name"] for r in regions()]
    assert len(names) == 18 and len(set(names)) == 18


@pytest.mark.parametrize("name", FILES)
def test_file_is_pretty_printed_utf8(name):
    text = (DATA / f"{name}.json").read_text(encoding="utf-8")
    # Exactly what the converter writes: the C++ reader gets UTF-8, not \u escapes.
    assert text == json.dumps(load(name), ensure_ascii=False, indent=2) + "\n"
    assert "\\u" not in text


def test_accented_names_are_literal_utf8():
    assert "City of Parañaque" in (DATA / "luzon.json").read_text(encoding="utf-8")


def test_every_record_has_all_fields_in_declared_order():
    for r in regions():
        assert list(r) == REGION_KEYS  # no region-level "cities_municipalities"
        for p in r["provinces"]:
            assert list(p) == PROVINCE_KEYS
            for c in p["cities_municipalities"]:
                assert list(c) == CITY_KEYS
                for b in c["barangays"]:
                    assert list(b) == BARANGAY_KEYS


def test_text_fields_are_strings_without_surrounding_space():
    for r, p, c in cities():
        for rec in (r, p, c, *c["barangays"]):
            for key, value in rec.items():
                if not isinstance(value, list):
                    assert isinstance(value, str), (key, rec["code"])
            assert rec["name"] and rec["name"] == rec["name"].strip(), rec["code"]


# --- codes ------------------------------------------------------------------------------------

def test_codes_are_ten_digits_and_unique():
    codes = []
    for r, p, c in cities():
        codes += [c["code"]] + [b["code"] for b in c["barangays"]]
    codes += [r["code"] for r in regions()]
    codes += [p["code"] for r in regions() for p in r["provinces"]]
    assert all(re.fullmatch(r"\d{10}", code) for code in codes)
    assert len(codes) == len(set(codes))


def test_codes_agree_with_their_parents():
    for r in regions():
        assert r["code"].endswith("00000000")
        for p in r["provinces"]:
            assert p["code"][:2] == r["code"][:2] and p["code"].endswith("00000")
    for r, p, c in cities():
        assert c["code"][:2] == r["code"][:2] and c["code"].endswith("000")
        if c["code"][:5] != p["code"][:5]:
            # Two documented exceptions: Metro Manila's cities sit under the PSGC district that
            # holds them, and a highly urbanised city (a province-level code, xxyyy00000) sits
            # under the province it lies in.
            assert r["code"] == "1300000000" or (c["type"] == "City" and c["code"].endswith("00000")), c
        for b in c["barangays"]:
            assert b["code"][:7] == c["code"][:7], (c["code"], b["code"])


# --- nothing empty ------------------------------------------------------------------------------

def test_no_empty_level_so_every_draw_yields_an_address():
    for r in regions():
        assert r["provinces"], r["name"]
        for p in r["provinces"]:
            assert p["cities_municipalities"], p["name"]
    for _, p, c in cities():
        assert c["barangays"], (p["name"], c["name"])


def test_totals():
    all_cities = list(cities())
    assert len(all_cities) == 1655
    assert sum(len(c["barangays"]) for _, _, c in all_cities) == 42010


# --- Metro Manila -------------------------------------------------------------------------------

def ncr() -> dict:
    (region,) = [r for r in regions() if r["code"] == "1300000000"]
    return region


def test_ncr_has_its_four_districts():
    assert [p["name"] for p in ncr()["provinces"]] == [
        "NCR, City of Manila, First District (Not a Province)",
        "NCR, Second District (Not a Province)",
        "NCR, Third District (Not a Province)",
        "NCR, Fourth District (Not a Province)",
    ]
    assert [len(p["cities_municipalities"]) for p in ncr()["provinces"]] == [14, 5, 4, 7]


def test_manila_is_reached_through_its_fourteen_submunicipalities():
    first = ncr()["provinces"][0]["cities_municipalities"]
    assert {c["type"] for c in first} == {"SubMun"}
    assert len(first) == 14 and first[0]["name"] == "Tondo I/II"
    names = {c["name"] for _, _, c in cities()}
    assert "City of Manila" not in names


def test_metro_manila_cities_only_in_ncr():
    ncr_names = {c["name"] for p in ncr()["provinces"] for c in p["cities_municipalities"]}
    assert {"Quezon City", "City of Makati", "Pateros", "City of Taguig"} <= ncr_names
    for r, p, c in cities():
        if r["code"] != "1300000000":
            assert not c["code"].startswith("13"), (p["name"], c["name"])
            assert c["name"] not in ncr_names - {"San Miguel", "San Nicolas", "Quiapo", "Santa Ana",
                                                   "Santa Cruz", "Paco", "Ermita", "Binondo",
                                                   "Malate", "Sampaloc", "Pandacan",
                                                   "Intramuros", "Port Area"}, (p["name"], c["name"])


def test_sarangani_holds_only_its_own_municipalities():
    ((_, prov),) = [(r, p) for r in regions() for p in r["provinces"] if p["name"] == "Sarangani"]
    towns = prov["cities_municipalities"]
    assert len(towns) == 7
    assert all(c["code"].startswith("12080") and c["type"] == "Mun" for c in towns)


# --- field values -------------------------------------------------------------------------------

def test_types_and_special_geographic_area():
    for r, p, c in cities():
        assert c["type"] in {"City", "Mun", "SubMun", "SGU"}
        is_sga = c["code"].startswith("19999")
        assert (c["type"] == "SGU") == is_sga
        assert (p["name"] == "Special Geographic Area") == is_sga
        assert c["type"] != "SubMun" or p["code"] == "1303900000"


def test_zip_district_and_status_formats():
    for _, _, c in cities():
        assert re.fullmatch(r"\d{4}|", c["zip_code"])
        assert c["district"] in {"", "1st", "2nd", "3rd", "4th", "5th", "6th", "Lone"}
        for b in c["barangays"]:
            assert re.fullmatch(r"\d+|-", b["status"]), b


def test_zip_coverage_at_least_97_percent():
    all_cities = list(cities())
    with_zip = sum(bool(c["zip_code"]) for _, _, c in all_cities)
    assert with_zip / len(all_cities) >= 0.97


def test_zip_codes_are_not_shared_between_cities():
    # A code handed to two places would mean the join picked a shared boundary-area row.
    seen: dict[str, str] = {}
    for _, p, c in cities():
        if c["zip_code"]:
            assert c["zip_code"] not in seen, (c["name"], seen.get(c["zip_code"]))
            seen[c["zip_code"]] = c["name"]


@pytest.mark.parametrize("region, province, city, zip_code", [
    # The postal directory gives Bacarra 2916 (2902 is Paoay's).
    ("Region I (Ilocos Region)", "Ilocos Norte", "Bacarra", "2916"),
    ("Cordillera Administrative Region (CAR)", "Benguet", "City of Baguio", "2600"),
    ("Region VII (Central Visayas)", "Cebu", "City of Cebu", "6000"),
    ("Region VII (Central Visayas)", "Cebu", "City of Lapu-Lapu", "6015"),
    ("Region XI (Davao Region)", "Davao del Sur", "City of Davao", "8000"),
    ("Region IX (Zamboanga Peninsula)", "Zamboanga del Sur", "City of Zamboanga", "7000"),
    ("Negros Island Region (NIR)", "Negros Occidental", "City of Bacolod", "6100"),
    ("Region IX (Zamboanga Peninsula)", "Sulu", "Jolo", "7400"),
    ("Bangsamoro Autonomous Region In Muslim Mindanao (BARMM)", "Maguindanao del Norte",
     "City of Cotabato", "9600"),
    ("Region III (Central Luzon)", "Bulacan", "City of Baliwag", "3006"),
    ("Region X (Northern Mindanao)", "Misamis Occidental", "City of Ozamiz", "7200"),
    ("National Capital Region (NCR)", "NCR, Second District (Not a Province)", "Quezon City", "1100"),
    ("National Capital Region (NCR)", "NCR, Third District (Not a Province)", "City of Malabon", "1470"),
    ("National Capital Region (NCR)", "NCR, City of Manila, First District (Not a Province)",
     "Ermita", "1000"),
])
def test_known_places(region, province, city, zip_code):
    r, _, c = find_city(province, city)
    assert r["name"] == region
    assert c["zip_code"] == zip_code


def test_bani_of_bacarra():
    _, _, c = find_city("Ilocos Norte", "Bacarra")
    assert "Bani" in {b["name"] for b in c["barangays"]}


def test_population_is_carried_as_status():
    populations = [int(b["status"]) for _, _, c in cities() for b in c["barangays"] if b["status"] != "-"]
    assert len(populations) > 42000 and max(populations) > 100000


# --- converter helpers --------------------------------------------------------------------------

@pytest.fixture(scope="module")
def conv():
    spec = importlib.util.spec_from_file_location("build_address_data", REPO / "tools" / "build_address_data.py")
    mod = importlib.util.module_from_spec(spec)
    sys.modules[spec.name] = mod  # dataclasses look their module up while the class is built
    spec.loader.exec_module(mod)
    return mod


@pytest.mark.parametrize("name, keys", [
    ("City of Baliwag", ["baliwag"]),
    ("Baguio City", ["baguio"]),
    ("Science City of Muñoz", ["munoz"]),
    ("Sta. Cruz", ["santa cruz"]),
    ("Sto. Tomas", ["santo tomas"]),
    ("Gen. S.K. Pendatun", ["general s k pendatun"]),
    ("Pres. Carlos P. Garcia", ["president carlos p garcia"]),
    ("Lapu-Lapu", ["lapu lapu"]),
    ("Banguingui (formerly Tongkil)", ["banguingui", "tongkil"]),
    ("Montalban (Rodriguez)", ["montalban", "rodriguez"]),
])
def test_name_keys(conv, name, keys):
    assert conv.name_keys(name) == keys


POSTAL = """post_code,municipality,location,region
1409,Kaunlaran Village,Malabon City,NCR
1470,Malabon,Malabon City,NCR
1401,Baesa,Caloocan City (South),NCR
1400,Caloocan City CPO,Caloocan City (South),NCR
1013,Tondo North,Manila,NCR
1012,Tondo South,Manila,NCR
1000,Manila CPO - Ermita,Manila,NCR
0911,Philippine Statistics Authority,Companies/Institutions,NCR
2930,Bacarra,Ilocos Norte,I
2916,Bacarra,Ilocos Norte,I
9631,Datu Montawal (formerly Pagagawan),Maguindanao,XII
4300,Lucena City,Quezon Province,IV-A
3006,Baliuag,Bulacan,III
3007,Bustos,Bulacan,III
"""


@pytest.fixture()
def index(conv, tmp_path):
    path = tmp_path / "postal.csv"
    path.write_text(POSTAL, encoding="utf-8")
    return conv.ZipIndex(conv.read_postal(path))


@pytest.mark.parametrize("province, city, expected", [
    ("ilocos norte", "Bacarra", "2916"),                  # several rows: lowest code
    ("maguindanao del sur", "Pagagawan", "9631"),         # old single Maguindanao, former name
    ("maguindanao del norte", "Pagagawan", "9631"),
    ("quezon", "City of Lucena", "4300"),                 # "Quezon Province", "City of"/"City"
    ("bulacan", "City of Baliwag", "3006"),               # alias table
    ("bulacan", "Baliwag", "3006"),
    ("bulacan", "Bustamante", ""),                        # no fuzzy pairing with Bustos
    ("ilocos sur", "Bacarra", ""),                        # joined by province too
])
def test_zip_lookup(index, province, city, expected):
    assert index.lookup(province, city) == expected


@pytest.mark.parametrize("city, submun_of, expected", [
    ("City of Caloocan", None, "1400"),                   # main post office row wins
    ("City of Malabon", None, "1470"),                    # row named after the city, not 1409
    ("Tondo I/II", "City of Manila", "1012"),
    ("Ermita", "City of Manila", "1000"),
    ("City of Pasig", None, ""),
])
def test_zip_lookup_metro_manila(index, city, submun_of, expected):
    assert index.lookup_ncr(city, submun_of) == expected


def test_company_rows_are_not_places(conv, tmp_path):
    path = tmp_path / "postal.csv"
    path.write_text(POSTAL, encoding="utf-8")
    assert "0911" not in {row.code for row in conv.read_postal(path)}
