"""tests/python/test_write.py: Dataset.write: the same bytes as the Python writers, for any thread count."""
import csv
import datetime
import io
import json
import os
import subprocess
import sys
import threading
import time

import pytest

import tarvo

COLUMNS = {"id": "uuid", "name": "full_name", "age": "age", "n": "int:-9:9", "x": "float:0:1e20:3",
           "tiny": "float:0:0.0001:9", "neg": "float:-5e-7:-1e-9:15", "big": "float:1e290:1e300:0",
           "address": "address", "born": "birthdate",
           "q": 'choice:plain,with "quotes",it\'s,comma\\, no,ñandú,line\nbreak, 雪'}
DATASET = tarvo.Dataset(COLUMNS, seed=3, as_of=datetime.date(2026, 1, 1))
ROWS = 40_000  # more than two chunks


@pytest.fixture(scope="module")
def rows():
    return DATASET.rows(ROWS, start=10)


def expected(fmt, rows, tmp_path):
    if fmt == "json":
        return json.dumps(rows, indent=4).encode()
    if fmt == "jsonl":
        return "".join(json.dumps(r, ensure_ascii=False, separators=(",", ":")) + "\n"
                       for r in rows).encode()
    # The CSV holds what save() would write, but an address as its JSON object.
    rows = [{**row, "address": json.dumps(row["address"], ensure_ascii=False)} for row in rows]
    tarvo.Dummy().save(rows, str(tmp_path / "reference"), "csv")
    return (tmp_path / "reference.csv").read_bytes()


@pytest.mark.parametrize("fmt", ["csv", "json", "jsonl"])
@pytest.mark.parametrize("threads", [1, 3])
def test_bytes_match_the_python_writers(fmt, threads, rows, tmp_path, capsys):
    target = tmp_path / f"out.{fmt}"
    done = []
    DATASET.write(target, ROWS, start=10, threads=threads, progress=done.append)
    capsys.readouterr()
    assert target.read_bytes() == expected(fmt, rows, tmp_path)
    assert done == sorted(done) and done[-1] == ROWS
    stream = io.BytesIO()
    DATASET.write(stream, ROWS, format=fmt, start=10, threads=threads)
    assert stream.getvalue() == target.read_bytes()


@pytest.mark.parametrize("fmt, empty", [("csv", b""), ("json", b"[]"), ("jsonl", b"")])
def test_no_rows(fmt, empty):
    stream = io.BytesIO()
    DATASET.write(stream, 0, format=fmt)
    assert stream.getvalue() == empty


def test_a_failed_run_leaves_the_old_file_and_no_other(tmp_path):
    target = tmp_path / "people.csv"
    target.write_text("precious")
    os.chmod(target, 0o640)

    def interrupt(done):
        raise KeyboardInterrupt

    with pytest.raises(KeyboardInterrupt):
        DATASET.write(target, ROWS, progress=interrupt)
    assert target.read_text() == "precious" and os.listdir(tmp_path) == ["people.csv"]
    DATASET.write(target, 5)
    assert target.read_bytes().startswith(b"id,name") and (os.stat(target).st_mode & 0o777) == 0o640


def test_through_a_symbolic_link_the_target_is_replaced(tmp_path):
    (tmp_path / "real.jsonl").write_text("old")
    (tmp_path / "link.jsonl").symlink_to("real.jsonl")
    DATASET.write(tmp_path / "link.jsonl", 3)
    assert (tmp_path / "link.jsonl").is_symlink()
    assert len((tmp_path / "real.jsonl").read_text().splitlines()) == 3


def test_a_fifo_is_written_directly_and_kept(tmp_path):
    fifo = tmp_path / "pipe.csv"
    os.mkfifo(fifo)
    received = []
    reader = threading.Thread(target=lambda: received.append(fifo.read_bytes()))
    reader.start()
    DATASET.write(fifo, 100)
    reader.join(timeout=30)
    assert len(list(csv.reader(io.StringIO(received[0].decode())))) == 101
    assert fifo.exists() and os.listdir(tmp_path) == ["pipe.csv"]


