#!/usr/bin/env python3
"""tools/build_census_religion.py: write data/census_religion.json, religious affiliation by province.

The 2020 Census of Population and Housing (PSA) publishes religious affiliation for the country,
for every region and province; the figures below are the ones its releases and their reports
in the press state (titles in data/README.md). Where a release gives no figure for a region or
province, the share is modelled so that the published national and regional totals still hold:

  1. Each region gets its published Roman Catholic and Islam shares, or a prior (PRIOR_CATHOLIC,
     PRIOR_ISLAM) that is then scaled, over the regions without a published figure only, until
     the population-weighted national shares equal the published 78.8% and 6.4% (for Islam the
     published regions alone already come to about that, so the priors keep 60%).
  2. The rest of a region is split among the other affiliations by iterative proportional
     fitting: rows are the regions' remainders, columns the published national shares, seeded
     with the national mix times a regional tilt (TILT: Iglesia ni Cristo in Central Luzon and
     Metro Manila, Aglipay in Ilocos, other churches in the Cordillera).
  3. A province takes its region's row, except where a province figure is published
     (PROVINCE_FIGURES); the region's other provinces then absorb the difference so that the
     region keeps its total.

Population weights are the 2024 census counts carried by the address documents, which also give
the province list (Sulu sits in Region IX as the current geographic code has it; the published
BARMM figure is for BARMM with Sulu, which PROVINCE_FIGURES respects).

Usage: python tools/build_census_religion.py [--check]
"""

from __future__ import annotations

import sys

from census_tables import DATA_DIR, dumps, integer_shares, provinces
from generated_document import write_or_check

OUTPUT = DATA_DIR / "census_religion.json"
TOTAL = 10_000

# National shares of the household population, 2020 CPH (PSA special release of 22 February
# 2023 as reported by the Philippine Star, BusinessMirror and Manila Bulletin, 22-23 Feb 2023).
# "Evangelical" is not a category of that release: 2.4% is the Evangelicals (PCEC) share of
# the 2015 census carried over (low confidence); "Other" is the published remainder (8.2%)
# less that.
NATIONAL = {
    "Roman Catholic": 78.8,
    "Islam": 6.4,
    "Iglesia ni Cristo": 2.6,
    "Seventh-day Adventist": 0.8,
    "Aglipay": 0.8,
    "Iglesia Filipina Independiente": 0.6,
    "Bible Baptist Church": 0.5,
    "United Church of Christ in the Philippines": 0.4,
    "Jehovah's Witness": 0.4,
    "Church of Christ": 0.4,
    "Evangelical": 2.4,
    "None": 0.04,
    "Other": 5.86,
}
RELIGIONS = list(NATIONAL)

# Published regional shares (percent of household population, 2020 CPH). Codes are the
# address documents' region codes.
CATHOLIC = {
    "0500000000": 93.5,  # Bicol: PSA RSSO V special release
    "0800000000": 92.3,  # Eastern Visayas: PSA national release
    "0700000000": 90.5,  # Central Visayas: PSA national release
    "1900000000": 5.3,   # BARMM: PSA national release (Philippine Star)
    "1400000000": 61.8,  # CAR: 1,106,409 Roman Catholics (PSA RSSO CAR, Ifugao release) of 1.79 million
}
ISLAM = {
    "1900000000": 90.9,  # BARMM
    "0900000000": 18.2,  # Zamboanga Peninsula (without Sulu, as in 2020)
    "1200000000": 15.8,  # SOCCSKSARGEN
    "1000000000": 8.5,   # Northern Mindanao
    "1100000000": 3.5,   # Davao Region
    "1700000000": 3.5,   # MIMAROPA
}
# The Bicol release also gives its other affiliations; they replace the fitted row there.
BICOL_DETAIL = {"Iglesia ni Cristo": 1.6, "Seventh-day Adventist": 0.4, "Aglipay": 0.4,
                "Jehovah's Witness": 0.3, "Iglesia Filipina Independiente": 0.3,
                "Bible Baptist Church": 0.2, "United Church of Christ in the Philippines": 0.2}

