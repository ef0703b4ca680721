"""bench/bench_save.py: Dummy.save against csv.DictWriter and json.dump on the same rows.

Usage: python bench/bench_save.py [rows]   (default 1,000,000 ten-column rows built in Python)
Prints the median of several runs of each, in one process so the ratios hold on a busy machine.
"""
import csv
import json
import os
import sys
import tempfile
import time
from contextlib import redirect_stdout

import _tarvo
from bench_tarvo import median_time as timed


def make_rows(n):
    return [
        {
            "id": i,
            "name": f"Juan Dela Cruz {i}",
            "gender": "Male" if i % 2 else "Female",
            "age": 18 + i % 53,
            "email": f"juan.delacruz{i}@gmail.com",
            "phone": f"+63 917 {1000000 + i % 9000000}",
            "score": i / 7,
            "status": "Active",
            "address": f"Bani, Bacarra, Ilocos Norte, Region I (Ilocos Region) {2902 + i % 3}",
            "note": None,
        }
        for i in range(n)
    ]


def main():
    n = int(sys.argv[1]) if len(sys.argv) > 1 else 1_000_000
    runs = 3
    rows = make_rows(n)
    dummy = _tarvo.Dummy()
    with tempfile.TemporaryDirectory() as tmp:
        base = os.path.join(tmp, "rows")
        devnull = open(os.devnull, "w")

        def tarvo_csv():
            dummy.save(rows, base, "csv")

        def tarvo_json():
            dummy.save(rows, base, "json")

        def dictwriter():
            with open(base + ".py.csv", "w", newline="", encoding="utf-8") as f:
                w = csv.DictWriter(f, fieldnames=list(rows[0]), lineterminator="\n")
                w.writeheader()
                w.writerows(rows)

        def json_dump():
            with open(base + ".py.json", "w", encoding="utf-8") as f:
                json.dump(rows, f, indent=4)

        results = {}
        with redirect_stdout(devnull):
            for name, fn in [("tarvo save csv", tarvo_csv), ("csv.DictWriter", dictwriter),
                             ("tarvo save json", tarvo_json), ("json.dump indent=4", json_dump)]:
                results[name] = timed(fn, runs)
        # save prints on file descriptor 1 itself; those lines are part of its cost

    print(f"{n:,} rows x 10 columns, median of {runs} runs")
    print(f"{'what':<22}{'seconds':>10}")
    for name, secs in results.items():
        print(f"{name:<22}{secs:>10.3f}")
    print(f"csv speed-up over DictWriter: {results['csv.DictWriter'] / results['tarvo save csv']:.2f}x")
    print(f"json ratio to json.dump:      {results['json.dump indent=4'] / results['tarvo save json']:.2f}x")


if __name__ == "__main__":
    main()
