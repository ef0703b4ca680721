"""bench/compare_builds.py: two builds of the module side by side, a column at a time, in turns.

Usage: python bench/compare_builds.py DIR_A DIR_B [--rows N] [--turns K] [--threads T]
Each DIR holds a built `_tarvo*.so` (a build tree, or a wheel unpacked); the package `tarvo` is
the installed one. Every measure runs in a fresh process per build, the builds alternating, so a
busy machine slows both alike; the figures are ns per row of CSV written to /dev/null, as ranges
over the turns, and the ratio B/A of each turn's pair.
"""
import argparse
import json
import os
import subprocess
import sys

# One census person column at a time (an average over cheap columns would hide a slow one), the
# command line's default person columns, and the orders table of the column language.
MEASURES = {kind: {"c": kind} for kind in
            ("first_name", "last_name", "email", "age", "birthdate", "occupation", "education",
             "full_address", "phone_number", "landline")}
MEASURES["person columns"] = {k: k for k in ("first_name", "last_name", "gender", "birthdate",
                                             "age", "email", "phone_number", "full_address")}
MEASURES["orders table"] = {
    "order_id": "row:1", "order_no": "pattern:ORD-2026-######",
    "status": "choice:Active=80,Inactive=15,Suspended=5", "created_at": "datetime:-2y:0d",
    "total": "money:50:25000", "paid": "bool:0.85", "deleted_at": "date:-1y:0d;nulls=0.9",
    "label": "template:{order_no}/{status|lower}", "uuid": "uuid", "items": "int:1:12"}

CHILD = """
import datetime, json, sys, time, _tarvo, tarvo
columns, rows, threads = json.loads(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])
data = tarvo.Dataset(columns, seed=1, as_of=datetime.date(2026, 1, 1))
data.write("/dev/null", 10_000, format="csv", threads=threads)  # first use: documents loaded
start = time.perf_counter()
data.write("/dev/null", rows, format="csv", threads=threads)
print((time.perf_counter() - start) / rows * 1e9)
"""


def measure(folder, columns, rows, threads):
    env = {**os.environ, "PYTHONPATH": os.path.abspath(folder)}
    done = subprocess.run([sys.executable, "-c", CHILD, json.dumps(columns), str(rows),
                           str(threads)], env=env, capture_output=True, text=True, check=True)
    return float(done.stdout)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("a")
    parser.add_argument("b")
    parser.add_argument("--rows", type=int, default=1_000_000)
    parser.add_argument("--turns", type=int, default=3)
    parser.add_argument("--threads", type=int, default=1)
    parser.add_argument("--only", nargs="*", help="measures to run (default: all)")
    args = parser.parse_args()
    print(f"A = {args.a}, B = {args.b}; {args.rows:,} rows, {args.threads} thread(s), "
          f"{args.turns} turns; load {os.getloadavg()[0]:.2f}")
    print("| measure | A ns/row | B ns/row | B/A |")
    print("|---|---|---|---|")
    for name, columns in MEASURES.items():
        if args.only and name not in args.only:
            continue
        a, b = [], []
        for turn in range(args.turns):
            # Alternate which build goes first, so neither always meets a warmer machine.
            first, second = ((args.a, a), (args.b, b)) if turn % 2 == 0 else ((args.b, b), (args.a, a))
            first[1].append(measure(first[0], columns, args.rows, args.threads))
            second[1].append(measure(second[0], columns, args.rows, args.threads))
        ratios = sorted(y / x for x, y in zip(a, b))
        print(f"| {name} | {min(a):.0f}–{max(a):.0f} | {min(b):.0f}–{max(b):.0f} | "
              f"{ratios[0]:.2f}–{ratios[-1]:.2f} |")
    print(f"load at the end {os.getloadavg()[0]:.2f}")


if __name__ == "__main__":
    main()