# Priors for regions without a published figure (modelled, low confidence): the 2015 census
# pattern as remembered, rescaled in step 1.
PRIOR_CATHOLIC = {
    "1300000000": 82.0, "0100000000": 78.0, "0200000000": 82.0, "0300000000": 82.0,
    "0400000000": 82.0, "1700000000": 78.0, "0600000000": 86.0, "1800000000": 86.0,
    "0900000000": 62.0, "1000000000": 74.0, "1100000000": 72.0, "1200000000": 60.0,
    "1600000000": 74.0,
}
PRIOR_ISLAM = {
    "1300000000": 1.0, "0100000000": 0.2, "0200000000": 0.6, "0300000000": 0.4,
    "0400000000": 0.8, "0500000000": 0.2, "1400000000": 0.4, "0600000000": 0.3,
    "0700000000": 0.3, "0800000000": 0.2, "1800000000": 0.3, "1600000000": 0.6,
}
TILT = {
    ("0300000000", "Iglesia ni Cristo"): 2.0, ("1300000000", "Iglesia ni Cristo"): 1.8,
    ("0100000000", "Aglipay"): 6.0, ("0100000000", "Iglesia Filipina Independiente"): 3.0,
    ("1400000000", "Other"): 2.5, ("1400000000", "Evangelical"): 1.5,
    ("1200000000", "Evangelical"): 1.5, ("1600000000", "Evangelical"): 1.5,
    ("0600000000", "United Church of Christ in the Philippines"): 3.0,
    ("1800000000", "United Church of Christ in the Philippines"): 3.0,
}

# Published province figures: {code: {religion: percent}}. Sulu, Basilan and the Special
# Geographic Area have no figure at hand: their values are modelled so that BARMM as it was in
# 2020 (with Sulu) keeps its published 90.9% (see step 3 and the check in build()).
PROVINCE_FIGURES = {
    "0500500000": ({"Roman Catholic": 96.2}, "Albay 96.2% Roman Catholic (PSA RSSO V, 2020 CPH)"),
    "0502000000": ({"Roman Catholic": 95.6}, "Catanduanes 95.6% Roman Catholic (PSA RSSO V, 2020 CPH)"),
    "0506200000": ({"Roman Catholic": 94.0}, "Sorsogon 94.0% Roman Catholic (PSA RSSO V, 2020 CPH)"),
    "1402700000": ({"Roman Catholic": 49.24}, "Ifugao 49.24% Roman Catholic (PSA RSSO CAR, 2020 CPH)"),
    "1907000000": ({"Islam": 97.2}, "Tawi-Tawi 97.2% Islam (PSA, 2020 CPH)"),
    "1903600000": ({"Islam": 93.6}, "Lanao del Sur 93.6% Islam (PSA RSSO ARMM factsheet, 2015 POPCEN)"),
    "1908700000": ({"Islam": 82.0}, "Maguindanao del Norte with Cotabato City: Maguindanao 83.0% and Cotabato City 76.2% Islam (PSA RSSO ARMM factsheet, 2015 POPCEN), modelled"),
    "1908800000": ({"Islam": 85.0}, "Maguindanao del Sur: Maguindanao 83.0% Islam (PSA RSSO ARMM factsheet, 2015 POPCEN), modelled"),
    "0906600000": ({"Islam": 97.0}, "Sulu: modelled so that BARMM as of 2020 (with Sulu) is 90.9% Islam"),
    "1900700000": ({"Islam": 96.0}, "Basilan without Isabela City: modelled so that BARMM as of 2020 is 90.9% Islam"),
    "1999900000": ({"Islam": 96.0}, "Special Geographic Area: modelled like the BARMM province around it"),
    "1206300000": ({"Islam": 6.5}, "South Cotabato with General Santos: 5.43% and 8.70% Islam (PSA RSSO ARMM factsheet, 2015 POPCEN)"),
    "1204700000": ({"Islam": 24.0}, "Cotabato: about three in ten Muslim in 2015 (PSA RSSO ARMM factsheet), less the villages moved to the Special Geographic Area in 2024; modelled"),
    "0990100000": ({"Islam": 30.0}, "City of Isabela: modelled"),
    "1003500000": ({"Islam": 28.0}, "Lanao del Norte with Iligan: modelled to carry most of Northern Mindanao's 8.5%"),
    "1705300000": ({"Islam": 8.0}, "Palawan: modelled to carry most of MIMAROPA's 3.5%"),
    "1102400000": ({"Islam": 5.0}, "Davao del Sur with Davao City: modelled"),
}
# BARMM as the 2020 census counted it: its current provinces and Sulu.
BARMM = "1900000000"
SULU = "0906600000"
BARMM_2020 = ("1900700000", "1903600000", "1907000000", "1908700000", "1908800000", "1999900000", "0906600000")


