#!/usr/bin/env python3
"""bench/names_preview.py: draw a million people from the census name documents and print the figures.

A pure numpy stand-in for the engine, to tune the data before the C++ drawer reads it: place by
barangay population, age and sex from census_population.json (ages 0-100, "80 and over" spread
with each year 85% of the one before), religion by province, surname group by province and
religion, surname within the group, given name by sex, birth decade and Muslim or not. Prints
the targets of the names issue side by side with the measured figures.

Usage: python bench/names_preview.py [--rows 1000000] [--seed 1]
"""

from __future__ import annotations

import argparse
import json
import time
from pathlib import Path

import numpy as np

DATA = Path(__file__).resolve().parents[1] / "data"
AS_OF_YEAR = 2026
BARMM = "1900000000"


def load(name: str) -> dict:
    return json.loads((DATA / name).read_text(encoding="utf-8"))


def draw(rng: np.random.Generator, weights, size: int) -> np.ndarray:
    p = np.asarray(weights, dtype=float)
    return rng.choice(len(p), size=size, p=p / p.sum())


def places(rng: np.random.Generator, rows: int) -> tuple[np.ndarray, list[str], list[str]]:
    province_codes, region_codes, weights = [], [], []
    for name in ("luzon.json", "visayas.json", "mindanao.json"):
        for region in load(name):
            for province in region["provinces"]:
                province_codes.append(province["code"])
                region_codes.append(region["code"])
                weights.append(sum(int(b["status"]) for c in province["cities_municipalities"]
                                   for b in c["barangays"] if b["status"].isdigit()))
    # Drawing a barangay and keeping its province equals drawing the province by its total.
    return draw(rng, weights, rows), province_codes, region_codes


def ages_and_sexes(rng: np.random.Generator, rows: int) -> tuple[np.ndarray, np.ndarray]:
    groups = load("census_population.json")["age_sex"]["groups"]
    years, weights_m, weights_f = [], [], []
    for start, males, females in groups:
        span = range(start, 101) if start == 80 else range(start, start + 5)
        spread = [0.85 ** (a - start) for a in span] if start == 80 else [1.0] * 5
        total = sum(spread)
        for age, s in zip(span, spread):
            years.append(age)
            weights_m.append(males * s / total)
            weights_f.append(females * s / total)
    cells = draw(rng, weights_m + weights_f, rows)
    n = len(years)
    age = np.asarray(years)[cells % n]
    female = cells >= n
    return age, female


def alias_draw(rng: np.random.Generator, table: list[list], size: int) -> np.ndarray:
    return draw(rng, [w for _, w in table], size)