@pytest.mark.parametrize("call, error", [
    (lambda p: DATASET.write(p / "out.txt", 1), ValueError),
    (lambda p: DATASET.write(p / "out.csv", 1, format="xml"), ValueError),
    (lambda p: DATASET.write(io.StringIO(), 1, format="csv"), TypeError),
    (lambda p: DATASET.write(io.StringIO(), 1), TypeError),  # a text stream, whatever its format
    (lambda p: DATASET.write(io.BytesIO(), 1), ValueError),
    (lambda p: DATASET.write(p, 1, format="csv"), IsADirectoryError),
    (lambda p: DATASET.write(p / "missing" / "out.csv", 1), FileNotFoundError),
    (lambda p: DATASET.write(p / "out.csv", 1, threads=0), ValueError),
    (lambda p: DATASET.write(p / "out.csv", -1), ValueError),
    (lambda p: DATASET.write(p / "out.csv", 1, progress=3), TypeError),
])
def test_bad_arguments(call, error, tmp_path):
    with pytest.raises(error):
        call(tmp_path)
    assert [p for p in os.listdir(tmp_path)] == []


def test_parquet_reads_back_as_the_rows(tmp_path):
    parquet = pytest.importorskip("pyarrow.parquet")
    DATASET.write(tmp_path / "out.parquet", 3000, start=5, threads=2)
    table = parquet.read_table(tmp_path / "out.parquet").to_pylist()
    rows = DATASET.rows(3000, start=5)
    for row in table:
        row["born"] = row["born"].isoformat()
    assert table == rows and os.listdir(tmp_path) == ["out.parquet"]


class Trickle(io.RawIOBase):
    """A raw stream that takes at most 100 bytes a call, and now and then none (None, as a
    non-blocking stream says)."""

    def __init__(self):
        super().__init__()
        self.data = bytearray()
        self.calls = 0

    def writable(self):
        return True

    def write(self, piece):
        self.calls += 1
        if self.calls % 50 == 1:
            return None
        taken = bytes(memoryview(piece)[:100])
        self.data += taken
        return len(taken)


@pytest.mark.parametrize("fmt", ["csv", "jsonl", "parquet"])
def test_short_writes_are_completed(fmt):
    if fmt == "parquet":
        pytest.importorskip("pyarrow")
    whole = io.BytesIO()
    DATASET.write(whole, 400, format=fmt)
    trickle = Trickle()
    DATASET.write(trickle, 400, format=fmt)
    assert bytes(trickle.data) == whole.getvalue() and len(whole.getvalue()) > 10_000


class NonBlockingPipe(io.FileIO):
    """The writing end of a non-blocking pipe, which tells when it first had to refuse."""

    def __init__(self, fd, refused):
        super().__init__(fd, "wb")
        self.refused = refused

    def write(self, piece):
        written = super().write(piece)
        if written is None:
            self.refused.set()
        return written


def test_a_full_non_blocking_pipe_is_waited_for():
    read_end, write_end = os.pipe()
    os.set_blocking(write_end, False)
    refused, received = threading.Event(), []

    def drain():
        refused.wait(60)  # the pipe is full and the writer was told so before anything is read
        with open(read_end, "rb") as pipe:
            received.append(pipe.read())

    reader = threading.Thread(target=drain)
    reader.start()
    with NonBlockingPipe(write_end, refused) as pipe:
        DATASET.write(pipe, 5000, format="csv")
    reader.join(60)
    whole = io.BytesIO()
    DATASET.write(whole, 5000, format="csv")
    assert refused.is_set() and received == [whole.getvalue()]