def weighted(rows: dict[str, dict[str, float]], weights: dict[str, float], religion: str) -> float:
    mass = sum(weights[c] for c in rows)
    return sum(rows[c][religion] * weights[c] for c in rows) / mass


def region_rows(region_population: dict[str, float]) -> dict[str, dict[str, float]]:
    codes = list(region_population)
    total = sum(region_population.values())

    def calibrated(published: dict[str, float], prior: dict[str, float], target: float) -> dict[str, float]:
        fixed = sum(published[c] * region_population[c] for c in published) / total
        free = sum(prior[c] * region_population[c] for c in prior) / total
        # Weighted by 2024 counts the published regions can already exceed the national share
        # (BARMM grew fastest); the unpublished regions then keep 60% of their prior.
        scale = max(0.6, (target - fixed) / free)
        return {c: published.get(c, prior.get(c, 0.0) * scale) for c in codes}

    catholic = calibrated(CATHOLIC, PRIOR_CATHOLIC, NATIONAL["Roman Catholic"])
    islam = calibrated(ISLAM, PRIOR_ISLAM, NATIONAL["Islam"])
    others = [r for r in RELIGIONS if r not in ("Roman Catholic", "Islam")]
    seed = {c: {r: NATIONAL[r] * TILT.get((c, r), 1.0) for r in others} for c in codes}
    remainder = {c: 100.0 - catholic[c] - islam[c] for c in codes}
    bicol = "0500000000"
    for _ in range(200):
        for c in codes:  # rows: each region's remainder
            if c == bicol:
                continue
            mass = sum(seed[c].values())
            for r in others:
                seed[c][r] *= remainder[c] / mass
        for r in others:  # columns: national shares, Bicol's published detail held fixed
            target = NATIONAL[r] * total
            fixed = 0.0
            if r in BICOL_DETAIL:
                seed[bicol][r] = BICOL_DETAIL[r]
            fixed = seed[bicol][r] * region_population[bicol]
            free = sum(seed[c][r] * region_population[c] for c in codes if c != bicol)
            for c in codes:
                if c != bicol:
                    seed[c][r] *= (target - fixed) / free
        rest = [r for r in others if r not in BICOL_DETAIL]
        mass = sum(seed[bicol][r] for r in rest)
        for r in rest:
            seed[bicol][r] *= (remainder[bicol] - sum(BICOL_DETAIL.values())) / mass
    return {c: {"Roman Catholic": catholic[c], "Islam": islam[c], **seed[c]} for c in codes}


