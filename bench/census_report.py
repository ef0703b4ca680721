"""bench/census_report.py: how Philippine each profile's rows look, and what "census" costs.

Usage: python bench/census_report.py [--rows N] [--pairs K] [--phone-sample M]
                                     [--only figures|names|households|speed ...] [--no-plot]
With one fixed seed and date, for N rows (default 1,000,000) of each profile, the sections print:
- figures: region and city shares against the 2024 census, blood types, civil status by age,
  repeated e-mail addresses, landline area codes against the province and phonenumbers validity,
  for "census", "census-1" and "uniform"; draws docs/region_shares.png (matplotlib, from
  bench/requirements.txt);
- names: surnames, repeated full names, first names by birth cohort, religion by region and
  BARMM's Muslim share against PSA 2020, and the sex ratio by age, "census" beside "census-1";
- households: Schema.households with about N members: household sizes, mothers' maiden surnames
  as their children's middle names, mother-child age gaps, couples' civil status, minors;
- speed: Dataset.rows and CSV writes of bench_tarvo.py's columns, "census" and "census-1" against
  "uniform" in alternating runs.
--only picks sections (give it more than once for several); without it all four run.
"""
import argparse
import datetime
import json
import os
import resource
import statistics
import sys
import tempfile
import time
from array import array
from collections import Counter
from pathlib import Path

import tarvo
from bench_tarvo import SPEC

ROOT = Path(__file__).resolve().parent.parent
DATA = ROOT / "data"
PICTURE = ROOT / "docs" / "region_shares.png"
SEED = 20240701  # the 2024 census's reference date, as good a number as any
AS_OF = datetime.date(2025, 7, 1)
CHUNK = 100_000  # rows per Dataset.rows call: dicts of a chunk are dropped before the next
PROFILES = ("census", "census-1", "uniform")
SECTIONS = ("figures", "names", "households", "speed")
# The census profile writes places as people do ("Metro Manila", "Davao City"); the census
# figures and the landline plan are keyed by the PSGC's labels, which the *_official kinds keep.
COLUMNS = {
    "region": "region_official",
    "province": "province_official",
    "city": "city_mun_official",
    "blood": "blood_type",
    "age": "age",
    "civil": "civil_status",
    "email": "email",
    "landline": "landline",
    "mobile": "phone_number",
}
BANDS = ("18-19", "20-29", "30-39", "40-49", "50-59", "60-69", "70-79", "80+")
CIVIL = ("Single", "Married", "Widowed", "Separated", "Legally Separated", "Annulled", "Divorced")


