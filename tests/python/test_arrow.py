"""tests/python/test_arrow.py: Dataset.arrow read by the real consumers, and Parquet files from it."""
import datetime
import io
import os
import subprocess
import sys
import threading
import _thread

import pytest

import tarvo
from tarvo import _engine
from tarvo._kinds import kinds
from tarvo._parquet import INSTALL_HINT, write_parquet

pa = pytest.importorskip("pyarrow")
pq = pytest.importorskip("pyarrow.parquet")

AS_OF = datetime.date(2026, 1, 1)
COLUMNS = {kind.name: kind.example for kind in kinds() if not kind.schema_only}
COLUMNS.update({"int": "int", "wide": "int:-9223372036854775808:9223372036854775807", "row": "row:-1000",
                "float": "float:0:1000:3", "choice": "choice:a, b ,c", "list": "list:x"})
DATASET = tarvo.Dataset(COLUMNS, seed=11, as_of=AS_OF)
TEXT = pa.string()
ADDRESS = pa.struct([pa.field(part, TEXT, nullable=False)
                     for part in ("barangay", "city", "province", "region", "zip_code")])


MANILA = datetime.timezone(datetime.timedelta(hours=8))


def as_text(value):
    # A consumer may show an instant in its own session's zone (DuckDB does): the same instant.
    if isinstance(value, datetime.datetime) and value.tzinfo is not None:
        value = value.astimezone(MANILA)
    return value.isoformat() if hasattr(value, "isoformat") else value


def as_rows(records):
    """Consumer records in the value types of Dataset.rows: dates and times as ISO text."""
    return [{k: as_text(v) for k, v in r.items()} for r in records]


def via_duckdb(x):
    duckdb = pytest.importorskip("duckdb")
    # Its own connection, closed after: the default one keeps worker threads and memory, which
    # test_leaks would then see grow.
    with duckdb.connect() as connection:
        result = connection.sql("select * from x")  # finds the local variable x by name
        return [dict(zip(result.columns, values)) for values in result.fetchall()]


def via_pandas(x):
    pandas = pytest.importorskip("pandas")
    if not hasattr(pandas.DataFrame, "from_arrow"):
        pytest.skip(f"pandas {pandas.__version__} has no DataFrame.from_arrow")
    return pandas.DataFrame.from_arrow(x).to_dict("records")


CONSUMERS = {
    "pyarrow": lambda x: pa.table(x).to_pylist(),
    "polars": lambda x: pytest.importorskip("polars").DataFrame(x).to_dicts(),
    "pandas": via_pandas,
    "duckdb": via_duckdb,
}


@pytest.mark.parametrize("consumer", CONSUMERS)
def test_consumers_read_exactly_the_rows(consumer):
    # Batches cut anywhere, threads more or fewer than batches, the last rows of the range, and
    # the same object read twice (every read is a fresh stream).
    for start, rows, batch_rows, threads in [(0, 3000, None, None), (123_456_789, 777, 100, 3),
                                             (2**63 - 50, 50, 7, 2), (5, 0, 10, 1)]:
        x = DATASET.arrow(rows, start=start, batch_rows=batch_rows, threads=threads)
        expected = DATASET.rows(rows, start=start)
        for _ in range(2):
            assert as_rows(CONSUMERS[consumer](x)) == expected


def test_schema_types():
    expected = {"int": pa.int64(), "wide": pa.int64(), "age": pa.int32(), "float": pa.float64(),
                "birthdate": pa.date32(), "address": ADDRESS, "row": pa.int64(),
                "bool": pa.bool_(), "money": pa.decimal128(18, 2), "date": pa.date32(),
                "datetime": pa.timestamp("ms", tz="+08:00"), "time": pa.time32("ms"),
                "household_size": pa.int32()}
    schema = pa.schema(DATASET.arrow(1))
    assert schema.names == list(COLUMNS)
    assert {f.name: f.type for f in schema} == {name: expected.get(name, TEXT) for name in COLUMNS}
    assert not any(f.nullable for f in schema)
    assert pa.table(DATASET.arrow(0)).schema == schema