def province_rows(places: list[dict], regions: dict[str, dict[str, float]]) -> dict[str, dict[str, float]]:
    others = [r for r in RELIGIONS if r not in ("Roman Catholic", "Islam")]
    rows: dict[str, dict[str, float]] = {}
    by_region: dict[str, list[dict]] = {}
    for p in places:
        by_region.setdefault(p["region_2020"], []).append(p)
    for region, members in by_region.items():
        base = regions[region]
        for p in members:
            cited = PROVINCE_FIGURES.get(p["code"], ({}, ""))[0]
            row = {"Roman Catholic": base["Roman Catholic"], "Islam": base["Islam"]}
            if "Islam" in cited:
                row["Islam"] = cited["Islam"]
                row["Roman Catholic"] = base["Roman Catholic"] * (100 - cited["Islam"]) / (100 - base["Islam"])
            if "Roman Catholic" in cited:
                row["Roman Catholic"] = cited["Roman Catholic"]
                row["Islam"] = min(row["Islam"], 100 - cited["Roman Catholic"])
            rows[p["code"]] = row
        # Provinces without a figure absorb the difference so that the region keeps its totals.
        mass = sum(p["population"] for p in members)
        for religion in ("Roman Catholic", "Islam"):
            free = [p for p in members if religion not in PROVINCE_FIGURES.get(p["code"], ({}, ""))[0]]
            held = sum(rows[p["code"]][religion] * p["population"] for p in members if p not in free)
            free_mass = sum(rows[p["code"]][religion] * p["population"] for p in free)
            if free and free_mass > 0 and len(free) < len(members):
                scale = max(0.0, (base[religion] * mass - held) / free_mass)
                for p in free:
                    rows[p["code"]][religion] *= scale
        for p in members:
            row = rows[p["code"]]
            rest = 100.0 - row["Roman Catholic"] - row["Islam"]
            if rest < 0:
                raise SystemExit(f"{p['name']}: Roman Catholic and Islam exceed 100%")
            other_mass = sum(base[r] for r in others)
            for r in others:
                row[r] = base[r] * rest / other_mass
    return rows


def build() -> str:
    places = provinces()
    region_population: dict[str, float] = {}
    current_population: dict[str, float] = {}
    names: dict[str, str] = {}
    for p in places:
        # Regional figures describe the regions as the 2020 census drew them: Sulu in BARMM.
        p["region_2020"] = BARMM if p["code"] == SULU else p["region"]
        region_population[p["region_2020"]] = region_population.get(p["region_2020"], 0) + p["population"]
        current_population[p["region"]] = current_population.get(p["region"], 0) + p["population"]
        names[p["region"]] = p["region_name"]
    rows = province_rows(places, region_rows(region_population))
    weights = {p["code"]: p["population"] for p in places}
    regions = {
        code: {r: weighted({p["code"]: rows[p["code"]] for p in places if p["region"] == code}, weights, r) for r in RELIGIONS}
        for code in current_population
    }
    barmm = weighted({c: rows[c] for c in BARMM_2020}, weights, "Islam")
    if abs(barmm - ISLAM["1900000000"]) > 0.5:
        raise SystemExit(f"BARMM as of 2020 comes to {barmm:.2f}% Islam; revisit PROVINCE_FIGURES")

    def table(row: dict[str, float]) -> list[list[object]]:
        return [[r, w] for r, w in zip(RELIGIONS, integer_shares([row[r] for r in RELIGIONS], TOTAL))]

    document = {
        "generated_by": "tools/build_census_religion.py",
        "source": "PSA, 2020 Census of Population and Housing, religious affiliation of the household population; national, regional and some provincial figures as published, the rest modelled to keep the published totals (see data/README.md); weights per 10,000 persons",
        "religions": RELIGIONS,
        "national": {"source": "PSA 2020 CPH, national shares (Evangelical: 2015 census share carried over)",
                     "per_10000": table(NATIONAL)},
        "regions": {
            code: {
                "name": names[code],
                "source": "; ".join(filter(None, [
                    f"Roman Catholic {CATHOLIC[code]}% published" if code in CATHOLIC else "Roman Catholic modelled",
                    f"Islam {ISLAM[code]}% published" if code in ISLAM else "Islam modelled",
                    "other affiliations published" if code == "0500000000" else "other affiliations fitted to the national shares",
                ])),
                "per_10000": table(regions[code]),
            }
            for code in current_population
        },
        "provinces": {
            p["code"]: {
                "name": p["name"],
                "region": p["region"],
                "source": PROVINCE_FIGURES[p["code"]][1] if p["code"] in PROVINCE_FIGURES else "its region's shares, adjusted where a sibling province is published",
                "per_10000": table(rows[p["code"]]),
            }
            for p in places
        },
    }
    return dumps(document)


def main() -> int:
    return write_or_check(OUTPUT, build, __doc__.splitlines()[0])


if __name__ == "__main__":
    sys.exit(main())