def band(age):
    if age < 20:
        return BANDS[0]
    return BANDS[min((age - 20) // 10 + 1, len(BANDS) - 1)]


def census_populations():
    """2024 census population by region and by (province, city), summed over barangays."""
    regions, cities, missing = Counter(), Counter(), 0
    for part in ("luzon", "visayas", "mindanao"):
        for region in json.loads((DATA / f"{part}.json").read_text(encoding="utf-8")):
            for province in region["provinces"]:
                for city in province["cities_municipalities"]:
                    for barangay in city["barangays"]:
                        status = barangay["status"]
                        if not (isinstance(status, str) and status.isascii() and status.isdigit()):
                            missing += 1
                            continue
                        people = int(status)
                        regions[region["name"]] += people
                        cities[province["name"], city["name"]] += people
    return regions, cities, missing


def landline_plan():
    """Province name -> {area code: (subscriber digits, allowed first two digits)}."""
    document = json.loads((DATA / "census_landline.json").read_text(encoding="utf-8"))
    plan = {}
    for province in document["provinces"]:
        plan[province["name"]] = {
            area["area_code"]: (area["subscriber_digits"],
                                set(range(area["first_lead"], area["last_lead"] + 1))
                                - set(area["excluded_leads"]))
            for area in province["areas"]
        }
    return plan


class Tally:
    """What one profile's rows add up to; every figure is read off these counters."""

    def __init__(self, plan, sample_every):
        self.plan = plan
        self.sample_every = sample_every
        self.rows = 0
        self.regions, self.cities, self.blood = Counter(), Counter(), Counter()
        self.civil = {b: Counter() for b in BANDS}
        # Addresses as hashes, and only until finish() counts them: a million of the texts
        # weigh about 150 MB.
        self.emails = Counter()
        self.email_repeated = self.email_distinct = 0
        self.landline_known = self.area_match = self.plan_match = 0
        self.mobiles, self.landlines = [], []

    def add(self, rows, start):
        for i, row in enumerate(rows, start):
            self.regions[row["region"]] += 1
            self.cities[row["province"], row["city"]] += 1
            self.blood[row["blood"]] += 1
            self.civil[band(row["age"])][row["civil"]] += 1
            self.emails[hash(row["email"].lower())] += 1
            self._landline(row["province"], row["landline"])
            if i % self.sample_every == 0:
                self.mobiles.append(row["mobile"])
                self.landlines.append(row["landline"])
        self.rows += len(rows)

    def finish(self):
        self.email_repeated = sum(n for n in self.emails.values() if n > 1)
        self.email_distinct = len(self.emails)
        self.emails = None
        return self

    def _landline(self, province, number):
        areas = self.plan.get(province)
        if not areas:
            return
        self.landline_known += 1
        # "(032) 2345678", "(02) 81234567": the trunk 0 is not part of the area code.
        code, subscriber = number[1:].split(") ")
        area = areas.get(code[1:])
        if area is None:
            return
        self.area_match += 1
        digits, leads = area
        if len(subscriber) == digits and int(subscriber[:2]) in leads:
            self.plan_match += 1


def tally(profile, rows, plan, sample_every):
    dataset = tarvo.Dataset(COLUMNS, seed=SEED, as_of=AS_OF, profile=profile)
    result = Tally(plan, sample_every)
    for start in range(0, rows, CHUNK):
        result.add(dataset.rows(min(CHUNK, rows - start), start=start), start)
    return result.finish()


def shares(counter):
    total = sum(counter.values())
    return {key: value / total for key, value in counter.items()}


def distance(ours, census):
    """Total variation distance, and the keys that make most of it."""
    gaps = {key: ours.get(key, 0.0) - census.get(key, 0.0) for key in census.keys() | ours.keys()}
    return sum(abs(g) for g in gaps.values()) / 2, sorted(gaps.items(), key=lambda kv: -abs(kv[1]))


def short_region(name):
    """A label that fits beside a bar: 'Region IV-A (CALABARZON)' -> 'CALABARZON (IV-A)',
    'National Capital Region (NCR)' -> 'NCR', 'MIMAROPA Region' -> 'MIMAROPA'."""
    if name.startswith("Region ") and "(" in name:
        numeral, rest = name[len("Region "):].split(" (", 1)
        return f"{rest.rstrip(')')} ({numeral})"
    if "(" in name:
        return name[name.index("(") + 1:name.index(")")]
    return name.removesuffix(" Region")


def print_places(tallies, census_regions, census_cities):
    census_r, census_c = shares(census_regions), shares(census_cities)
    ours = {p: shares(t.regions) for p, t in tallies.items()}
    print("\n## Regions: share of rows against the 2024 census population")
    print(f"| region | census 2024 | {' | '.join(PROFILES)} |")
    print("|---|---:|" + "---:|" * len(PROFILES))
    for region in sorted(census_r, key=census_r.get, reverse=True):
        cells = " | ".join(f"{ours[p].get(region, 0) * 100:.2f}%" for p in PROFILES)
        print(f"| {short_region(region)} | {census_r[region] * 100:.2f}% | {cells} |")
    print("\n| total variation distance | target (census) | " + " | ".join(PROFILES) + " |")
    print("|---|---|" + "---:|" * len(PROFILES))
    for label, target, census, ours_of in (
            ("by region (18)", "at most 0.02", census_r, lambda t: t.regions),
            (f"by city/municipality ({len(census_c):,})", "at most 0.05", census_c,
             lambda t: t.cities)):
        cells = " | ".join(f"{distance(shares(ours_of(tallies[p])), census)[0]:.4f}"
                           for p in PROFILES)
        print(f"| {label} | {target} | {cells} |")
    for profile in PROFILES:
        _, gaps = distance(shares(tallies[profile].cities), census_c)
        largest = ", ".join(f"{city} ({province}) {gap * 100:+.2f} pt"
                            for (province, city), gap in gaps[:3])
        print(f"- {profile}: largest city gaps {largest}")
    return census_r, ours


def print_people(tallies):
    print("\n## Blood type")
    print("| profile | Rh-negative | O+ | B+ | A+ | AB+ |")
    print("|---|---:|---:|---:|---:|---:|")
    for profile, t in tallies.items():
        share = shares(t.blood)
        negative = sum(v for k, v in share.items() if k.endswith("-"))
        cells = " | ".join(f"{share.get(k, 0) * 100:.1f}%" for k in ("O+", "B+", "A+", "AB+"))
        print(f"| {profile} | {negative * 100:.2f}% | {cells} |")
    for profile, t in tallies.items():
        print(f"\n## Civil status by age band, {profile} (percent of the band's rows)")
        print(f"| age | rows | {' | '.join(CIVIL)} |")
        print("|---|---:|" + "---:|" * len(CIVIL))
        for name in BANDS:
            counts = t.civil[name]
            n = sum(counts.values())
            cells = " | ".join(f"{counts[c] / n * 100:.1f}" if n else "-" for c in CIVIL)
            print(f"| {name} | {n / t.rows * 100:.1f}% | {cells} |")
        unknown = set().union(*t.civil.values()) - set(CIVIL)
        if unknown:
            print(f"- labels outside the table: {sorted(unknown)}")
    print("\n## E-mail addresses (compared lower-cased)")
    print("| profile | rows whose address appears more than once | distinct addresses |")
    print("|---|---:|---:|")
    for profile, t in tallies.items():
        print(f"| {profile} | {t.email_repeated / t.rows * 100:.2f}% | {t.email_distinct:,} |")


def print_phones(tallies):
    print("\n## Landline area code against the row's province (data/census_landline.json)")
    print("| profile | rows with a known code | area code matches | area, length and lead match |")
    print("|---|---:|---:|---:|")
    for profile, t in tallies.items():
        known = t.landline_known
        print(f"| {profile} | {known / t.rows * 100:.1f}% | {t.area_match / known * 100:.2f}% | "
              f"{t.plan_match / known * 100:.2f}% |")
    try:
        import phonenumbers
        from phonenumbers import PhoneNumberType
    except ImportError:
        print("- phonenumbers not installed (pip install -r bench/requirements.txt)")
        return
    print(f"\n## phonenumbers {phonenumbers.__version__} validity (every "
          f"{next(iter(tallies.values())).sample_every}th row)")
    print("| profile | mobile: valid MOBILE | landline: valid FIXED_LINE |")
    print("|---|---:|---:|")
    for profile, t in tallies.items():
        cells, bad = [], []
        for numbers, region, wanted in ((t.mobiles, None, PhoneNumberType.MOBILE),
                                        (t.landlines, "PH", PhoneNumberType.FIXED_LINE)):
            good = 0
            for number in numbers:
                parsed = phonenumbers.parse(number, region)
                if (phonenumbers.is_valid_number(parsed)
                        and phonenumbers.number_type(parsed) == wanted):
                    good += 1
                elif len(bad) < 3:
                    bad.append(number)
            cells.append(f"{good / len(numbers) * 100:.3f}% of {len(numbers):,}")
        print(f"| {profile} | {' | '.join(cells)} |")
        if bad:
            print(f"- {profile}: e.g. {', '.join(bad)}")


def timed(job):
    """(wall, CPU) seconds of one run. The CPU time of this process is the steadier figure on a
    shared machine: other jobs stretch the wall clock, not the work done here."""
    wall, cpu = time.perf_counter(), time.process_time()
    job()
    return time.perf_counter() - wall, time.process_time() - cpu


# ---------------------------------------------------------------------------------------------
# Names, religion and the sex ratio: "census" beside "census-1"

NAMED = ("census", "census-1")
NAME_COLUMNS = {"first": "first_name", "last": "last_name", "sex": "gender", "age": "age",
                "born": "birthdate", "religion": "religion", "region": "region_official"}
ADULTS = (18, 100)  # a plain Dataset's people, and the ages both profiles can draw
EVERYONE = (0, 100)
COHORTS = ((2000, 2009), (1950, 1959))
BARMM = "1900000000"
SEX_GROUPS = tuple(range(20, 80, 5))  # five-year groups 20-24 ... 75-79, after 18-19


def sex_group(age):
    """'18-19', '20-24', ..., '75-79', or None past 79."""
    if age < 20:
        return "18-19"
    return f"{age - age % 5}-{age - age % 5 + 4}" if age < 80 else None


def psa_sex_ratios():
    """Males per 100 females by the report's groups; 18-19 takes the census's 15-19 group."""
    groups = json.loads((DATA / "census_population.json").read_text(encoding="utf-8"))
    ratios = {}
    for youngest, males, females in groups["age_sex"]["groups"]:
        label = "18-19" if youngest == 15 else f"{youngest}-{youngest + 4}"
        if youngest == 15 or youngest in SEX_GROUPS:
            ratios[label] = males / females * 100
    return ratios


def religion_shares():
    """Region label (PSGC) -> {religion: share} of data/census_religion.json, and BARMM's label."""
    document = json.loads((DATA / "census_religion.json").read_text(encoding="utf-8"))
    regions = {}
    for region in document["regions"].values():
        total = sum(w for _, w in region["per_10000"])
        regions[region["name"]] = {name: w / total for name, w in region["per_10000"]}
    return regions, document["regions"][BARMM]["name"]


class NameTally:
    """Counters of one profile's names, religions and sexes by age, read chunk by chunk."""

    def __init__(self):
        self.rows = 0
        self.surnames = Counter()
        # Full names as hashes, and only until finish() counts the repeated ones.
        self.full_names = Counter()
        self.shared_full_names = 0
        self.cohorts = {c: Counter() for c in COHORTS}
        self.cohort_rows = Counter()
        self.sexes = {}
        self.religions = {}

    def add(self, rows):
        for row in rows:
            self.surnames[row["last"]] += 1
            self.full_names[hash((row["first"], row["last"]))] += 1
            group = sex_group(row["age"])
            if group is not None:
                pair = self.sexes.setdefault(group, [0, 0])
                pair[row["sex"] != "Male"] += 1
            self.religions.setdefault(row["region"], Counter())[row["religion"]] += 1
        self.add_cohorts(rows)
        self.rows += len(rows)

    def finish(self):
        self.shared_full_names = sum(n for n in self.full_names.values() if n > 1)
        self.full_names = None
        return self

    def add_cohorts(self, rows):
        for row in rows:
            year = int(row["born"][:4])
            for cohort in COHORTS:
                if cohort[0] <= year <= cohort[1]:
                    self.cohorts[cohort][row["first"]] += 1
                    self.cohort_rows[cohort] += 1


def name_tally(profile, rows, ages, columns=NAME_COLUMNS, cohorts_only=False):
    dataset = tarvo.Dataset(columns, seed=SEED, as_of=AS_OF, profile=profile, ages=ages)
    result = NameTally()
    for start in range(0, rows, CHUNK):
        chunk = dataset.rows(min(CHUNK, rows - start), start=start)
        if cohorts_only:
            result.add_cohorts(chunk)
            result.rows += len(chunk)
        else:
            result.add(chunk)
    return result.finish()


def top_names(counter, n=10):
    return [name for name, _ in counter.most_common(n)]


def print_names(rows, cohort_rows):
    tallies = {p: name_tally(p, rows, ADULTS) for p in NAMED}
    # Only "census" draws children; "census-1" stops at 18, so its 2000s cohort is the part of
    # it that is 18 on the report's date.
    cohorts = {"census": name_tally("census", cohort_rows, EVERYONE,
                                    {"first": "first_name", "born": "birthdate"}, True),
               "census-1": tallies["census-1"]}
    print(f"\n## Names, {rows:,} rows of each profile, ages={ADULTS} "
          f"(a plain Dataset's people)")
    print(f"| figure | target | {' | '.join(NAMED)} |")
    print("|---|---|" + "---|" * len(NAMED))
    cells = [f"{len(tallies[p].surnames):,}" for p in NAMED]
    print(f"| distinct surnames | at least 5,000 | {' | '.join(cells)} |")
    cells = []
    for p in NAMED:
        (name, count), = tallies[p].surnames.most_common(1)
        cells.append(f"{count / tallies[p].rows * 100:.2f}% ({name})")
    print(f"| commonest surname, share of rows | at most 1.0% | {' | '.join(cells)} |")
    cells = [f"{tallies[p].shared_full_names / tallies[p].rows * 100:.1f}%" for p in NAMED]
    print(f"| rows whose first and last name another row has too | at most 30% | "
          f"{' | '.join(cells)} |")

    print("\n## First names by birth cohort, the ten commonest (share of the cohort's rows)")
    print(f"census: Dataset(ages={EVERYONE}), {cohort_rows:,} rows; census-1: the rows above, "
          f"ages {ADULTS} (it draws no one younger), so its 2000s are born 2000 to "
          f"{AS_OF.year - ADULTS[0]}.")
    heads = [f"{p} born {a}-{b} ({cohorts[p].cohort_rows[a, b]:,} rows)"
             for p in NAMED for a, b in COHORTS]
    print(f"| rank | {' | '.join(heads)} |")
    print("|---:|" + "---|" * len(heads))
    columns = []
    for p in NAMED:
        for cohort in COHORTS:
            total = cohorts[p].cohort_rows[cohort]
            columns.append([f"{name} {count / total * 100:.1f}%"
                            for name, count in cohorts[p].cohorts[cohort].most_common(10)])
    for rank in range(10):
        print(f"| {rank + 1} | " + " | ".join(c[rank] if rank < len(c) else "" for c in columns)
              + " |")
    cells = []
    for p in NAMED:
        both = set(top_names(cohorts[p].cohorts[COHORTS[0]])) & set(
            top_names(cohorts[p].cohorts[COHORTS[1]]))
        cells.append(f"{p} {len(both)}" + (f" ({', '.join(sorted(both))})" if both else ""))
    print(f"- names in both top tens (target at most 2): {'; '.join(cells)}")

    print_religion(tallies)
    print_sex_ratio(tallies)


def print_religion(tallies):
    shares_of, barmm = religion_shares()
    print(f"\n## Religion by region against PSA 2020 (data/census_religion.json), ages={ADULTS}")
    print("Total variation distance between the region's rows and its shares (target at most "
          "0.03 in every region); Islam as a share of the region's rows.")
    print("| region | Islam, PSA | " + " | ".join(f"Islam, {p} | distance, {p}" for p in NAMED)
          + " |")
    print("|---|---:|" + "---:|---:|" * len(NAMED))
    worst = {p: (0.0, "") for p in NAMED}
    within = Counter()
    for region in sorted(shares_of, key=lambda r: -shares_of[r].get("Islam", 0)):
        psa = shares_of[region]
        cells = []
        for p in NAMED:
            ours = shares(tallies[p].religions.get(region, Counter({"-": 1})))
            gap, _ = distance(ours, psa)
            worst[p] = max(worst[p], (gap, region))
            within[p] += gap <= 0.03
            cells.append(f"{ours.get('Islam', 0) * 100:.2f}% | {gap:.4f}")
        print(f"| {short_region(region)} | {psa['Islam'] * 100:.2f}% | {' | '.join(cells)} |")
    unknown = {p: set(tallies[p].religions) - set(shares_of) for p in NAMED}
    for p in NAMED:
        print(f"- {p}: worst distance {worst[p][0]:.4f} ({short_region(worst[p][1])}); "
              f"{within[p]} of {len(shares_of)} regions within 0.03"
              + (f"; regions outside the document: {sorted(unknown[p])}" if unknown[p] else ""))
    psa = shares_of[barmm]["Islam"] * 100
    cells = []
    for p in NAMED:
        counts = tallies[p].religions.get(barmm, Counter())
        ours = counts["Islam"] / max(1, sum(counts.values())) * 100
        cells.append(f"{p} {ours:.2f}% ({ours - psa:+.2f} pt, {sum(counts.values()):,} rows)")
    print(f"- BARMM's Muslim share, target {psa:.2f}% within 3 points (PSA 2020 as the document "
          f"has it for region {BARMM}): {'; '.join(cells)}")


def print_sex_ratio(tallies):
    psa = psa_sex_ratios()
    print(f"\n## Sex ratio (males per 100 females) by age, ages={ADULTS}, against PSA 2020 "
          "(data/census_population.json; 18-19 against its 15-19 group)")
    print("Target: within 3 points in every group from 18 to 79. The sampling error is one "
          "standard deviation of the census column's ratio.")
    print("| age | PSA 2020 | " + " | ".join(f"{p} | gap" for p in NAMED)
          + " | sampling error (census) |")
    print("|---|---:|" + "---:|---:|" * len(NAMED) + "---:|")
    worst = {p: (0.0, "") for p in NAMED}
    for group in psa:
        cells = []
        for p in NAMED:
            males, females = tallies[p].sexes.get(group, (0, 0))
            ratio = males / females * 100 if females else float("nan")
            gap = ratio - psa[group]
            worst[p] = max(worst[p], (abs(gap), group))
            cells.append(f"{ratio:.1f} | {gap:+.1f}")
        males, females = tallies["census"].sexes.get(group, (1, 1))
        error = males / females * 100 * (1 / males + 1 / females) ** 0.5
        print(f"| {group} | {psa[group]:.1f} | {' | '.join(cells)} | {error:.1f} |")
    print("- worst gap: " + "; ".join(f"{p} {worst[p][0]:.1f} points at {worst[p][1]}"
                                      for p in NAMED))


# ---------------------------------------------------------------------------------------------
# Households: the census profile's families

# The built-in schema's own column names and kinds, so these members are the default schema's.
HOUSEHOLD_COLUMNS = {"id": "row:1", "size": "household_size"}
MEMBER_COLUMNS = {"id": "row:1", "household_id": "ref:households.id",
                  "relationship": "relationship", "middle_name": "middle_name", "sex": "gender",
                  "age": "age", "civil_status": "civil_status"}
CHILDREN = ("Son", "Daughter")


def household_sizes():
    """Size -> households per 100,000 (data/census_population.json), and their mean."""
    document = json.loads((DATA / "census_population.json").read_text(encoding="utf-8"))
    sizes = dict(document["household_size_per_100000"]["sizes"])
    return sizes, sum(k * n for k, n in sizes.items()) / sum(sizes.values())


def psa_minor_share():
    """Ages 0-17 as a share of the 2020 census's people: the 15-19 group split evenly by age."""
    document = json.loads((DATA / "census_population.json").read_text(encoding="utf-8"))
    groups = {youngest: males + females
              for youngest, males, females in document["age_sex"]["groups"]}
    return (groups[0] + groups[5] + groups[10] + groups[15] * 3 / 5) / sum(groups.values())


class HouseholdTally:
    """What the members of whole households add up to; fed one household at a time."""

    def __init__(self):
        self.households = self.members = self.minors = 0
        self.sizes = Counter()
        self.children = self.with_mother = self.maiden_match = 0
        self.gaps = Counter()
        self.couples = self.couples_agree = 0
        self.fatherly = self.fatherly_one_name = 0  # no mother here, two or more children

    def add(self, family):
        self.households += 1
        self.members += len(family)
        self.sizes[len(family)] += 1
        self.minors += sum(m["age"] < 18 for m in family)
        head = family[0]
        spouse = next((m for m in family if m["relationship"] == "Spouse"), None)
        if spouse is not None:
            self.couples += 1
            self.couples_agree += spouse["civil_status"] == head["civil_status"]
        # The mother is the woman of the couple at the head; her middle name is her maiden
        # surname.
        mother = next((m for m in (head, spouse) if m is not None and m["sex"] == "Female"), None)
        children = [m for m in family if m["relationship"] in CHILDREN]
        self.children += len(children)
        if mother is None:
            if len(children) >= 2:
                self.fatherly += 1
                self.fatherly_one_name += len({c["middle_name"] for c in children}) == 1
            return
        self.with_mother += len(children)
        for child in children:
            self.maiden_match += child["middle_name"] == mother["middle_name"]
            self.gaps[mother["age"] - child["age"]] += 1


def quantile(histogram, q):
    """The q-quantile of a Counter of values (the lower value where it falls between two)."""
    rank = q * (sum(histogram.values()) - 1)
    seen = 0
    for value in sorted(histogram):
        seen += histogram[value]
        if seen > rank:
            return value
    raise ValueError("empty histogram")


def household_tally(members):
    sizes, mean = household_sizes()
    schema = tarvo.Schema.households(round(members / mean), seed=SEED, as_of=AS_OF,
                                     household_columns=HOUSEHOLD_COLUMNS,
                                     member_columns=MEMBER_COLUMNS)
    households, count = schema.row_counts["households"], schema.row_counts["members"]
    result = HouseholdTally()
    found = array("H", bytes(2 * households))  # members seen per household id, two bytes each
    family = []

    def close():
        result.add(family)
        found[family[0]["household_id"] - 1] = len(family)

    for start in range(0, count, CHUNK):
        for member in schema["members"].rows(min(CHUNK, count - start), start=start):
            if family and member["household_id"] != family[0]["household_id"]:
                close()
                family = []
            family.append(member)
    if family:
        close()
    # The households table's size column, against the members each household has.
    mismatched = 0
    for start in range(0, households, CHUNK):
        for home in schema["households"].rows(min(CHUNK, households - start), start=start):
            mismatched += home["size"] != found[home["id"] - 1]
    return schema, result, sizes, mean, mismatched


def print_households(members):
    schema, t, psa, psa_mean, mismatched = household_tally(members)
    counts = schema.row_counts
    print(f"\n## Households: Schema.households({counts['households']:,}), "
          f"{counts['members']:,} members (seed and date as above)")
    print("| size | PSA 2020, households per 100,000 (data/census_population.json) | "
          "tarvo, per 100,000 |")
    print("|---:|---:|---:|")
    for size in sorted(psa.keys() | t.sizes.keys()):
        print(f"| {size} | {psa.get(size, 0):,} | {t.sizes[size] / t.households * 1e5:,.0f} |")
    print(f"| mean | {psa_mean:.3f} (census: 4.1) | {t.members / t.households:.3f} |")
    distance_psa = distance(shares(t.sizes), shares(Counter(psa)))[0]
    print(f"- total variation distance of the sizes: {distance_psa:.4f}; the households "
          f"table's size column against its members: {mismatched} households differ")
    print("\n| figure | target | tarvo |")
    print("|---|---|---|")
    share = t.maiden_match / t.with_mother * 100 if t.with_mother else float("nan")
    print(f"| children (Son, Daughter) whose middle name is their mother's maiden surname (her "
          f"middle name), of the {t.with_mother:,} whose mother (female head or spouse) lives "
          f"in the household | 100% | {share:.3f}% |")
    gaps = t.gaps
    print(f"| mother-child age gap in years: min, quartiles, max ({sum(gaps.values()):,} "
          f"children) | all within 15..45 | {min(gaps)}, {quantile(gaps, 0.25)} / "
          f"{quantile(gaps, 0.5)} / {quantile(gaps, 0.75)}, {max(gaps)} |")
    outside = sum(n for gap, n in gaps.items() if not 15 <= gap <= 45)
    print(f"| children more than 45 or fewer than 15 years younger than their mother | 0 | "
          f"{outside:,} |")
    print(f"| couples (head and spouse) whose civil status agrees, of {t.couples:,} | 100% | "
          f"{t.couples_agree / t.couples * 100:.3f}% |")
    print(f"| members under 18 | PSA 2020 {psa_minor_share() * 100:.1f}% (ages 0-17, its 15-19 "
          f"group split evenly) | {t.minors / t.members * 100:.1f}% |")
    print(f"- children without their mother in the household: {t.children - t.with_mother:,} of "
          f"{t.children:,}; households of two or more such children whose children share one "
          f"middle name: {t.fatherly_one_name:,} of {t.fatherly:,}")


def rotated(profiles, k):
    """The profiles in the order of run k: each leads in turn, and the order flips every run,
    so a machine that slows down mid-run weighs on every side alike."""
    order = profiles[k % len(profiles):] + profiles[:k % len(profiles)]
    return order if k % 2 == 0 else order[::-1]


def print_speed(rows, pairs):
    datasets = {p: tarvo.Dataset(SPEC, seed=SEED, as_of=AS_OF, profile=p) for p in PROFILES}
    folder = tempfile.TemporaryDirectory(prefix="census_report_")

    def by_rows(profile):
        for start in range(0, rows, CHUNK):
            datasets[profile].rows(min(CHUNK, rows - start), start=start)

    # One thread: the ratio is of the work per row; more threads only share the same work out,
    # and on a shared machine they add noise of their own.
    def by_null(profile):
        datasets[profile].write("/dev/null", rows, format="csv", threads=1)

    # What a user runs: a file on disk, both cores.
    def by_file(profile):
        datasets[profile].write(os.path.join(folder.name, f"{profile}.csv"), rows, format="csv",
                                threads=2)

    print(f"\n## Speed, {rows:,} rows of bench_tarvo.py's {len(SPEC)} columns, "
          f"{pairs} rounds of alternating runs of the three profiles")
    print("Ratios are taken within each round (census run / uniform run of the same round): "
          "range over rounds, and median.")
    print("| method | profile | wall (s) | uniform wall (s) | / uniform, wall | / uniform, CPU | "
          "target |")
    print("|---|---|---|---|---|---|---|")
    with folder:
        for label, job, target in (
                ("Dataset.rows, chunks of 100,000", by_rows, "at most 1.3x"),
                ("Dataset.write csv to /dev/null, 1 thread", by_null, "at most 1.5x"),
                ("Dataset.write csv to a file, 2 threads", by_file, "at most 1.5x")):
            for dataset in datasets.values():  # first use: documents parsed, tables built
                dataset.rows(1000)
            runs = {p: [] for p in PROFILES}
            for k in range(pairs):
                for profile in rotated(PROFILES, k):
                    runs[profile].append(timed(lambda: job(profile)))
                    path = os.path.join(folder.name, f"{profile}.csv")
                    if os.path.exists(path):
                        os.remove(path)  # outside the clock; keeps one file on disk at a time
            uniform = runs["uniform"]
            for profile in ("census", "census-1"):
                ratios = []
                for clock in (0, 1):
                    pair = [c[clock] / u[clock] for c, u in zip(runs[profile], uniform)]
                    ratios.append(f"{min(pair):.2f}-{max(pair):.2f}x (median "
                                  f"{statistics.median(pair):.2f}x)")
                spans = [f"{min(w for w, _ in r):.2f}-{max(w for w, _ in r):.2f}"
                         for r in (runs[profile], uniform)]
                goal = target if profile == "census" else "(the previous profile)"
                print(f"| {label} | {profile} | {' | '.join(spans)} | {' | '.join(ratios)} | "
                      f"{goal} |")


def draw(census_r, ours, rows):
    try:
        import matplotlib
    except ImportError:
        print("\n(no picture: matplotlib not installed; pip install -r bench/requirements.txt)")
        return
    matplotlib.use("Agg")
    from matplotlib import pyplot
    from matplotlib.ticker import PercentFormatter

    order = sorted(census_r, key=census_r.get)  # largest at the top of the chart
    series = (("2024 census", census_r, "#4d4d4d"),
              ('profile="census"', ours["census"], "#1f77b4"),
              ('profile="uniform"', ours["uniform"], "#ff7f0e"))
    height = 0.27
    figure, axes = pyplot.subplots(figsize=(8, 8), dpi=90)
    for k, (label, values, colour) in enumerate(series):
        axes.barh([i + (1 - k) * height for i in range(len(order))],
                  [values.get(r, 0) * 100 for r in order], height, label=label, color=colour)
    axes.set_yticks(range(len(order)), [short_region(r) for r in order])
    axes.xaxis.set_major_formatter(PercentFormatter(decimals=0))
    axes.set_xlabel("share of people (census) or of rows (tarvo)")
    axes.set_title(f"Region shares: tarvo.Dataset, {rows:,} rows per profile,\n"
                   "beside the 2024 Census of Population (PSA)")
    axes.grid(axis="x", color="#dddddd")
    axes.set_axisbelow(True)
    axes.set_ylim(-0.6, len(order) - 0.4)
    axes.legend(loc="lower right")
    for side in ("top", "right"):
        axes.spines[side].set_visible(False)
    figure.tight_layout()
    PICTURE.parent.mkdir(exist_ok=True)
    figure.savefig(PICTURE, metadata={"Software": None})
    pyplot.close(figure)
    print(f"\npicture: {PICTURE.relative_to(ROOT)} ({PICTURE.stat().st_size / 1024:.0f} KB)")


def figures(args):
    census_regions, census_cities, missing = census_populations()
    print(f"census: {sum(census_regions.values()):,} people in the barangay figures "
          f"({missing} barangays without one)")
    plan = landline_plan()
    sample_every = max(1, args.rows // max(1, args.phone_sample))
    tallies = {p: tally(p, args.rows, plan, sample_every) for p in PROFILES}
    census_r, ours = print_places(tallies, census_regions, census_cities)
    print_people(tallies)
    print_phones(tallies)
    if not args.no_plot:
        draw(census_r, ours, args.rows)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rows", type=int, default=1_000_000)
    parser.add_argument("--pairs", type=int, default=7, help="alternating rounds of timed runs")
    parser.add_argument("--phone-sample", type=int, default=100_000,
                        help="numbers of each type checked by phonenumbers (every Nth row)")
    parser.add_argument("--cohort-rows", type=int, default=None,
                        help="rows of the census profile at ages 0-100 for the first names by "
                             "birth cohort (default: --rows)")
    parser.add_argument("--only", choices=SECTIONS, action="append",
                        help="run only this section; give it again for more")
    parser.add_argument("--no-plot", action="store_true")
    args = parser.parse_args()
    sections = args.only or SECTIONS
    began = time.perf_counter()
    print(f"tarvo {tarvo.__version__}, Python {sys.version.split()[0]}; "
          f"{args.rows:,} rows per profile, seed {SEED}, as_of {AS_OF.isoformat()}")
    if "figures" in sections:
        figures(args)
    if "names" in sections:
        print_names(args.rows, args.cohort_rows or args.rows)
    if "households" in sections:
        print_households(args.rows)
    if "speed" in sections:
        print_speed(args.rows, args.pairs)
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024  # KiB on Linux
    print(f"\n(report took {time.perf_counter() - began:.0f} s; peak memory {peak:.0f} MB)")


if __name__ == "__main__":
    main()
