#!/usr/bin/env python3
"""tools/build_census_given_names.py: write data/census_given_names.json, given names by birth cohort.

data/sources/census_given_names.txt lists, for six eras of birth (named 1930, 1955, 1975, 1992,
2006 and 2020) and each sex, single given names and the two elements of compound ones, most
common first, with their sources. A birth decade mixes the eras near its middle year with
Gaussian weights (12 years wide), so names rise and fade instead of switching.

A compound given name is formed the Filipino way, a first element ("John", "Mary", "Ma.") and a
second ("Paul", "Joy", "Theresa"), so the document keeps the two elements apart, each with its
own weights, and the share of compound names: the drawer picks single or compound by that share
and, for a compound, draws the two elements independently. Thirty first and fifty second
elements make over a thousand compounds without anyone typing them.

Weights are a modelling choice, as no source publishes full frequencies: within an era a list's
k-th name weighs k^-EXPONENT (the second elements flatter, SECOND_EXPONENT, since parents pair
almost any of them with a first). Muslim given names are one set per sex for every cohort.

Usage: python tools/build_census_given_names.py [--check]
"""

from __future__ import annotations

import math
import sys

from census_tables import DATA_DIR, dumps, integer_shares, read_source
from generated_document import write_or_check

OUTPUT = DATA_DIR / "census_given_names.json"
PER_MILLION = 1_000_000
ERAS = (1930, 1955, 1975, 1992, 2006, 2020)
COHORTS = tuple(range(1920, 2030, 10))
KINDS = ("single", "first", "second")
EXPONENT = {"single": 0.4, "first": 1.0, "second": 0.35}
KERNEL_YEARS = 12.0
MAX_DISTANCE = 30
# Share of compound given names among the people of an era: the fashion of two given names,
# strongest for those born from the 1980s to the 2000s, girls more than boys.
COMPOUND_SHARE = {
    "male": {1930: 0.20, 1955: 0.20, 1975: 0.30, 1992: 0.45, 2006: 0.45, 2020: 0.35},
    "female": {1930: 0.35, 1955: 0.40, 1975: 0.40, 1992: 0.50, 2006: 0.50, 2020: 0.40},
    "muslim_male": 0.45,
    "muslim_female": 0.55,
}


def sections() -> dict[tuple[str, str, str], list[str]]:
    """The source's sections: (era, sex, kind) -> names in order, a line holding one name or
    several separated by commas."""
    result: dict[tuple[str, str, str], list[str]] = {}
    key = None
    for line in read_source("census_given_names.txt"):
        if line.startswith("["):
            era, sex, kind = line.strip("[]").split()
            key = (era, sex, kind)
            if kind not in KINDS or key in result:
                raise SystemExit(f"census_given_names.txt: {line} is unknown or twice")
            result[key] = []
            continue
        if key is None:
            raise SystemExit("census_given_names.txt: a name before the first section")
        for name in (n.strip() for n in line.split(",")):
            if not name:
                raise SystemExit(f"census_given_names.txt: an empty name in {line!r}")
            if " " in name:
                raise SystemExit(f"census_given_names.txt: {name!r}: a compound is drawn from its elements, never listed whole")
            if name not in result[key]:
                result[key].append(name)
    return result


def zipf(names: list[str], exponent: float) -> dict[str, float]:
    raw = [(k + 1) ** -exponent for k in range(len(names))]
    mass = sum(raw)
    return {n: w / mass for n, w in zip(names, raw)}


def era_lists(lists: dict, era: str, sex: str) -> dict[str, dict[str, float]]:
    return {kind: zipf(lists[(era, sex, kind)], EXPONENT[kind]) for kind in KINDS}


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


def entry(lists: dict[str, dict[str, float]], compound_share: float) -> dict[str, object]:
    return {"compound_per_mille": round(1000 * compound_share), **{kind: table(lists[kind]) for kind in KINDS}}


def build() -> str:
    lists = sections()
    eras = {(era, sex): era_lists(lists, str(era), sex) for era in ERAS for sex in ("male", "female")}
    document: dict[str, object] = {
        "generated_by": "tools/build_census_given_names.py",
        "source": "given names by sex and decade of birth (data/sources/census_given_names.txt: PSA/NSO registered-birth rankings for 2006-2022, published name lists and church calendars for older generations, modelled weights); every table's weights sum to 1,000,000; see data/README.md",
        "draw": "with probability compound_per_mille/1000 a compound: a first element and a second element drawn independently, joined by a space, the second drawn again while it equals the first; otherwise a single name",
        "cohorts": list(COHORTS),
    }
    for sex in ("male", "female"):
        by_cohort = {}
        for cohort in COHORTS:
            mixed: dict[str, dict[str, float]] = {kind: {} for kind in KINDS}
            share = 0.0
            for era, weight in mix(cohort):
                share += weight * COMPOUND_SHARE[sex][era]
                for kind in KINDS:
                    for name, w in eras[(era, sex)][kind].items():
                        mixed[kind][name] = mixed[kind].get(name, 0.0) + w * weight
            by_cohort[str(cohort)] = entry(mixed, share)
        document[sex] = by_cohort
    for sex in ("male", "female"):
        document[f"muslim_{sex}"] = entry(era_lists(lists, "muslim", sex), COMPOUND_SHARE[f"muslim_{sex}"])
    return dumps(document)


def main() -> int:
    return write_or_check(OUTPUT, build, __doc__.splitlines()[0])


if __name__ == "__main__":
    sys.exit(main())
