#!/usr/bin/env python3
"""tools/build_census_population.py: write data/census_population.json, the people of all ages.

Published figures (PSA, 2020 Census of Population and Housing; titles in data/README.md):
household population 108,667,043 in 26,393,906 households (average 4.1); 50.6% male; under 15
years 33.4 million with 107 males per 100 females; 15-64 years 63.9% with 103; 65 and over
5.86 million with 73; 88.8% of males and 86.6% of females under 55 (women outnumber men from 55);
86.33 million aged 10 and over. The five-year groups and their sex ratios are a reconstruction
that reproduces every one of those figures (checked in build()); the groups from 15 up are those
of data/census_people.json.

Modelled, and said so in the document: the household size distribution (to the published mean
and a one-person share, no published distribution being at hand), the relationship to the head
(the head share alone follows from the published counts), civil status at 10-17 and the
age-specific fertility rates of women 30-49 (2022 NDHS publishes 15-29 and the total of 1.9).

Usage: python tools/build_census_population.py [--check]
"""

from __future__ import annotations

import math
import sys

from census_tables import DATA_DIR, dumps, integer_shares
from generated_document import write_or_check

OUTPUT = DATA_DIR / "census_population.json"

HOUSEHOLD_POPULATION = 108_667_043
HOUSEHOLDS = 26_393_906

# [youngest age, thousands of both sexes, males per 100 females]; 80 is "80 and over".
GROUPS = [
    (0, 10880, 106.5), (5, 11457, 107.0), (10, 11030, 107.5), (15, 10380, 106.5),
    (20, 9890, 105.5), (25, 9020, 105.0), (30, 8050, 105.0), (35, 7280, 104.5),
    (40, 6500, 104.0), (45, 5820, 103.0), (50, 5040, 100.5), (55, 4100, 96.0),
    (60, 3360, 89.0), (65, 2520, 82.0), (70, 1630, 74.0), (75, 930, 66.0), (80, 780, 55.0),
]

ONE_PERSON_SHARE = 0.09  # modelled: no published 2020 figure at hand
LARGEST_HOUSEHOLD = 15

RELATIONSHIP = [  # percent of the household population; the head share is households / persons
    ("head", 100 * HOUSEHOLDS / HOUSEHOLD_POPULATION),
    ("spouse", 17.0), ("son_daughter", 44.0), ("son_daughter_in_law", 1.6), ("grandchild", 7.2),
    ("parent", 1.0), ("sibling", 1.6), ("other_relative", 2.4), ("non_relative", 0.9),
]

# Per mille of men and of women: never married, married, common-law/live-in, widowed,
# divorced/separated/annulled (the columns of census_people.json), for ages 10-14 and 15-17.
YOUNG_CIVIL_STATUS = [
    (10, [1000, 0, 0, 0, 0], [1000, 0, 0, 0, 0]),
    (15, [962, 5, 31, 0, 2], [912, 20, 65, 1, 2]),
]

# Births per 1,000 women: 2022 NDHS (15-19, 20-24, 25-29 published; 30-49 modelled so that the
# total fertility rate is the published 1.9).
ASFR = [(15, 25), (20, 84), (25, 105), (30, 85), (35, 55), (40, 22), (45, 4)]


def split(groups):
    males, females = [], []
    for _, thousands, ratio in groups:
        persons = thousands * 1000
        male = round(persons * ratio / (100 + ratio))
        males.append(male)
        females.append(persons - male)
    return males, females


def check_published(males: list[int], females: list[int]) -> None:
    def ratio(lo: int, hi: int) -> float:
        return 100 * sum(males[lo:hi]) / sum(females[lo:hi])

    figures = {
        "under 15": (ratio(0, 3), 107, 0.5), "15-64": (ratio(3, 13), 103, 0.5),
        "65 and over": (ratio(13, 17), 73, 0.5),
        "male share": (100 * sum(males) / (sum(males) + sum(females)), 50.6, 0.1),
        "males under 55": (100 * sum(males[:11]) / sum(males), 88.8, 0.3),
        "females under 55": (100 * sum(females[:11]) / sum(females), 86.6, 0.3),
        "10 and over (millions)": ((sum(males[2:]) + sum(females[2:])) / 1e6, 86.33, 0.05),
    }
    for name, (value, published, tolerance) in figures.items():
        if abs(value - published) > tolerance:
            raise SystemExit(f"{name}: {value:.2f} against the published {published}")


