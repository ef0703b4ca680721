"""bench/census_report.py: how Philippine each profile's rows look, and what "census" costs.

Usage: python bench/census_report.py [--rows N] [--pairs K] [--phone-sample M]
                                     [--only figures|speed] [--no-plot]
For N rows (default 1,000,000) of each profile, with one fixed seed and date, prints: region and
city shares against the 2024 census, blood types, civil status by age, repeated e-mail addresses,
landline area codes against the province, phonenumbers validity, and the time of "census" against
"uniform". Draws docs/region_shares.png (matplotlib, from bench/requirements.txt).
"""
import argparse
import datetime
import json
import statistics
import sys
import time
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
PROFILES = ("census", "uniform")
COLUMNS = {
    "region": "region",
    "province": "province",
    "city": "city_mun",
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
        self.emails = Counter()
        self.landline_known = self.area_match = self.plan_match = 0
        self.mobiles, self.landlines = [], []

    def add(self, rows, start):
        for i, row in enumerate(rows, start):
            self.regions[row["region"]] += 1
            self.cities[row["province"], row["city"]] += 1
            self.blood[row["blood"]] += 1
            self.civil[band(row["age"])][row["civil"]] += 1
            self.emails[row["email"].lower()] += 1
            self._landline(row["province"], row["landline"])
            if i % self.sample_every == 0:
                self.mobiles.append(row["mobile"])
                self.landlines.append(row["landline"])
        self.rows += len(rows)

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
    return result


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
        repeated = sum(n for n in t.emails.values() if n > 1)
        print(f"| {profile} | {repeated / t.rows * 100:.2f}% | {len(t.emails):,} |")


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


def print_speed(rows, pairs):
    datasets = {p: tarvo.Dataset(SPEC, seed=SEED, as_of=AS_OF, profile=p) for p in PROFILES}

    def by_rows(dataset):
        for start in range(0, rows, CHUNK):
            dataset.rows(min(CHUNK, rows - start), start=start)

    # One thread: the ratio is of the work per row; more threads only share the same work out,
    # and on a shared machine they add noise of their own.
    def by_write(dataset):
        dataset.write("/dev/null", rows, format="csv", threads=1)

    print(f"\n## Speed, {rows:,} rows of bench_tarvo.py's {len(SPEC)} columns, "
          f"{pairs} pairs of alternating runs")
    print("| method | census wall (s) | uniform wall (s) | census / uniform, wall | "
          "census / uniform, CPU | target |")
    print("|---|---|---|---|---|---|")
    for label, job in (("Dataset.rows, chunks of 100,000", by_rows),
                       ("Dataset.write csv to /dev/null, 1 thread", by_write)):
        for dataset in datasets.values():  # first use: documents parsed, tables built
            dataset.rows(1000)
        runs = {p: [] for p in PROFILES}
        for k in range(pairs):
            # Each pair runs both back to back, the order swapped every pair, so a machine that
            # slows down mid-run weighs on both sides alike.
            for profile in PROFILES if k % 2 == 0 else reversed(PROFILES):
                runs[profile].append(timed(lambda: job(datasets[profile])))
        spans = " | ".join(f"{min(w for w, _ in runs[p]):.2f}-{max(w for w, _ in runs[p]):.2f}"
                           for p in PROFILES)
        ratios = []
        for clock in (0, 1):
            pair = [c[clock] / u[clock] for c, u in zip(runs["census"], runs["uniform"])]
            ratios.append(f"{min(pair):.2f}-{max(pair):.2f}x (median "
                          f"{statistics.median(pair):.2f}x)")
        print(f"| {label} | {spans} | {' | '.join(ratios)} | at most 1.2x |")


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
    parser.add_argument("--pairs", type=int, default=7, help="alternating pairs of timed runs")
    parser.add_argument("--phone-sample", type=int, default=100_000,
                        help="numbers of each type checked by phonenumbers (every Nth row)")
    parser.add_argument("--only", choices=["figures", "speed"])
    parser.add_argument("--no-plot", action="store_true")
    args = parser.parse_args()
    began = time.perf_counter()
    print(f"tarvo {tarvo.__version__}, Python {sys.version.split()[0]}; "
          f"{args.rows:,} rows per profile, seed {SEED}, as_of {AS_OF.isoformat()}")
    if args.only in (None, "figures"):
        figures(args)
    if args.only in (None, "speed"):
        print_speed(args.rows, args.pairs)
    print(f"\n(report took {time.perf_counter() - began:.0f} s)")


if __name__ == "__main__":
    main()
