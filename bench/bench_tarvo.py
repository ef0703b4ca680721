"""bench/bench_tarvo.py: tarvo against the interpreter's own floor, its peers, and Python's writers.

Usage: python bench/bench_tarvo.py [--rows N] [--runs K]
Every figure is the median of K runs, all taken in this one process run (first-use and memory
figures in fresh child processes) so that the ratios hold on a busy machine.
"""
import argparse
import csv
import json
import os
import statistics
import subprocess
import sys
import tempfile
import textwrap
import time

import _tarvo

SPEC = {
    "name": "full_name",
    "gender": "gender",
    "age": "age",
    "email": "email",
    "phone": "phone_number",
    "n": "int:1:100",
    "x": "float:0:1000",
    "c": "choice:a,b,c",
    "address": "full_address",
    "id": "uuid",
}


def median_time(fn, runs):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        fn()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def paired(first, second, runs):
    """Times two jobs in alternation and returns (median first, median second, median ratio).

    The ratio of each adjacent pair is taken before the median, so a machine that slows down
    or speeds up during the run moves both sides of a pair alike.
    """
    pairs = []
    for _ in range(runs):
        a = median_time(first, 1)
        b = median_time(second, 1)
        pairs.append((a, b))
    return (statistics.median(a for a, _ in pairs), statistics.median(b for _, b in pairs),
            statistics.median(a / b for a, b in pairs))


def child(code):
    done = subprocess.run([sys.executable, "-c", textwrap.dedent(code)], capture_output=True,
                          text=True, check=True)
    return done.stdout


def row(label, value, target=""):
    print(f"| {label} | {value} | {target} |")


def throughput(rows, runs):
    dummy = _tarvo.Dummy()
    template = dummy.seed(1, SPEC)[0]
    seed, floor, ratio = paired(lambda: dummy.seed(rows, SPEC),
                                lambda: [dict(template) for _ in range(rows)], runs)
    row(f"seed({rows:,}, 10 columns)", f"{seed:.3f} s")
    row(f"template-copy floor, {rows:,} dicts", f"{floor:.3f} s")
    row("seed / floor (median of paired runs)", f"{ratio:.2f}x", "at most 4x")


def peers(runs):
    dummy = _tarvo.Dummy()
    n_tarvo = 200_000

    def tarvo_rows():
        return dummy.seed(n_tarvo, SPEC)

    tarvo_rate = n_tarvo / median_time(tarvo_rows, runs)
    row("tarvo rows/s", f"{tarvo_rate:,.0f}")
    try:
        from faker import Faker
    except ImportError:
        row("Faker", "not installed (pip install -r bench/requirements.txt)")
    else:
        fake = Faker("en_PH")
        Faker.seed(1)

        # Faker has no person record: gender, name, age and e-mail are independent draws.
        def faker_rows(n):
            return [
                {
                    "name": fake.name(),
                    "gender": fake.random_element(("Male", "Female")),
                    "age": fake.random_int(18, 70),
                    "email": fake.email(),
                    "phone": fake.mobile_number(),
                    "n": fake.random_int(1, 100),
                    "x": fake.pyfloat(min_value=0, max_value=1000, right_digits=2),
                    "c": fake.random_element(("a", "b", "c")),
                    "address": fake.address(),
                    "id": fake.uuid4(),
                }
                for _ in range(n)
            ]

        n_faker = 5_000
        tarvo_time, faker_time, ratio = paired(tarvo_rows, lambda: faker_rows(n_faker), runs)
        row("Faker (en_PH) rows/s", f"{n_faker / faker_time:,.0f}")
        speedup = (n_tarvo / n_faker) / ratio
        row("tarvo / Faker (median of paired runs)", f"{speedup:,.0f}x", "at least 300x")
    try:
        from mimesis import Field, Locale, Schema
    except ImportError:
        row("Mimesis", "not installed (pip install -r bench/requirements.txt)")
    else:
        # Mimesis has no Philippine locale (English is used) and no person record either.
        field = Field(Locale.EN)
        n_mimesis = 20_000
        schema = Schema(
            schema=lambda: {
                "name": field("person.full_name"),
                "gender": field("person.gender"),
                "age": field("numeric.integer_number", start=18, end=70),
                "email": field("person.email"),
                "phone": field("person.phone_number"),
                "n": field("numeric.integer_number", start=1, end=100),
                "x": field("numeric.float_number", start=0, end=1000, precision=2),
                "c": field("choice", items=["a", "b", "c"]),
                "address": field("address.address"),
                "id": field("uuid"),
            },
            iterations=n_mimesis,
        )
        tarvo_time, mimesis_time, ratio = paired(tarvo_rows, schema.create, runs)
        row("Mimesis (en) rows/s", f"{n_mimesis / mimesis_time:,.0f}")
        speedup = (n_tarvo / n_mimesis) / ratio
        row("tarvo / Mimesis (median of paired runs)", f"{speedup:,.0f}x", "at least 30x")