def test_progress_true_draws_the_command_lines_bar(capsys):
    class Slow(io.BytesIO):
        def write(self, piece):
            time.sleep(0.6)  # past the bar's one-second delay after the second chunk
            return super().write(piece)

    DATASET.write(Slow(), 40_000, format="csv", progress=True)
    drawn = capsys.readouterr().err
    assert "40000/40000 rows" in drawn and f"seed {DATASET.seed}" in drawn
    assert drawn.endswith("\r") and drawn.startswith("\r[")  # wiped at the end


@pytest.mark.parametrize("threads", [0, 257, 2**31, 2**33, 2**70])
def test_one_thread_rule_for_every_entry_point(threads, tmp_path):
    # Beyond the limit, the look-ahead of 2 x threads chunks once wrapped to none and hung.
    for call in (lambda: DATASET.write(io.BytesIO(), 10, format="csv", threads=threads),
                 lambda: DATASET.arrow(10, threads=threads),
                 lambda: DATASET.to_database(f"sqlite:///{tmp_path}/t.db", "t", 10,
                                             threads=threads)):
        with pytest.raises(ValueError, match=f"threads must be from 1 to 256, not {threads}"):
            call()


def test_a_batch_size_past_the_rows_is_one_batch_of_them():
    pyarrow = pytest.importorskip("pyarrow")
    # (rows + batch_rows - 1) // batch_rows once wrapped to no batch at all, with no error.
    table = pyarrow.table(DATASET.arrow(10, start=3, batch_rows=2**63, threads=2))
    assert table.to_pylist() == [{**r, "born": datetime.date.fromisoformat(r["born"])}
                                 for r in DATASET.rows(10, start=3)]
    with pytest.raises(ValueError, match="batch_rows must be at most 2"):
        DATASET.arrow(10, batch_rows=2**64 - 1)


def test_a_failure_at_the_last_step_leaves_no_temporary_file(tmp_path):
    target = tmp_path / "out.csv"
    # The rename fails: something made a directory at the name meanwhile.
    with pytest.raises(IsADirectoryError):
        DATASET.write(target, 10, progress=lambda done: target.mkdir(exist_ok=True))
    assert [p.name for p in tmp_path.iterdir()] == ["out.csv"] and target.is_dir()
    # The close fails: the disk fills as the last buffered bytes of a Parquet file are written.
    pytest.importorskip("pyarrow")
    whole = io.BytesIO()
    DATASET.write(whole, 2000, format="parquet")
    script = (f"import datetime, resource, signal, tarvo\n"
              f"signal.signal(signal.SIGXFSZ, signal.SIG_IGN)\n"
              f"resource.setrlimit(resource.RLIMIT_FSIZE, ({len(whole.getvalue()) - 10},) * 2)\n"
              f"dataset = tarvo.Dataset({COLUMNS!r}, seed=3, as_of=datetime.date(2026, 1, 1))\n"
              f"dataset.write('full/out.parquet', 2000)\n")
    (tmp_path / "full").mkdir()
    done = subprocess.run([sys.executable, "-c", script], cwd=tmp_path, capture_output=True,
                          text=True, check=False)
    assert "File too large" in done.stderr and list((tmp_path / "full").iterdir()) == []


def test_a_name_at_the_length_limit_is_written(tmp_path):
    target = tmp_path / ("n" * 251 + ".csv")  # 255 bytes: the temporary name must be shorter
    DATASET.write(target, 3)
    assert [p.name for p in tmp_path.iterdir()] == [target.name]


class OnlyWrite:
    """A file object reduced to write(), which returns nothing."""

    def __init__(self):
        self.data = bytearray()

    def write(self, piece):
        self.data += piece


@pytest.mark.parametrize("fmt", ["csv", "parquet"])
def test_an_object_with_only_write_takes_every_format(fmt):
    if fmt == "parquet":
        pytest.importorskip("pyarrow")
    whole, only = io.BytesIO(), OnlyWrite()
    DATASET.write(whole, 300, format=fmt)
    DATASET.write(only, 300, format=fmt)
    assert bytes(only.data) == whole.getvalue()