def given_names(rng: np.random.Generator, entry: dict, size: int) -> np.ndarray:
    """Given names of one cohort and sex as the document's "draw" rule states: a compound with
    probability compound_per_mille/1000, its two elements independent, the second drawn again
    while it equals the first; a single name otherwise."""
    names = lambda kind: np.asarray([n for n, _ in entry[kind]], dtype=object)
    result = names("single")[alias_draw(rng, entry["single"], size)]
    compound = np.flatnonzero(rng.random(size) < entry["compound_per_mille"] / 1000)
    first = names("first")[alias_draw(rng, entry["first"], len(compound))]
    second = names("second")[alias_draw(rng, entry["second"], len(compound))]
    while (same := np.flatnonzero(first == second)).size:
        second[same] = names("second")[alias_draw(rng, entry["second"], same.size)]
    result[compound] = first + " " + second
    return result


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rows", type=int, default=1_000_000)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = np.random.default_rng(args.seed)
    started = time.perf_counter()
    rows = args.rows

    province_index, province_codes, region_codes = places(rng, rows)
    age, female = ages_and_sexes(rng, rows)
    birth_decade = np.clip((AS_OF_YEAR - age) // 10 * 10, 1920, 2020)

    religion_doc = load("census_religion.json")
    religions = religion_doc["religions"]
    religion = np.empty(rows, dtype=np.int16)
    for p, code in enumerate(province_codes):
        at = np.flatnonzero(province_index == p)
        religion[at] = draw(rng, [w for _, w in religion_doc["provinces"][code]["per_10000"]], len(at))
    muslim = religion == religions.index("Islam")

    surnames_doc = load("census_surnames.json")["groups"]
    places_doc = load("census_surname_places.json")
    groups = places_doc["groups"]
    group = np.empty(rows, dtype=np.int16)
    for p, code in enumerate(province_codes):
        here = province_index == p
        for is_muslim, table in ((False, places_doc["provinces"][code]["per_10000"]),
                                 (True, places_doc["muslim_rows"]["per_10000"])):
            at = np.flatnonzero(here & (muslim == is_muslim))
            group[at] = draw(rng, [w for _, w in table], len(at))
    surname = np.empty(rows, dtype=object)
    for g, name in enumerate(groups):
        table = surnames_doc[name]["surnames"]
        at = np.flatnonzero(group == g)
        surname[at] = np.asarray([n for n, _ in table], dtype=object)[alias_draw(rng, table, len(at))]

    given_doc = load("census_given_names.json")
    given = np.empty(rows, dtype=object)
    for sex, is_female in (("male", False), ("female", True)):
        for cohort in given_doc["cohorts"]:
            at = np.flatnonzero((female == is_female) & (birth_decade == cohort) & ~muslim)
            given[at] = given_names(rng, given_doc[sex][str(cohort)], len(at))
        at = np.flatnonzero((female == is_female) & muslim)
        given[at] = given_names(rng, given_doc[f"muslim_{sex}"], len(at))
    elapsed = time.perf_counter() - started

    print(f"{rows:,} rows drawn in {elapsed:.1f} s (seed {args.seed})\n")
    print(f"{'figure':58} {'target':>14} {'measured':>12}")

    def line(name: str, target: str, value: str) -> None:
        print(f"{name:58} {target:>14} {value:>12}")

    distinct, counts = np.unique(surname.astype(str), return_counts=True)
    top = counts.argmax()
    line("distinct surnames", ">= 5,000", f"{len(distinct):,}")
    line(f"commonest surname share ({distinct[top]})", "<= 1.0%", f"{100 * counts[top] / rows:.2f}%")
    full = np.char.add(np.char.add(given.astype(str), "|"), surname.astype(str))
    _, inverse, full_counts = np.unique(full, return_inverse=True, return_counts=True)
    shared = full_counts[inverse] > 1
    line("rows sharing first and last name with another row", "<= 30%", f"{100 * shared.mean():.1f}%")
    line("  among Muslim rows / among the others", "", f"{100 * shared[muslim].mean():.0f}% / {100 * shared[~muslim].mean():.0f}%")

    def top_ten(decade: int) -> list[str]:
        names, c = np.unique(given[(birth_decade == decade) & ~muslim].astype(str), return_counts=True)
        return list(names[np.argsort(-c, kind="stable")[:10]])

    recent, older = top_ten(2000), top_ten(1950)
    line("top-10 first names shared, born 2000s vs 1950s", "<= 2", str(len(set(recent) & set(older))))

    region_of = np.asarray(region_codes)[province_index]
    barmm = region_of == BARMM
    published = 100 * sum(w for r, w in religion_doc["regions"][BARMM]["per_10000"] if r == "Islam") / 10_000
    line("BARMM Muslim share (table of the current BARMM)", f"{published:.1f}% +-3", f"{100 * muslim[barmm].mean():.1f}%")
    worst = 0.0
    for code, region in religion_doc["regions"].items():
        here = region_of == code
        measured = np.bincount(religion[here], minlength=len(religions)) / here.sum()
        expected = np.asarray([w for _, w in region["per_10000"]], dtype=float) / 10_000
        worst = max(worst, 0.5 * np.abs(measured - expected).sum())
    line("religion by region, worst total variation distance", "<= 0.03", f"{worst:.4f}")
    groups_pop = load("census_population.json")["age_sex"]["groups"]
    worst_ratio = 0.0
    for start, males, females in groups_pop:
        if start < 15 or start >= 80:
            continue
        lo = max(start, 18)
        here = (age >= lo) & (age < start + 5)
        measured = 100 * (~female[here]).sum() / female[here].sum()
        worst_ratio = max(worst_ratio, abs(measured - 100 * males / females))
    line("sex ratio by five-year group 18-79, worst gap (points)", "<= 3", f"{worst_ratio:.2f}")
    muslim_names = {n for sex in ("muslim_male", "muslim_female") for kind in ("single", "first") for n, _ in given_doc[sex][kind]}
    muslim_given = np.isin(np.asarray([g.split(" ")[0] for g in given[barmm & muslim]]), list(muslim_names))
    line("BARMM rows with a Muslim given name", "about 90%", f"{100 * muslim[barmm].mean() * muslim_given.mean():.1f}%")
    ilocos = np.isin(region_of, ["0100000000"])
    muslim_surnames = set(n for n, _ in surnames_doc["muslim"]["surnames"])
    share = lambda mask: 100 * np.isin(surname[mask].astype(str), list(muslim_surnames)).mean()
    line("Muslim surnames in BARMM / in Ilocos", "high / ~0", f"{share(barmm):.1f}% / {share(ilocos):.2f}%")
    print("\nten commonest first names, born 2000-2009:", ", ".join(recent))
    print("ten commonest first names, born 1950-1959:", ", ".join(older))


if __name__ == "__main__":
    main()