def first_use(runs):
    first = "import _tarvo; _tarvo.Dummy().seed(1, {'a': 'full_address'})"

    # Interpreter start-up takes tens of milliseconds and varies by several: the fastest of many
    # starts is the steadiest estimate of each, so this figure compares minima, not medians.
    def whole(code):
        times = []
        for _ in range(max(20, runs * 4)):
            start = time.perf_counter()
            subprocess.run([sys.executable, "-c", code], check=True)
            times.append(time.perf_counter() - start)
        return min(times)

    added = whole(first) - whole("pass")
    row("import + first row, whole process minus empty start (fastest of 20)",
        f"{added * 1000:.1f} ms", "under 30 ms")
    samples = []
    for _ in range(max(5, runs)):
        out = child("""
            import os, time
            def rss():
                with open("/proc/self/statm") as f:
                    return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")
            start = time.perf_counter()
            import _tarvo
            imported = time.perf_counter()
            d = _tarvo.Dummy()
            before = rss()
            d.seed(1, {"a": "full_address"})
            done = time.perf_counter()
            print(imported - start, done - imported, rss() - before)
        """)
        samples.append([float(x) for x in out.split()])
    imported, first_row, grown = (statistics.median(column) for column in zip(*samples))
    row("import + first row, timed inside a fresh process",
        f"{(imported + first_row) * 1000:.1f} ms", "under 30 ms")
    row("of which the first row (name lists + address data set)", f"{first_row * 1000:.1f} ms")
    row("resident memory the first row adds", f"{grown / 2**20:.1f} MiB")


def memory(rows):
    out = child(f"""
        import os, sys, _tarvo
        def rss():
            with open("/proc/self/statm") as f:
                return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")
        spec = {SPEC!r}
        d = _tarvo.Dummy()
        d.seed(1, spec)
        before = rss()
        rows = d.seed({rows}, spec)
        grown = rss() - before
        seen, size = set(), sys.getsizeof(rows)
        for r in rows:
            size += sys.getsizeof(r)
            for v in r.values():
                if id(v) not in seen:
                    seen.add(id(v))
                    size += sys.getsizeof(v)
        print(grown, size)
    """)
    grown, size = map(int, out.split())
    row("resident memory added by seed", f"{grown / 2**20:.0f} MiB")
    row("size of the result (list, dicts, distinct values)", f"{size / 2**20:.0f} MiB")
    row("memory / result", f"{grown / size:.2f}x", "at most 1.2x")


def save(rows, runs):
    dummy = _tarvo.Dummy()
    data = dummy.seed(rows, SPEC)
    with tempfile.TemporaryDirectory() as tmp:
        base = os.path.join(tmp, "rows")
        saved_stdout = os.dup(1)
        devnull = os.open(os.devnull, os.O_WRONLY)
        os.dup2(devnull, 1)  # save's completion line goes to file descriptor 1 itself
        try:
            tarvo_csv = median_time(lambda: dummy.save(data, base, "csv"), runs)
            tarvo_json = median_time(lambda: dummy.save(data, base, "json"), runs)

            def dictwriter():
                with open(base + ".py.csv", "w", newline="", encoding="utf-8") as f:
                    writer = csv.DictWriter(f, fieldnames=list(SPEC), lineterminator="\n")
                    writer.writeheader()
                    writer.writerows(data)

            def dump():
                with open(base + ".py.json", "w", encoding="utf-8") as f:
                    json.dump(data, f, indent=4)

            py_csv = median_time(dictwriter, runs)
            py_json = median_time(dump, runs)
        finally:
            os.dup2(saved_stdout, 1)
            os.close(devnull)
            os.close(saved_stdout)
    row(f"save CSV, {rows:,} rows", f"{tarvo_csv:.3f} s")
    row("csv.DictWriter, same rows", f"{py_csv:.3f} s")
    row("CSV speed-up", f"{py_csv / tarvo_csv:.2f}x", "at least 3x")
    row(f"save JSON, {rows:,} rows", f"{tarvo_json:.3f} s")
    row("json.dump(indent=4), same rows", f"{py_json:.3f} s")
    row("JSON speed ratio", f"{py_json / tarvo_json:.2f}x", "at least 1x")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rows", type=int, default=1_000_000)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--only", choices=["throughput", "peers", "first", "memory", "save"])
    args = parser.parse_args()
    print(f"tarvo {_tarvo.__version__}, Python {sys.version.split()[0]}, {os.cpu_count()} cores")
    print("| measure | figure | target |")
    print("|---|---|---|")
    sections = {
        "throughput": lambda: throughput(args.rows, args.runs),
        "peers": lambda: peers(args.runs),
        "first": lambda: first_use(args.runs),
        "memory": lambda: memory(args.rows),
        "save": lambda: save(args.rows, max(1, args.runs // 2)),
    }
    for name, section in sections.items():
        if args.only in (None, name):
            section()


if __name__ == "__main__":
    main()
