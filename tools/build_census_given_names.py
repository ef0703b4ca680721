#!/usr/bin/env python3
"""tools/build_census_given_names.py: write data/census_given_names.json, given names by birth cohort.

data/sources/census_given_names.txt lists, for six eras of birth (named 1930, 1955, 1975, 1992,
2006 and 2020) and each sex, single given names and the halves of compound ones, most common
first, with their sources. A birth decade mixes the eras near its middle year with Gaussian
weights (12 years wide), so names rise and fade instead of switching.

Weights are a modelling choice, as no source publishes full frequencies: within an era a list's
k-th name weighs k^-EXPONENT; a compound "A B" weighs the product of its halves' weights and the
compounds of an era together take COMPOUND_SHARE of it (the fashion of two given names, strongest
for girls born around 1990). Muslim given names are one set per sex for every cohort.

Usage: python tools/build_census_given_names.py [--check]
"""

from __future__ import annotations

import argparse
import math
import sys

from census_tables import DATA_DIR, dumps, integer_shares, read_source, write_or_check

OUTPUT = DATA_DIR / "census_given_names.json"
PER_MILLION = 1_000_000
ERAS = (1930, 1955, 1975, 1992, 2006, 2020)
COHORTS = tuple(range(1920, 2030, 10))
EXPONENT = 0.2
KERNEL_YEARS = 12.0
MAX_DISTANCE = 30
COMPOUND_SHARE = {
    "male": {1930: 0.20, 1955: 0.20, 1975: 0.30, 1992: 0.45, 2006: 0.45, 2020: 0.35},
    "female": {1930: 0.35, 1955: 0.40, 1975: 0.40, 1992: 0.50, 2006: 0.50, 2020: 0.40},
    "muslim_male": 0.45,
    "muslim_female": 0.55,
}


def sections() -> dict[tuple[str, str, str], list[str]]:
    result: dict[tuple[str, str, str], list[str]] = {}
    key = None
    for line in read_source("census_given_names.txt"):
        if line.startswith("["):
            era, sex, kind = line.strip("[]").split()
            key = (era, sex, kind)
            if key in result:
                raise SystemExit(f"census_given_names.txt: {line} twice")
            result[key] = []
        elif key is None:
            raise SystemExit("census_given_names.txt: a name before the first section")
        elif line not in result[key]:
            result[key].append(line)
    return result


def zipf(names: list[str]) -> dict[str, float]:
    raw = [(k + 1) ** -EXPONENT for k in range(len(names))]
    mass = sum(raw)
    return {n: w / mass for n, w in zip(names, raw)}


def era_distribution(lists: dict, era: str, sex: str, compound_share: float) -> dict[str, float]:
    simple = zipf(lists[(era, sex, "simple")])
    first, second = zipf(lists[(era, sex, "first")]), zipf(lists[(era, sex, "second")])
    compounds = {f"{a} {b}": wa * wb for a, wa in first.items() for b, wb in second.items() if a != b}
    mass = sum(compounds.values())
    result = {n: w * (1 - compound_share) for n, w in simple.items()}
    for name, w in compounds.items():
        result[name] = result.get(name, 0.0) + w * compound_share / mass
    return result


def mix(cohort: int) -> list[tuple[int, float]]:
    """Era weights of a birth decade: a Gaussian of the distance from the decade's middle year to
    each era (KERNEL_YEARS wide), eras more than MAX_DISTANCE away left out. Parents name after
    their own youth as much as after the year's fashion, so a decade borrows from its neighbours."""
    middle = min(max(cohort + 5, ERAS[0]), ERAS[-1])
    raw = [(era, math.exp(-0.5 * ((era - middle) / KERNEL_YEARS) ** 2)) for era in ERAS if abs(era - middle) <= MAX_DISTANCE]
    mass = sum(w for _, w in raw)
    return [(era, w / mass) for era, w in raw]


def table(distribution: dict[str, float]) -> list[list[object]]:
    names = sorted(distribution, key=lambda n: (-distribution[n], n))
    weights = integer_shares([distribution[n] for n in names], PER_MILLION)
    return [[n, w] for n, w in zip(names, weights) if w > 0]


def compound_per_mille(rows: list[list[object]]) -> int:
    return round(sum(w for n, w in rows if " " in n) / 1000)


def build() -> str:
    lists = sections()
    eras = {(era, sex): era_distribution(lists, str(era), sex, COMPOUND_SHARE[sex][era])
            for era in ERAS for sex in ("male", "female")}
    document = {
        "generated_by": "tools/build_census_given_names.py",
        "source": "given names by sex and decade of birth (data/sources/census_given_names.txt: PSA/NSO registered-birth rankings for 2006-2022, published name lists for older generations, modelled weights); weights per 1,000,000 people of the cohort and sex; see data/README.md",
        "cohorts": list(COHORTS),
    }
    shares = {"male": [], "female": []}
    for sex in ("male", "female"):
        by_cohort = {}
        for cohort in COHORTS:
            mixed: dict[str, float] = {}
            for era, weight in mix(cohort):
                for name, w in eras[(era, sex)].items():
                    mixed[name] = mixed.get(name, 0.0) + w * weight
            rows = table(mixed)
            by_cohort[str(cohort)] = rows
            shares[sex].append([cohort, compound_per_mille(rows)])
        document[sex] = by_cohort
    for sex in ("male", "female"):
        rows = table(era_distribution(lists, "muslim", sex, COMPOUND_SHARE[f"muslim_{sex}"]))
        document[f"muslim_{sex}"] = rows
        shares[sex].append(["muslim", compound_per_mille(rows)])
    document["compound_per_mille"] = {
        "source": "share of compound given names (two names, \"Ma.\" forms included) in each cohort's table, the Muslim tables last",
        **shares,
    }
    return dumps(document)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    args = parser.parse_args()
    return write_or_check(OUTPUT, build(), args.check, "tools/build_census_given_names.py")


if __name__ == "__main__":
    sys.exit(main())