def test_text_that_could_pass_2_gib_in_a_batch_is_large():
    # 1,000-byte options in 3,000,000-row batches could reach 3 GB; names could not.
    columns = {"c": "choice:" + "y" * 1000, "name": "full_name", "a": "address"}
    ds = tarvo.Dataset(columns, seed=1, as_of=AS_OF)
    # The schema alone is read: nothing is drawn.
    types = {f.name: f.type for f in pa.schema(ds.arrow(3_000_000, batch_rows=3_000_000))}
    assert types == {"c": pa.large_string(), "name": TEXT, "a": ADDRESS}
    huge = ds.arrow(2**40, batch_rows=2**40)
    assert pa.schema(huge).field("a").type[0].type == pa.large_string()


@pytest.mark.parametrize("call, error", [
    (lambda: DATASET.arrow(-1), ValueError),
    (lambda: DATASET.arrow("3"), TypeError),
    (lambda: DATASET.arrow(True), TypeError),
    (lambda: DATASET.arrow(1, start=2**63), OverflowError),
    (lambda: DATASET.arrow(1, batch_rows=0), ValueError),
    (lambda: DATASET.arrow(1, batch_rows=2.0), TypeError),
    (lambda: DATASET.arrow(1, threads=0), ValueError),
    (lambda: _engine.ArrowRows(), TypeError),
])
def test_bad_arguments(call, error):
    with pytest.raises(error):
        call()


def test_failures_reach_the_consumer_and_abandoned_streams_stop():
    # Batches too large to allocate (2**62 int64 cells: more bytes than size_t counts): the error
    # crosses the C interface as get_last_error, not as an exception or a wrapped size.
    for rows in (2**40, 2**62):
        with pytest.raises(Exception, match="out of memory while drawing rows"):
            pa.table(tarvo.Dataset({"s": "uuid", "n": "int"}, seed=1).arrow(rows, batch_rows=rows))
    if not os.path.isdir("/proc/self/task"):
        return
    before = len(os.listdir("/proc/self/task"))
    reader = pa.RecordBatchReader.from_stream(DATASET.arrow(10**9, batch_rows=1000, threads=4))
    assert reader.read_next_batch().num_rows == 1000
    del reader  # releases the stream: its workers finish their batches and exit
    assert len(os.listdir("/proc/self/task")) == before


def test_ctrl_c_ends_a_stream_read_whole():
    # interrupt_main stands for Ctrl-C arriving while pyarrow reads without the interpreter lock:
    # the stream ends at the next batch with an error pyarrow reports, and the KeyboardInterrupt
    # follows it as soon as Python runs again.
    timer = threading.Timer(0.2, _thread.interrupt_main)
    timer.start()
    caught = None
    try:
        try:
            pa.table(tarvo.Dataset({"n": "int:0:9"}, seed=1).arrow(30_000_000, batch_rows=10_000))
        except OSError:
            for _ in range(10**6):  # the interrupt lands at the next bytecode boundary
                pass
    except KeyboardInterrupt as exc:
        caught = exc
    timer.join()
    assert caught is not None and "interrupted" in str(caught.__context__)


@pytest.mark.parametrize("to_file", [False, True])
def test_parquet_round_trip(tmp_path, to_file):
    done = []
    target = io.BytesIO() if to_file else tmp_path / "out.parquet"
    write_parquet(DATASET, target, 70_000, start=9, threads=2, progress=done.append)
    table = pq.read_table(io.BytesIO(target.getvalue()) if to_file else target)
    assert as_rows(table.to_pylist()) == DATASET.rows(70_000, start=9)
    assert table.schema == pa.schema(DATASET.arrow(1))
    assert done == [65_536, 70_000]


def test_tarvo_works_without_the_consumers():
    code = ("import sys\n"
            "for name in ('pyarrow', 'polars', 'pandas', 'duckdb'): sys.modules[name] = None\n"
            "import tarvo\n"
            "from tarvo._parquet import write_parquet\n"
            "ds = tarvo.Dataset({'n': 'int'}, seed=1)\n"
            "assert ds.arrow(5) is not None\n"
            "write_parquet(ds, 'never.parquet', 5)\n")
    done = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True)
    assert done.returncode == 1
    assert done.stderr.splitlines()[-1] == f"ModuleNotFoundError: {INSTALL_HINT}"
