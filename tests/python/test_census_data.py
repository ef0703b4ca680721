"""tests/python/test_census_data.py: the census documents stay in step with the address documents they overlay."""

from __future__ import annotations

import json
from pathlib import Path

import pytest

DATA = Path(__file__).resolve().parents[2] / "data"


def load(name: str):
    return json.loads((DATA / f"{name}.json").read_text(encoding="utf-8"))


@pytest.fixture(scope="module")
def places():
    """PSGC code -> record, for every province, city and barangay, with each city's province."""
    provinces, cities, barangays = {}, {}, {}
    for group in ("luzon", "visayas", "mindanao"):
        for region in load(group):
            for p in region["provinces"]:
                provinces[p["code"]] = p
                for c in p["cities_municipalities"]:
                    cities[c["code"]] = (p, c)
                    barangays.update((b["code"], (p, c, b)) for b in c["barangays"])
    return provinces, cities, barangays


def test_zip_overlay_fills_only_blanks_and_names_metro_manila_barangays(places):
    _, cities, barangays = places
    doc = load("census_zip")
    assert doc["cities"] and doc["barangays"]
    for code, zip_code in doc["cities"].items():
        assert cities[code][1]["zip_code"] == "" and len(zip_code) == 4 and zip_code.isdigit()
    for code, zip_code in doc["barangays"].items():
        province, _, _ = barangays[code]
        assert province["code"].startswith("13") and len(zip_code) == 4 and zip_code.isdigit()


def test_every_province_has_an_area_code_and_metro_manila_is_two(places):
    provinces, _, _ = places
    doc = {p["code"]: p for p in load("census_landline")["provinces"]}
    assert set(doc) == set(provinces)
    for code, entry in doc.items():
        areas = {a["area_code"] for a in entry["areas"]}
        in_area_2 = code.startswith("13") or provinces[code]["name"] == "Rizal"
        assert areas and (areas == {"2"}) == in_area_2 and (in_area_2 or "2" not in areas), entry


def test_mobile_prefixes_belong_to_one_network_each():
    carriers = load("census_mobile")["carriers"]
    prefixes = [p for c in carriers for p in c["prefixes"]]
    assert len(prefixes) == len(set(prefixes))
    assert {c["name"] for c in carriers} == {"Smart", "Globe", "DITO"}
    assert all(c["subscribers"] > 0 and c["prefixes"] for c in carriers)
