"""bench/bench_engine.py: the seeded engine against Dummy.seed, its native writer, and the peers.

Usage: python bench/bench_engine.py [--rows N] [--file-rows N] [--runs K] [--only SECTION]
Sections: rows (Dataset.rows against Dummy.seed), writer (the person columns' CSV), orders (the
column language's orders table), peers.
Ratios come from alternating paired runs in this one process (see bench_tarvo.paired); the
writer's memory is the peak resident size of a child process that does nothing else.
"""
import argparse
import datetime
import io
import os
import sys
import tempfile
import time

import tarvo

sys.path.insert(0, os.path.dirname(__file__))
from bench_tarvo import SPEC, child, paired, row  # noqa: E402

PERSON = {kind: kind for kind in ("first_name", "last_name", "gender", "birthdate", "age",
                                  "email", "phone_number", "full_address")}
# The orders table of the column language (bench/bench_rows.hpp has the same for the C++ drawer).
ORDERS = {"order_id": "row:1", "order_no": "pattern:ORD-2026-######",
          "status": "choice:Active=80,Inactive=15,Suspended=5", "created_at": "datetime:-2y:0d",
          "total": "money:50:25000", "paid": "bool:0.85", "deleted_at": "date:-1y:0d;nulls=0.9",
          "label": "template:{order_no}/{status|lower}", "uuid": "uuid", "items": "int:1:12"}
AS_OF = datetime.date(2026, 1, 1)


def rows_against_seed(rows, runs):
    dummy = tarvo.Dummy()
    for profile in ("uniform", "census"):
        dataset = tarvo.Dataset(SPEC, seed=1, as_of=AS_OF, profile=profile)
        ours, theirs, ratio = paired(lambda: dataset.rows(rows), lambda: dummy.seed(rows, SPEC),
                                     runs)
        row(f"Dataset.rows({rows:,}), {profile} profile, against Dummy.seed",
            f"{ours:.2f} s against {theirs:.2f} s: {ratio:.2f}x", "at most 1.1x")


def write_rate(dataset, rows, threads, fmt="csv"):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, f"out.{fmt}")
        start = time.perf_counter()
        dataset.write(path, rows, threads=threads)
        return rows / (time.perf_counter() - start)


def writer(rows, runs):
    dataset = tarvo.Dataset(PERSON, seed=1, as_of=AS_OF)
    for threads in (1, 2):
        rates = sorted(write_rate(dataset, rows, threads) for _ in range(runs))
        row(f"CSV of the command line's person columns, {rows:,} rows to a file, "
            f"{threads} thread{'s' if threads > 1 else ''}",
            f"{rates[0]:,.0f} to {rates[-1]:,.0f} rows/s", "at least 4,000,000 with 2 threads")
    pairs = []
    for _ in range(runs):
        one = write_rate(dataset, rows, 1)
        two = write_rate(dataset, rows, 2)
        pairs.append(two / one)
    pairs.sort()
    row("two threads against one (paired)", f"{pairs[0]:.2f}x to {pairs[-1]:.2f}x",
        "at least 1.7x")
    peak = child(f"""
        import resource, tarvo, datetime
        tarvo.Dataset({PERSON!r}, seed=1).write("/dev/null", {rows}, format="csv", threads=2)
        print(resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)
    """)
    row("peak resident memory of that process", f"{int(peak) / 1024:.0f} MiB", "under 100 MB")


def orders(rows, runs):
    """The orders table: CSV with two threads, rows() and Parquet."""
    dataset = tarvo.Dataset(ORDERS, seed=1, as_of=AS_OF)
    rates = sorted(write_rate(dataset, rows, 2) for _ in range(runs))
    row(f"orders table (10 columns of the column language), CSV of {rows:,} rows, 2 threads",
        f"{rates[0]:,.0f} to {rates[-1]:,.0f} rows/s", "at least 3,000,000")
    rates = sorted(write_rate(dataset, rows, 1) for _ in range(runs))
    row("  the same, 1 thread", f"{rates[0]:,.0f} to {rates[-1]:,.0f} rows/s", "")
    small = rows // 10
    times = sorted(_timed(lambda: dataset.rows(small)) for _ in range(runs))
    row(f"  Dataset.rows({small:,})", f"{small / times[-1]:,.0f} to {small / times[0]:,.0f} rows/s",
        "")


