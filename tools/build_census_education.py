#!/usr/bin/env python3
"""tools/build_census_education.py: write data/census_education.json, highest attainment by sex and age.

  {"generated_by": ..., "labels": [...], "youngest": [18, 25, 35, 45, 55, 65],
   "male": [[per mille, ...] per age group], "female": [...]}

The labels are the categories of highest grade completed of the PSA's 2020 Census of Population
and Housing, with the K to 12 senior high school graduates apart (the first cohorts finished in
2018) and early childhood education folded into "No grade completed".

Anchors (PSA, "Literacy Rate and Educational Attainment Among Persons Five Years Old and Over in
the Philippines (2020 Census of Population and Housing)", release 2023-22 of 3 July 2023, of the
97.6 million household population 5 years old and over): 38.6% reached or completed at most high
school (graduates 21.7%, undergraduates 16.8%), 29.5% at most elementary (graduates 9.5%,
undergraduates 20.0%), 23.4% at most college (academic degree holders 13.5%, undergraduates
10.0%), 0.3% post baccalaureate, about 3% no grade completed; among those with college or
academic degrees women were 25.6% of women, men 21.3% of men.

The rows by age group (BOTH, per mille, both sexes) are modelled: children aged 5-17 hold the
elementary and high school undergraduates the census counts, so adults 18 and over hold the
graduates; weighted by the 2020 adult age structure the rows give about 19% academic degree
holders, the census's 13.5% of the 5-and-over population spread over the adults (about 70% of
it); attainment falls with age as older cohorts went to school when fewer finished (the 2003
National Demographic and Health Survey's attainment by age shows the same gradient). Women's
college and degree weights are multiplied by 1.09 and men's by 0.91, the census's ratio 25.6/21.3,
and each row is scaled back to 1000. Confidence: the categories and the national anchors high, the
rows by age medium-low.

Usage:
  python tools/build_census_education.py           # write data/census_education.json
  python tools/build_census_education.py --check   # exit 1 if the file is not what this writes
"""

from __future__ import annotations

import json
import sys
from pathlib import Path

from generated_document import write_or_check

REPO = Path(__file__).resolve().parents[1]
OUTPUT = REPO / "data" / "census_education.json"

LABELS = [
    "No grade completed", "Elementary undergraduate", "Elementary graduate",
    "High school undergraduate", "High school graduate", "Senior high school graduate",
    "Post-secondary graduate", "College undergraduate", "Academic degree holder",
    "Post-baccalaureate",
]
YOUNGEST = [18, 25, 35, 45, 55, 65]
BOTH = [
    [10, 40, 40, 150, 230, 200, 40, 220, 70, 0],
    [12, 60, 60, 140, 290, 30, 50, 130, 225, 3],
    [15, 80, 90, 130, 300, 0, 45, 120, 215, 5],
    [20, 120, 130, 120, 270, 0, 40, 100, 193, 7],
    [30, 190, 160, 100, 220, 0, 30, 90, 172, 8],
    [70, 300, 170, 80, 160, 0, 20, 60, 134, 6],
]
HIGHER = {"College undergraduate", "Academic degree holder", "Post-baccalaureate"}
TILT = {"male": 0.91, "female": 1.09}


def tilted(row: list[int], factor: float) -> list[int]:
    raw = [w * factor if label in HIGHER else w for label, w in zip(LABELS, row)]
    scaled = [round(1000 * w / sum(raw)) for w in raw]
    scaled[scaled.index(max(scaled))] += 1000 - sum(scaled)
    return scaled


def build() -> str:
    for row in BOTH:
        if sum(row) != 1000 or len(row) != len(LABELS):
            raise SystemExit(f"row {row} does not sum to 1000 over the labels")
    document = {"generated_by": "tools/build_census_education.py", "labels": LABELS,
                "youngest": YOUNGEST}
    for sex, factor in TILT.items():
        document[sex] = [tilted(row, factor) for row in BOTH]
    return json.dumps(document, ensure_ascii=False, indent=1) + "\n"


def main() -> int:
    return write_or_check(OUTPUT, build, __doc__.splitlines()[0])


if __name__ == "__main__":
    sys.exit(main())
