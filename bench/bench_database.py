"""bench/bench_database.py: rows per second into PostgreSQL and SQLite, Dataset.to_database against pandas DataFrame.to_sql.

Usage: python bench/bench_database.py [--rows N] [--runs K]
Starts its own PostgreSQL server (tests/python/postgres_server.py, durable settings: fsync on) and
loads the ten benchmark columns into a new table per run; SQLite gets them with an address as
well (JSON text, which the peer gets ready-made in its DataFrame). Each round times tarvo and then the
peer, back to back, so the ratio of a round holds on a shared machine; the figures are ranges
over the rounds. The peer gets its DataFrame for free: only to_sql is timed, while tarvo's figure
includes drawing the rows. The other ways to COPY that were measured for PostgreSQL (text CSV
from the native CSV sink through psycopg, and ADBC's driver from the Arrow stream) are timed
alongside, where their packages are installed.
"""
import argparse
import datetime
import json
import os
import sqlite3
import statistics
import sys
import tempfile
import time

import pandas

import tarvo
from bench_tarvo import SPEC

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "python"))
import postgres_server  # noqa: E402

TARGETS = {"PostgreSQL": 10, "SQLite": 3, "SQLite appending": 0}  # times pandas' to_sql


def _has_adbc():
    try:
        import adbc_driver_sqlite.dbapi  # noqa: F401
        import pyarrow  # noqa: F401
    except ImportError:
        return False
    return True


def timed(load, rows):
    start = time.perf_counter()
    load()
    return rows / (time.perf_counter() - start)


def span(rates, fmt="{:,.0f}"):
    low, middle, high = (fmt.format(f(rates)) for f in (min, statistics.median, max))
    return f"{low} to {high} (median {middle})"


class Runs:
    def __init__(self):
        self.rates = {}

    def add(self, name, rate):
        self.rates.setdefault(name, []).append(rate)


def pg_alternatives(dataset, server, rows, table):
    """The other COPY paths, each returning rows/s, where installed."""
    import psycopg
    paths = {}
    columns = ", ".join(f'"{c}" {t}' for c, t in zip(
        SPEC, ["text", "text", "integer", "text", "text", "bigint", "double precision", "text",
               "text", "text"]))

    def csv_copy():
        with psycopg.connect(**server_params(server)) as connection, connection.transaction():
            connection.execute(f'CREATE TABLE "{table}_csv" ({columns})')
            with connection.cursor().copy(
                    f'COPY "{table}_csv" FROM STDIN (FORMAT csv, HEADER true)') as copy:
                dataset.write(copy, rows, format="csv")
    paths["psycopg COPY, CSV from the native CSV sink"] = csv_copy
    try:
        import adbc_driver_postgresql.dbapi as adbc
    except ImportError:
        return paths

    def adbc_ingest():
        with adbc.connect(server.url()) as connection:
            with connection.cursor() as cursor:
                cursor.adbc_ingest(f"{table}_adbc", dataset.arrow(rows), mode="create")
            connection.commit()
    paths["ADBC PostgreSQL driver, from the Arrow stream"] = adbc_ingest
    return paths


def server_params(server):
    return {"host": server.host, "port": server.port, "user": server.user,
            "password": server.password, "dbname": server.dbname}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rows", type=int, default=1_000_000)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    import sqlalchemy
    rows = args.rows
    dataset = tarvo.Dataset(SPEC, seed=1, as_of=datetime.date(2026, 1, 1))
    frame = pandas.DataFrame(dataset.rows(rows))
    with_address = tarvo.Dataset({**SPEC, "where": "address"}, seed=1,
                                 as_of=datetime.date(2026, 1, 1))
    sqlite_frame = pandas.DataFrame(with_address.rows(rows))
    sqlite_frame["where"] = sqlite_frame["where"].map(
        lambda where: json.dumps(where, ensure_ascii=False))
    sqlite_path = "ADBC SQLite driver" if _has_adbc() else "sqlite3 executemany"
    load = os.getloadavg()[0]
    runs = Runs()
    with postgres_server.running_server(durable=True) as server, \
            tempfile.TemporaryDirectory() as scratch:
        engine = sqlalchemy.create_engine(
            server.url().replace("postgresql://", "postgresql+psycopg://"))
        for run in range(args.runs):
            ours = timed(lambda: dataset.to_database(server.url(), f"tarvo{run}", rows), rows)
            peer = timed(lambda: frame.to_sql(f"pandas{run}", engine, index=False), rows)
            runs.add("PostgreSQL: Dataset.to_database (binary COPY)", ours)
            runs.add("PostgreSQL: DataFrame.to_sql (SQLAlchemy + psycopg)", peer)
            runs.add("PostgreSQL: to_database / to_sql", ours / peer)
            for name, path in pg_alternatives(dataset, server, rows, f"alt{run}").items():
                runs.add(f"PostgreSQL: {name}", timed(path, rows))
            # Each into a file of its own that does not exist yet, as a fresh export would; then
            # the same rows again, appended to that file.
            ours_url = f"sqlite:///{scratch}/tarvo{run}.db"
            ours = timed(lambda: with_address.to_database(ours_url, "tarvo", rows), rows)

            def to_sql(if_exists="fail"):
                with sqlite3.connect(os.path.join(scratch, f"pandas{run}.db")) as connection:
                    sqlite_frame.to_sql("pandas", connection, index=False, if_exists=if_exists)
            peer = timed(to_sql, rows)
            runs.add("SQLite: Dataset.to_database (a new file, built natively), with an address",
                     ours)
            runs.add("SQLite: DataFrame.to_sql (sqlite3), with an address", peer)
            runs.add("SQLite: to_database / to_sql", ours / peer)
            ours = timed(lambda: with_address.to_database(ours_url, "tarvo", rows,
                                                          if_exists="append"), rows)
            peer = timed(lambda: to_sql("append"), rows)
            runs.add(f"SQLite appending: Dataset.to_database ({sqlite_path})", ours)
            runs.add("SQLite appending: DataFrame.to_sql (sqlite3)", peer)
            runs.add("SQLite appending: to_database / to_sql", ours / peer)
        engine.dispose()

    print(f"{rows:,} rows of the {len(SPEC)} benchmark columns, {args.runs} paired runs, "
          f"pandas {pandas.__version__}, SQLAlchemy {sqlalchemy.__version__}, "
          f"SQLite {sqlite3.sqlite_version}")
    print(f"load average before the runs: {load:.2f} on {os.cpu_count()} cores")
    print("| load | rows/s or ratio (range over rounds) | target |")
    print("|---|---|---|")
    for name, rates in runs.rates.items():
        ratio = " / " in name
        target = TARGETS[name.split(":")[0]]
        target = f"at least {target}x" if ratio and target else ""
        print(f"| {name} | {span(rates, '{:.1f}x' if ratio else '{:,.0f}')} | {target} |")


if __name__ == "__main__":
    main()