def peers(runs):
    """The peers make the same ten columns into CSV and into a pandas DataFrame written as
    Parquet; each is timed on fewer rows and compared by rows per second."""
    import pandas
    dataset = tarvo.Dataset(SPEC, seed=1, as_of=AS_OF)
    ours = 2_000_000
    csv_rate = ours / _timed(lambda: dataset.write(io.BytesIO(), ours, format="csv"))
    with tempfile.TemporaryDirectory() as folder:
        parquet_rate = ours / _timed(lambda: dataset.write(os.path.join(folder, "x.parquet"), ours))
    row("tarvo CSV / Parquet rows/s", f"{csv_rate:,.0f} / {parquet_rate:,.0f}")
    makers = {}
    try:
        from faker import Faker
        fake = Faker("en_PH")
        Faker.seed(1)
        makers["Faker (en_PH)"] = lambda: {
            "name": fake.name(), "gender": fake.random_element(("Male", "Female")),
            "age": fake.random_int(18, 70), "email": fake.email(), "phone": fake.mobile_number(),
            "n": fake.random_int(1, 100),
            "x": fake.pyfloat(min_value=0, max_value=1000, right_digits=2),
            "c": fake.random_element(("a", "b", "c")), "address": fake.address(),
            "id": fake.uuid4()}
    except ImportError:
        row("Faker", "not installed (pip install -r bench/requirements.txt)")
    try:
        from mimesis import Field, Locale
        field = Field(Locale.EN, seed=1)
        makers["Mimesis (en)"] = lambda: {
            "name": field("person.full_name"), "gender": field("person.gender"),
            "age": field("numeric.integer_number", start=18, end=70),
            "email": field("person.email"), "phone": field("person.phone_number"),
            "n": field("numeric.integer_number", start=1, end=100),
            "x": field("numeric.float_number", start=0, end=1000, precision=2),
            "c": field("choice", items=["a", "b", "c"]), "address": field("address.address"),
            "id": field("uuid")}
    except ImportError:
        row("Mimesis", "not installed (pip install -r bench/requirements.txt)")
    import csv
    for name, make in makers.items():
        n = 20_000

        def to_csv():
            out = io.StringIO()
            writer = csv.DictWriter(out, fieldnames=list(SPEC))
            writer.writeheader()
            writer.writerows(make() for _ in range(n))

        def to_parquet():
            with tempfile.TemporaryDirectory() as folder:
                pandas.DataFrame([make() for _ in range(n)]).to_parquet(
                    os.path.join(folder, "x.parquet"))

        their_csv = n / _timed(to_csv)
        their_parquet = n / _timed(to_parquet)
        row(f"{name} CSV / Parquet rows/s", f"{their_csv:,.0f} / {their_parquet:,.0f}")
        row(f"tarvo / {name}", f"CSV {csv_rate / their_csv:,.0f}x, "
            f"Parquet {parquet_rate / their_parquet:,.0f}x")


def _timed(job):
    start = time.perf_counter()
    job()
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rows", type=int, default=1_000_000)
    parser.add_argument("--file-rows", type=int, default=10_000_000)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--only", choices=["rows", "writer", "orders", "peers"])
    args = parser.parse_args()
    print(f"tarvo {tarvo.__version__}, Python {sys.version.split()[0]}, {os.cpu_count()} cores")
    print("| measure | figure | target |")
    print("|---|---|---|")
    sections = {"rows": lambda: rows_against_seed(args.rows, args.runs),
                "writer": lambda: writer(args.file_rows, args.runs),
                "orders": lambda: orders(args.file_rows, args.runs),
                "peers": lambda: peers(args.runs)}
    for name, section in sections.items():
        if args.only in (None, name):
            section()


if __name__ == "__main__":
    main()
