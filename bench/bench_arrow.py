"""bench/bench_arrow.py: rows per second of Dataset.arrow into pyarrow and polars, one and two threads.

Usage: python bench/bench_arrow.py [--rows N] [--runs K]
Each figure is the range over K runs; the consumers and thread counts take turns within every
round, so a shared machine that slows down moves them all alike. "Stream alone" reads the
batches and drops them: the producer's own rate, which bounds the others. Rows per CPU second
(all of the process's threads) do not depend on what else the machine runs: with n idle cores,
n times that figure is the most the wall clock can show.
"""
import argparse
import datetime
import gc
import os
import time

import polars
import pyarrow

import tarvo
from bench_tarvo import SPEC

TARGET = 4_000_000


def drain(source):
    for _ in pyarrow.RecordBatchReader.from_stream(source):
        pass


CONSUMERS = {"stream alone": drain, "pyarrow.table": pyarrow.table,
             "polars.DataFrame": polars.DataFrame}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rows", type=int, default=10_000_000)
    parser.add_argument("--runs", type=int, default=2)
    args = parser.parse_args()
    load = os.getloadavg()[0]
    dataset = tarvo.Dataset(SPEC, seed=1, as_of=datetime.date(2026, 1, 1))
    pyarrow.table(dataset.arrow(1000))  # data documents parsed outside the timing
    rates = {(name, threads): [] for name in CONSUMERS for threads in (1, 2)}
    per_cpu = {key: [] for key in rates}
    for _ in range(args.runs):
        for (name, threads), seen in rates.items():
            gc.collect()
            start, cpu = time.perf_counter(), time.process_time()
            result = CONSUMERS[name](dataset.arrow(args.rows, threads=threads))
            seen.append(args.rows / (time.perf_counter() - start))
            per_cpu[name, threads].append(args.rows / (time.process_time() - cpu))
            del result

    print(f"{args.rows:,} rows of the {len(SPEC)} benchmark columns, {args.runs} runs each, "
          f"pyarrow {pyarrow.__version__}, polars {polars.__version__}")
    print(f"load average before the runs: {load:.2f} on {os.cpu_count()} cores")
    print("| into | threads | rows/s (range) | rows per CPU second (range) | target |")
    print("|---|---|---|---|---|")
    for (name, threads), seen in rates.items():
        target = f"at least {TARGET:,} rows/s" if threads == 2 and name != "stream alone" else ""
        cpu = per_cpu[name, threads]
        print(f"| {name} | {threads} | {min(seen):,.0f} - {max(seen):,.0f} "
              f"| {min(cpu):,.0f} - {max(cpu):,.0f} | {target} |")
    for name in CONSUMERS:
        ratio = max(rates[name, 2]) / max(rates[name, 1])
        print(f"| {name}: 2 threads / 1 thread (best runs) | | {ratio:.2f}x | | |")


if __name__ == "__main__":
    main()