def household_sizes() -> list[list[int]]:
    """One-person share fixed; sizes from 2 follow 2 + a negative binomial (r = 6) whose mean is
    chosen so that the whole distribution has the published mean."""
    target = HOUSEHOLD_POPULATION / HOUSEHOLDS

    def distribution(mean_extra: float) -> list[float]:
        r = 6.0
        p = r / (r + mean_extra)
        tail = [math.comb(k + int(r) - 1, k) * p**r * (1 - p) ** k for k in range(LARGEST_HOUSEHOLD - 1)]
        mass = sum(tail)
        return [ONE_PERSON_SHARE] + [(1 - ONE_PERSON_SHARE) * t / mass for t in tail]

    lo, hi = 0.0, 10.0
    for _ in range(100):
        mid = (lo + hi) / 2
        mean = sum((i + 1) * w for i, w in enumerate(distribution(mid)))
        lo, hi = (mid, hi) if mean < target else (lo, mid)
    shares = integer_shares(distribution(lo), 100_000)
    return [[size, share] for size, share in enumerate(shares, start=1)]


def build() -> str:
    males, females = split(GROUPS)
    check_published(males, females)
    if sum(males) + sum(females) != HOUSEHOLD_POPULATION - 43:
        # The reconstruction is in thousands; the 43 persons below a thousand are not placed.
        raise SystemExit("the age groups no longer add up to the household population")
    sizes = household_sizes()
    mean = sum(s * w for s, w in sizes) / 100_000
    women = {age: females[i] for i, (age, _, _) in enumerate(GROUPS)}
    births = [w * women[age] for age, w in ASFR]
    relationship = integer_shares([share for _, share in RELATIONSHIP], 10_000)
    document = {
        "generated_by": "tools/build_census_population.py",
        "source": "PSA, 2020 Census of Population and Housing (household population, reference date 1 May 2020) and 2022 National Demographic and Health Survey; see data/README.md",
        "age_sex": {
            "source": "PSA 2020 CPH: totals, broad-group sex ratios (107 under 15, 103 at 15-64, 73 at 65+), male share 50.6% and under-55 shares published; five-year groups reconstructed to reproduce them; each row: youngest age, males, females (80 is 80 and over)",
            "groups": [[age, m, f] for (age, _, _), m, f in zip(GROUPS, males, females)],
        },
        "household_size_per_100000": {
            "source": f"modelled: mean {mean:.3f} persons (PSA 2020 CPH: 108,667,043 persons in 26,393,906 households), one-person share {ONE_PERSON_SHARE:.0%} chosen, sizes from 2 a negative binomial; each row: size, households per 100,000",
            "sizes": sizes,
        },
        "relationship_to_head_per_10000": {
            "source": "head share from PSA 2020 CPH counts (households / household population); the other categories of the census questionnaire modelled",
            "relationships": [[name, w] for (name, _), w in zip(RELATIONSHIP, relationship)],
        },
        "young_marital_status_per_mille": {
            "source": "modelled: ages 10-14 never married; 15-17 from the 2020 CPH's 15-19 group scaled to the younger ages; columns as marital_status_per_mille of census_people.json (never married, married, common-law/live-in, widowed, divorced/separated/annulled); each row: youngest age, men, women",
            "groups": [[age, m, f] for age, m, f in YOUNG_CIVIL_STATUS],
        },
        "fertility_per_1000_women": {
            "source": "PSA and ICF, 2022 National Demographic and Health Survey: 25, 84 and 105 births per 1,000 women at 15-19, 20-24 and 25-29 and a total fertility rate of 1.9 published; 30-49 modelled to that total; each row: youngest age of the mother, births per 1,000 women per year",
            "groups": [[age, w] for age, w in ASFR],
        },
        "mother_age_at_birth_per_1000": {
            "source": "derived: fertility rates above times the 2020 women of each group, so the mother-child age gap runs from 15 to 49; each row: youngest age of the mother, births per 1,000",
            "groups": [[age, w] for (age, _), w in zip(ASFR, integer_shares(births, 1000))],
        },
    }
    return dumps(document)


def main() -> int:
    return write_or_check(OUTPUT, build, __doc__.splitlines()[0])


if __name__ == "__main__":
    sys.exit(main())
