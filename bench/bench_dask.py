"""bench/bench_dask.py: rows per second of tarvo.dask partitions on a two-worker LocalCluster against one process.

Usage: python bench/bench_dask.py [--rows N] [--partition-rows P] [--runs K]
Both sides make the same frame of the ten benchmark columns, partition by partition, and reduce
each partition to its length, so every partition is drawn and turned into pandas while nothing
of it travels back: "one process" is Dask's threaded scheduler with one thread per core in this
process; the cluster is two worker processes of one thread each. The two take turns within each
round and the figures are ranges over the rounds.
"""
import argparse
import datetime
import os
import statistics
import time

import dask
import distributed

import tarvo
from bench_tarvo import SPEC
from tarvo.dask import from_dataset


def partition_lengths(frame):
    # Each partition's length, summed: every column of every partition is drawn (a selection
    # of no columns would let Dask skip drawing them), and only a number comes back.
    return frame.map_partitions(len, meta=(None, "int64")).sum()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rows", type=int, default=20_000_000)
    parser.add_argument("--partition-rows", type=int, default=1_000_000)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    dataset = tarvo.Dataset(SPEC, seed=1, as_of=datetime.date(2026, 1, 1))
    frame = from_dataset(dataset, args.rows, partition_rows=args.partition_rows)
    total = partition_lengths(frame)
    load = os.getloadavg()[0]
    rates = {"one process (threaded scheduler)": [], "LocalCluster, 2 worker processes": []}
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster, set_as_default=False) as client:
        client.submit(from_dataset(dataset, 1000).compute).result()  # workers import everything
        for _ in range(args.runs):
            start = time.perf_counter()
            with dask.config.set(scheduler="threads", num_workers=os.cpu_count()):
                assert total.compute() == args.rows
            rates["one process (threaded scheduler)"].append(
                args.rows / (time.perf_counter() - start))
            start = time.perf_counter()
            assert client.compute(total).result() == args.rows
            rates["LocalCluster, 2 worker processes"].append(
                args.rows / (time.perf_counter() - start))

    print(f"{args.rows:,} rows of the {len(SPEC)} benchmark columns in partitions of "
          f"{args.partition_rows:,}, {args.runs} runs each, dask {dask.__version__}")
    print(f"load average before the runs: {load:.2f} on {os.cpu_count()} cores")
    print("| computed by | rows/s (range over runs) |")
    print("|---|---|")
    for name, seen in rates.items():
        print(f"| {name} | {min(seen):,.0f} to {max(seen):,.0f} "
              f"(median {statistics.median(seen):,.0f}) |")
    ratios = [b / a for a, b in zip(*rates.values())]
    print(f"| cluster / one process, per round | {min(ratios):.2f}x to {max(ratios):.2f}x "
          f"(median {statistics.median(ratios):.2f}x) |")


if __name__ == "__main__":
    main()
