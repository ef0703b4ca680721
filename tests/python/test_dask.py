"""tests/python/test_dask.py: tarvo.dask partitions computed by two worker processes equal one process's rows."""
import datetime

import pytest

import tarvo

distributed = pytest.importorskip("distributed")
dask_dataframe = pytest.importorskip("dask.dataframe")
from tarvo.dask import from_dataset  # noqa: E402

DATASET = tarvo.Dataset({"name": "full_name", "age": "age", "birthdate": "birthdate",
                         "address": "address", "n": "int:-5:5", "x": "float:0:1:4",
                         "id": "uuid"},
                        seed=2026, as_of=datetime.date(2026, 6, 1), unique=["id"])


@pytest.fixture(scope="module")
def client():
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        yield client


def records(frame):
    """A computed frame as Dataset.rows spells its rows, with the row numbers beside them."""
    rows = frame.to_dict("records")
    for row in rows:
        row["birthdate"] = row["birthdate"].isoformat()
    return list(frame.index), rows


@pytest.mark.parametrize("rows, partition_rows, start", [
    (3000, 700, 11),      # a short last partition
    (3000, 3000, 0),      # one partition
    (40, 1, 2**63 - 40),  # one row each, up to the last row there is
])
def test_partitions_on_two_workers_equal_one_process(client, rows, partition_rows, start):
    frame = from_dataset(DATASET, rows, partition_rows=partition_rows, start=start)
    assert frame.npartitions == -(-rows // partition_rows)
    assert frame.divisions == (*range(start, start + rows, partition_rows), start + rows - 1)
    assert records(client.compute(frame).result()) == (
        list(range(start, start + rows)), DATASET.rows(rows, start=start))
    # A selection draws only its columns, and they are the same values.
    assert client.compute(frame[["id", "age"]]).result().to_dict("records") == [
        {"id": row["id"], "age": row["age"]} for row in DATASET.rows(rows, start=start)]


def test_parquet_data_set_reads_back_equal(client, tmp_path):
    frame = from_dataset(DATASET, 2000, partition_rows=600, start=5)
    frame.to_parquet(tmp_path / "people", compute_kwargs={"scheduler": client})
    # Nested Arrow types (the address) come back through the pyarrow dtype backend.
    back = dask_dataframe.read_parquet(tmp_path / "people", dtype_backend="pyarrow",
                                       calculate_divisions=True)
    assert back.divisions == frame.divisions
    assert records(back.compute()) == (list(range(5, 2005)), DATASET.rows(2000, start=5))


@pytest.mark.parametrize("args, kwargs, error", [
    ((DATASET, -1), {}, ValueError),
    ((DATASET, 10), {"partition_rows": 0}, ValueError),
    ((DATASET, 10), {"start": 2**63 - 9}, OverflowError),
    ((DATASET.columns, 10), {}, TypeError),
    # more distinct SSS numbers than there are
    ((tarvo.Dataset({"s": "sss_number"}, unique=["s"]), 10), {"start": 2**63 - 10}, ValueError),
])
def test_bad_arguments(args, kwargs, error):
    with pytest.raises(error):
        from_dataset(*args, **kwargs)


def test_no_rows():
    frame = from_dataset(DATASET, 0, start=7)
    assert list(frame.columns) == list(DATASET.columns) and len(frame.compute()) == 0
