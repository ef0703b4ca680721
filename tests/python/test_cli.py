"""tests/python/test_cli.py: the tarvo package and its command line, run as a real process."""
import csv
import io
import datetime
import json
import os
import pty
import select
import shutil
import signal
import stat
import subprocess
import sys
import time
from pathlib import Path

import pytest

import _tarvo
import tarvo
from tarvo._kinds import kinds, kinds_table
from tarvo._progress import Progress
from tarvo.cli import MAX_ROWS, _row_count

DEFAULT_HEADER = ["first_name", "last_name", "gender", "birthdate", "age", "email",
                  "phone_number", "full_address"]
FIXED_KINDS = {
    "uuid", "id", "gender", "first_name", "middle_name", "last_name", "suffix", "full_name",
    "email", "birthdate", "age",
    "civil_status", "blood_type", "color", "status", "phone_number", "landline", "sss_number",
    "tin_number", "philhealth_number", "region", "province", "city_mun", "barangay", "zip_code",
    "address", "full_address", "religion", "street", "region_official", "province_official",
    "city_mun_official", "barangay_official", "full_address_official", "philsys_card_number",
    "philsys_number", "pagibig_mid", "umid_crn", "gsis_bp_number", "passport_number",
    "prc_license_number", "drivers_license", "car_plate", "motorcycle_plate", "occupation",
    "occupation_group", "education", "employer", "nationality", "position", "household_size",
    "relationship",
}
PREFIXES = {"int:", "float:", "choice:", "list:", "row:", "bool:", "money:", "date:", "datetime:",
            "time:", "pattern:", "template:", "ref:"}


def tarvo_cmd(*args, cwd, **kwargs):
    return subprocess.run([sys.executable, "-m", "tarvo", *args], cwd=cwd, capture_output=True,
                          text=True, check=False, timeout=120, **kwargs)


def read_csv(text):
    return list(csv.DictReader(io.StringIO(text, newline="")))


def test_package_reexports_the_extension():
    assert tarvo.Dummy is _tarvo.Dummy
    assert tarvo.__version__ == _tarvo.__version__
    assert set(tarvo.__all__) == {"Column", "DatabaseError", "Dataset", "DefinitionError", "Dummy",
                                 "PanicException", "Schema", "Table", "TableExistsError",
                                 "__version__"}
    assert all(getattr(tarvo, name) is not None for name in tarvo.__all__)


@pytest.mark.parametrize("rows", [0, 1, 5, 12_345])  # the last spans three chunks
def test_default_columns_to_stdout(tmp_path, rows):
    done = tarvo_cmd("--rows", str(rows), cwd=tmp_path)
    assert (done.returncode, done.stderr) == (0, "")
    if rows == 0:
        assert done.stdout == ""  # what save writes for no rows
        return
    assert done.stdout.splitlines()[0] == ",".join(DEFAULT_HEADER)
    people = read_csv(done.stdout)
    assert len(people) == rows
    for person in people:
        assert person["gender"] in ("Male", "Female")
        assert person["email"].count("@") == 1 and person["email"] == person["email"].lower()
        assert person["age"].isdigit() and person["birthdate"][4] == "-"
    assert list(tmp_path.iterdir()) == []  # nothing left behind


@pytest.mark.parametrize("rows", [1, 12_001])
def test_csv_column_names_that_need_quoting(tmp_path, rows):
    done = tarvo_cmd("-n", str(rows), "-c", "a,b=int:1:1", "-c", 'say "hi"=choice:x',
                     "-c", "two\nlines=age", cwd=tmp_path)
    assert (done.returncode, done.stderr) == (0, "")
    table = list(csv.reader(io.StringIO(done.stdout, newline="")))
    assert table[0] == ["a,b", 'say "hi"', "two\nlines"]
    assert len(table) == rows + 1 and table[-1][:2] == ["1", "x"]


@pytest.mark.parametrize("rows", [0, 3, 12_001])
def test_json_columns_to_stdout(tmp_path, rows):
    done = tarvo_cmd("-n", str(rows), "-f", "JSON", "-c", "n=int:1:5", "-c", "where=address",
                     "-c", "pick=choice:a, b", cwd=tmp_path)
    assert (done.returncode, done.stderr) == (0, "")
    assert not done.stdout.endswith("\n")  # save adds no newline to JSON
    data = json.loads(done.stdout)
    assert len(data) == rows
    for row in data:
        assert list(row) == ["n", "where", "pick"]
        assert 1 <= row["n"] <= 5 and row["pick"] in ("a", "b")
        assert set(row["where"]) == {"barangay", "city", "province", "region", "zip_code"}


@pytest.mark.parametrize(
    "args, written, fmt",
    [
        (["-o", "people"], "people.csv", "csv"),
        (["-o", "people.csv"], "people.csv", "csv"),
        (["-o", "people.json"], "people.json", "json"),
        (["-o", "people", "-f", "json"], "people.json", "json"),
        (["-o", "people.csv", "-f", "CSV"], "people.csv", "csv"),
        (["-o", "people.txt", "-f", "csv"], "people.txt.csv", "csv"),  # unknown suffix: -f
        (["-o", "-", "-f", "json"], None, "json"),
    ],
)
def test_output_file_names(tmp_path, args, written, fmt):
    done = tarvo_cmd("-n", "4", *args, cwd=tmp_path)
    assert (done.returncode, done.stderr) == (0, "")
    if written is None:
        assert len(json.loads(done.stdout)) == 4
        assert list(tmp_path.iterdir()) == []
        return
    assert done.stdout == f"Successfully saved to {written}\n"
    assert [p.name for p in tmp_path.iterdir()] == [written]
    text = (tmp_path / written).read_text(encoding="utf-8")
    rows = json.loads(text) if fmt == "json" else read_csv(text)
    assert len(rows) == 4 and list(rows[0]) == DEFAULT_HEADER


def test_seed_start_and_threads_give_the_rows_of_the_data_set(tmp_path):
    args = ("--seed", "42", "--as-of", "2026-01-01", "-c", "id=uuid", "-c", "who=full_name",
            "-f", "jsonl")
    whole = tarvo_cmd("-n", "40000", "--threads", "1", *args, cwd=tmp_path).stdout
    tail = tarvo_cmd("-n", "10", "--start", "39990", "--threads", "3", *args, cwd=tmp_path).stdout
    assert tail.splitlines() == whole.splitlines()[-10:]
    expected = tarvo.Dataset({"id": "uuid", "who": "full_name"}, seed=42,
                             as_of=datetime.date(2026, 1, 1)).rows(10, start=39990)
    assert [json.loads(line) for line in tail.splitlines()] == expected


def test_a_run_without_a_seed_can_be_replayed(tmp_path):
    first = tarvo_cmd("-n", "3", "-v", "-c", "id=uuid", cwd=tmp_path)
    seed = first.stderr.split("seed ")[1].split(",")[0]
    again = tarvo_cmd("-n", "3", "--seed", seed, "-c", "id=uuid", cwd=tmp_path)
    assert again.stdout == first.stdout and int(seed) >= 0


def assert_one_error_line(done, status, *fragments):
    assert done.returncode == status
    assert done.stderr.startswith("tarvo: error: ") and done.stderr.count("\n") == 1
    assert "Traceback" not in done.stderr
    for fragment in fragments:
        assert fragment in done.stderr


@pytest.mark.parametrize(
    "args, fragment",
    [
        (["-n", "-1"], "must not be negative"),
        (["-n", "ten"], "not a whole number"),
        (["-n", str(MAX_ROWS + 1)], "at most"),
        (["-f", "xml"], "invalid choice: 'xml'"),
        (["-c", "age"], "expected NAME=KIND, got 'age'"),
        (["-c", "=age"], "expected NAME=KIND"),
        (["-c", "a="], "expected NAME=KIND"),
        (["-c", "a=age", "-c", "a=gender"], "column 'a' is given twice"),
        (["-o", "x.json", "-f", "csv"], "ends in .json but --format is csv"),
        (["-o", ""], "empty file name"),
        (["--rows"], "expected one argument"),
        (["colours"], "invalid choice: 'colours'"),
        (["-c", "n=int:5:1"], "column 'n': \"int:5:1\": empty range"),
        (["-c", "x=float:0:inf"], "column 'x': \"float:0:inf\": MAX is not a finite number"),
        (["-c", "who=full_nam"], 'did you mean "full_name"?'),
        (["--seed", "x"], "not a whole number"),
        (["--as-of", "2026-13-01"], "not a date"),
        (["--as-of", "20260101"], "not a date YYYY-MM-DD"),
        (["--as-of", "2026-W01-1"], "not a date YYYY-MM-DD"),
        (["--threads", "0"], "must be at least 1"),
        (["-o", "out.xlsx"], "cannot tell the format from '.xlsx': pass --format"),
        (["-o", "sub/"], "'sub/' names a directory"),
        (["-o", "x.ndjson", "-f", "json"], "ends in .ndjson but --format is json"),
        (["-c", "unique_id=uuidd"], "argument --column: column 'unique_id'"),
        (["--as-of", "1199-12-31"], "argument --as-of: as_of must be in the years"),
        (["-c", "n" * 64 + "=age", "-o", "postgresql://u@127.0.0.1:1/d", "--table", "t"],
         "argument --column: column 'nnn"),
        (["-o", "postgresql://u@127.0.0.1:1/d", "--table", "t" * 64],
         "argument --table: table 'ttt"),
        (["-o", "sqlite:///p.db", "--table", b"\xff"], "argument --table: table '\\udcff'"),
        (["--threads", "99999999999999999999"], "argument --threads: at most 256"),
        (["-f", "parquet", "--threads", "2147483648"], "argument --threads: at most 256"),
        (["-n", "2", "--start", str(MAX_ROWS - 1)], "rows end at 2**63"),
        (["-c", "a=age", "-u", "a"], "argument --unique: column 'a': cannot be unique"),
        (["-c", "s=sss_number", "-u", "s", "-n", "2", "--start", "728999999"],
         "sss_number has only 729,000,000"),
    ],
)
def test_usage_errors(tmp_path, args, fragment):
    done = tarvo_cmd(*args, cwd=tmp_path)
    assert_one_error_line(done, 2, fragment, "tarvo --help")
    assert done.stdout == "" and list(tmp_path.iterdir()) == []


def test_row_count_limits():
    assert _row_count("0") == 0
    assert _row_count(str(MAX_ROWS)) == MAX_ROWS


def test_a_bad_kind_keeps_an_existing_file(tmp_path):
    (tmp_path / "keep.csv").write_text("old\n")
    done = tarvo_cmd("-c", "name=full_name", "-c", "n=int:5:1", "-o", "keep", cwd=tmp_path)
    assert_one_error_line(done, 2, "column 'n'")
    assert done.stdout == ""
    assert (tmp_path / "keep.csv").read_text() == "old\n"


@pytest.mark.parametrize(
    "output, reason",
    [
        ("missing/x", "missing/x.csv: No such file or directory"),
        ("plain/x", "plain/x.csv: Not a directory"),
        ("folder.csv", "folder.csv: Is a directory"),
    ],
)
def test_unwritable_paths(tmp_path, output, reason):
    (tmp_path / "plain").write_text("a file, not a directory")
    (tmp_path / "folder.csv").mkdir()
    done = tarvo_cmd("-n", "2", "-o", output, cwd=tmp_path)
    assert_one_error_line(done, 1, reason)
    assert done.stdout == ""


def test_kinds_lists_every_kind_with_a_live_example(tmp_path):
    done = tarvo_cmd("kinds", cwd=tmp_path)
    assert (done.returncode, done.stderr) == (0, "")
    listed = {line.split()[0] for line in done.stdout.splitlines()[1:] if line[:1].islower()}
    fixed = {kind for kind in listed if ":" not in kind}
    assert fixed == FIXED_KINDS
    assert {kind[:kind.index(":") + 1] for kind in listed - fixed} == PREFIXES
    # every kind Dummy knows is listed, and only those are marked as Dummy's
    dummy_kinds = {kind.example for kind in kinds() if kind.in_dummy}
    assert None not in _tarvo.Dummy().seed(1, {k: k for k in dummy_kinds})[0].values()
    assert "None" not in kinds_table()


@pytest.mark.parametrize(
    "done, drawn",
    [(50, False), (100, False)],  # within the delay nothing is drawn, even at the end
)
def test_progress_waits_for_the_delay(done, drawn):
    stream = io.StringIO()
    progress = Progress(100, stream, enabled=True, delay=1.0, clock=lambda: 0.5)
    progress.update(done)
    assert (stream.getvalue() != "") == drawn


def test_progress_draws_then_wipes_itself():
    now = [0.0]
    stream = io.StringIO()
    progress = Progress(1000, stream, enabled=True, delay=1.0, width=10, clock=lambda: now[0])
    now[0] = 2.0
    progress.update(250)
    assert stream.getvalue() == "\r[##--------]  25%  250/1000 rows  eta 6s"
    progress.update(250)  # unchanged text is not redrawn
    now[0] = 4.0
    progress.update(1000)
    last = stream.getvalue().rsplit("\r", 1)[1]
    assert last.startswith("[##########] 100%  1000/1000 rows") and "eta" not in last
    assert len(last) == len("[##--------]  25%  250/1000 rows  eta 6s")  # old eta blanked out
    progress.close()
    assert stream.getvalue().endswith("\r" + " " * len(last) + "\r")


def test_progress_disabled_draws_nothing():
    stream = io.StringIO()
    progress = Progress(10, stream, enabled=False, delay=0.0)
    progress.update(5)
    progress.close()
    assert stream.getvalue() == ""


@pytest.mark.parametrize("terminal", [True, False])
def test_progress_bar_only_on_a_terminal(tmp_path, terminal):
    # Long enough to pass the one-second delay on any machine that runs these tests; a device
    # takes the bytes, so nothing lands on disk.
    args = [sys.executable, "-m", "tarvo", "-n", "10000000", "--threads", "1", "-f", "csv",
            "-o", os.devnull]
    if terminal:
        controller, stderr = pty.openpty()
    else:
        controller, stderr = None, subprocess.PIPE
    job = subprocess.Popen(args, cwd=tmp_path, stdout=subprocess.PIPE, stderr=stderr)
    seen = b""
    if terminal:
        os.close(stderr)
        while True:
            try:
                block = os.read(controller, 4096)
            except OSError:  # EIO once the child has closed its side
                break
            if not block:
                break
            seen += block
        os.close(controller)
        out, _ = job.communicate(timeout=120)
    else:
        out, seen = job.communicate(timeout=120)
    assert job.returncode == 0 and out == f"Successfully saved to {os.devnull}\n".encode()
    if terminal:
        assert b"100%  10000000/10000000 rows" in seen and seen.endswith(b"\r")
        assert b"seed " in seen  # a run without --seed can be replayed from its bar
    else:
        assert seen == b""


def entries(directory):
    """What a directory holds: each name with its link target or its bytes."""
    return {p.name: "-> " + os.readlink(p) if p.is_symlink() else p.read_bytes()
            for p in directory.iterdir()}


@pytest.mark.parametrize("existing", ["nothing", "file", "symlink"])
def test_interrupt_exits_130_and_leaves_the_output_as_it_was(tmp_path, existing):
    if existing != "nothing":
        (tmp_path / "real.csv").write_text("old\n")
    if existing == "symlink":
        (tmp_path / "huge.csv").symlink_to("real.csv")
    output = "real.csv" if existing == "file" else "huge.csv"
    before = entries(tmp_path)
    # A shell may start background jobs with SIGINT ignored; the child must get the default.
    job = subprocess.Popen([sys.executable, "-m", "tarvo", "-n", str(MAX_ROWS), "-o", output],
                           cwd=tmp_path, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           preexec_fn=lambda: signal.signal(signal.SIGINT, signal.SIG_DFL))
    deadline = time.monotonic() + 60  # until the run has written something
    while entries(tmp_path) == before and time.monotonic() < deadline:
        time.sleep(0.05)
    job.send_signal(signal.SIGINT)
    out, err = job.communicate(timeout=60)
    assert (job.returncode, out, err) == (130, b"", b"")
    assert entries(tmp_path) == before


@pytest.mark.parametrize("through_link", [False, True])
def test_a_finished_run_replaces_the_file_whole(tmp_path, through_link):
    real = tmp_path / "real.csv"
    real.write_text("old\n")
    real.chmod(0o640)
    if through_link:
        (tmp_path / "link.csv").symlink_to("real.csv")
    output = "link.csv" if through_link else "real.csv"
    done = tarvo_cmd("-n", "3", "-o", output, cwd=tmp_path)
    assert (done.returncode, done.stderr) == (0, "")
    assert len(read_csv(real.read_text(encoding="utf-8"))) == 3
    assert stat.S_IMODE(real.stat().st_mode) == 0o640
    assert {p.name for p in tmp_path.iterdir()} == {"real.csv", output}
    assert not through_link or os.readlink(tmp_path / "link.csv") == "real.csv"


@pytest.mark.parametrize(
    "device, status, stderr",
    [("/dev/null", 0, ""), ("/dev/full", 1, "tarvo: error: out.csv: No space left on device\n")],
)
def test_a_device_is_written_in_place_and_never_removed(tmp_path, device, status, stderr):
    if not os.path.exists(device):
        pytest.skip(f"no {device} here")
    (tmp_path / "out.csv").symlink_to(device)
    done = tarvo_cmd("-n", "3", "-o", "out.csv", cwd=tmp_path)
    assert (done.returncode, done.stderr) == (status, stderr)
    assert entries(tmp_path) == {"out.csv": "-> " + device}


def test_a_fifo_whose_reader_quits_fails_and_stays(tmp_path):
    fifo = tmp_path / "data.csv"
    os.mkfifo(fifo)
    job = subprocess.Popen([sys.executable, "-m", "tarvo", "-n", "1000000", "-o", "data.csv"],
                           cwd=tmp_path, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    # Non-blocking, so a writer that never comes fails the test instead of hanging it.
    reader = os.open(fifo, os.O_RDONLY | os.O_NONBLOCK)
    try:
        assert select.select([reader], [], [], 60)[0], "tarvo never wrote to the FIFO"
        assert os.read(reader, 100).startswith(b"first_name,")
    finally:
        os.close(reader)
    out, err = job.communicate(timeout=60)
    assert (job.returncode, out, err) == (1, b"", b"tarvo: error: data.csv: Broken pipe\n")
    assert stat.S_ISFIFO(os.lstat(fifo).st_mode) and os.listdir(tmp_path) == ["data.csv"]


@pytest.mark.parametrize("stdout, reason", [("closed", "Bad file descriptor"),
                                            ("full", "No space left on device")])
@pytest.mark.parametrize("args", [["kinds"], ["--version"], ["-n", "3"],
                                  ["-n", "12000", "-f", "json"], ["-n", "3", "-o", "out.csv"]])
def test_standard_output_that_takes_nothing_is_one_error_line(tmp_path, stdout, reason, args):
    command = [sys.executable, "-m", "tarvo", *args]
    if stdout == "closed":  # tarvo >&-
        done = subprocess.run(command, cwd=tmp_path, stderr=subprocess.PIPE, text=True,
                              timeout=120, preexec_fn=lambda: os.close(1))
    else:
        with open("/dev/full", "wb") as full:
            done = subprocess.run(command, cwd=tmp_path, stdout=full, stderr=subprocess.PIPE,
                                  text=True, timeout=120)
    assert (done.returncode, done.stderr) == (1, f"tarvo: error: standard output: {reason}\n")
    # Only the line about a written file is lost: the file itself is complete.
    written = {p.name: read_csv(p.read_text(encoding="utf-8")) for p in tmp_path.iterdir()}
    assert {name: len(rows) for name, rows in written.items()} == (
        {"out.csv": 3} if "-o" in args else {})


def test_closed_pipe_ends_quietly(tmp_path):
    job = subprocess.Popen([sys.executable, "-m", "tarvo", "-n", "200000"], cwd=tmp_path,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    assert job.stdout.readline().startswith(b"first_name,")
    job.stdout.close()
    err = job.stderr.read()
    assert job.wait(timeout=60) == 1 and err == b""


def test_stubs_type_the_package_for_mypy(tmp_path):
    pytest.importorskip("mypy")
    stubs = tmp_path / "stubs"
    shutil.copytree(Path(tarvo.__file__).parent, stubs / "tarvo",
                    ignore=shutil.ignore_patterns("__pycache__"))
    good = tmp_path / "good.py"
    good.write_text(
        "from typing import Any\n"
        "from tarvo import Dummy, __version__\n"
        "rows: list[dict[str, Any]] = Dummy().seed(2, {'n': 'int:1:3'})\n"
        "Dummy().save(rows, 'out', 'csv')\n"
        "version: str = __version__\n")
    bad = tmp_path / "bad.py"
    bad.write_text("from tarvo import Dummy\nDummy().seed('2', {'n': 1})\n")
    env = {**os.environ, "MYPYPATH": str(stubs)}
    results = {}
    for path in (good, bad):
        results[path.name] = subprocess.run(
            [sys.executable, "-m", "mypy", "--strict", "--no-incremental",
             "--cache-dir", str(tmp_path / "cache"), str(path)],
            capture_output=True, text=True, check=False, env=env)
    assert results["good.py"].returncode == 0, results["good.py"].stdout
    assert results["bad.py"].returncode == 1 and 'Argument 1 to "seed"' in results["bad.py"].stdout


def test_readme_table_of_kinds_is_the_registry():
    tool = Path(__file__).resolve().parents[2] / "tools" / "readme_kinds.py"
    done = subprocess.run([sys.executable, str(tool), "--check"], capture_output=True, check=False)
    assert done.returncode == 0, "README is stale: run python tools/readme_kinds.py"


def test_parquet_to_standard_output_and_to_a_file(tmp_path):
    parquet = pytest.importorskip("pyarrow.parquet")
    piped = subprocess.run([sys.executable, "-m", "tarvo", "-n", "300", "--seed", "5", "-f",
                            "parquet"], cwd=tmp_path, capture_output=True, check=True)
    tarvo_cmd("-n", "300", "--seed", "5", "-o", "people.parquet", cwd=tmp_path)
    from_pipe = parquet.read_table(io.BytesIO(piped.stdout))
    assert from_pipe.equals(parquet.read_table(tmp_path / "people.parquet"))
    assert from_pipe.num_rows == 300 and from_pipe.column_names == DEFAULT_HEADER


def test_descriptor_paths_are_written_as_streams(tmp_path):
    args = ("-n", "2", "-c", "a=age", "--seed", "1", "--as-of", "2026-01-01")
    rows = tarvo_cmd(*args, cwd=tmp_path).stdout
    # Standard output redirected to a file: /dev/stdout is that file, written where it stands.
    script = ("import datetime, tarvo; print('before', flush=True); "
              "tarvo.Dataset({'a': 'age'}, seed=1, as_of=datetime.date(2026, 1, 1))"
              ".write('/dev/stdout', 2, format='csv'); print('after')")
    with open(tmp_path / "api.txt", "wb") as out:
        subprocess.run([sys.executable, "-c", script], stdout=out, check=True, cwd=tmp_path)
    with open(tmp_path / "cli.txt", "wb") as out:
        subprocess.run([sys.executable, "-m", "tarvo", *args, "-o", "/dev/stdout"], stdout=out,
                       check=True, cwd=tmp_path)
    assert (tmp_path / "api.txt").read_text() == "before\n" + rows + "after\n"
    assert (tmp_path / "cli.txt").read_text() == rows  # no completion line among the rows
    assert tarvo_cmd(*args, "-o", "/proc/self/fd/1", cwd=tmp_path).stdout == rows  # a pipe
    # Process substitution hands over /dev/fd/N, a pipe's end.
    read_end, write_end = os.pipe()
    with subprocess.Popen([sys.executable, "-m", "tarvo", *args, "-o", f"/dev/fd/{write_end}"],
                          pass_fds=(write_end,), cwd=tmp_path, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, text=True) as done:
        os.close(write_end)
        with open(read_end, "rb") as pipe:
            received = pipe.read().decode()
        stdout, stderr = done.communicate(timeout=60)
    assert (done.returncode, stderr, received) == (0, "", rows)
    assert stdout == f"Successfully saved to /dev/fd/{write_end}\n"
    assert sorted(p.name for p in tmp_path.iterdir()) == ["api.txt", "cli.txt"]


@pytest.mark.parametrize("signum", [signal.SIGTERM, signal.SIGHUP])
def test_termination_removes_the_temporary_file(tmp_path, signum):
    (tmp_path / "old.csv").write_text("precious")
    # As a terminal or timeout(1) would start it: the signal at its default (nohup ignores it,
    # and a run that ignores it is right to go on).
    with subprocess.Popen([sys.executable, "-m", "tarvo", "-n", "20000000", "-o", "old.csv"],
                          cwd=tmp_path, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          preexec_fn=lambda: signal.signal(signum, signal.SIG_DFL)) as run:
        deadline = time.monotonic() + 60
        while not any(p.name.endswith(".tmp") for p in tmp_path.iterdir()):
            assert time.monotonic() < deadline and run.poll() is None
            time.sleep(0.01)
        run.send_signal(signum)
        run.communicate(timeout=60)
    assert run.returncode == 128 + signum
    assert [p.name for p in tmp_path.iterdir()] == ["old.csv"]
    assert (tmp_path / "old.csv").read_text() == "precious"


@pytest.mark.parametrize("args, written", [
    (["-o", "people.ndjson"], "people.ndjson"),
    (["-o", "people.NDJSON", "-f", "jsonl"], "people.NDJSON"),
])
def test_output_suffixes(tmp_path, args, written):
    done = tarvo_cmd("-n", "2", *args, cwd=tmp_path)
    assert (done.returncode, [p.name for p in tmp_path.iterdir()]) == (0, [written])
    if written.lower().endswith(".ndjson"):
        assert len([json.loads(line) for line in (tmp_path / written).read_text().splitlines()]) == 2


def test_a_read_only_directory_is_named_as_the_cause(tmp_path):
    # Root writes anywhere; without the capability that lets it, it is refused as anyone is.
    prefix = ["setpriv", "--bounding-set=-dac_override,-dac_read_search", "--"] \
        if os.geteuid() == 0 else []
    if prefix and shutil.which("setpriv") is None:
        pytest.skip("no setpriv to drop root's override of permissions")
    locked = tmp_path / "locked"
    locked.mkdir()
    (locked / "out.csv").write_text("old")
    (locked / "out.csv").chmod(0o666)  # writable, but it cannot be replaced in a locked directory
    locked.chmod(0o555)
    try:
        done = subprocess.run([*prefix, sys.executable, "-m", "tarvo", "-o", str(locked / "out.csv")],
                              capture_output=True, text=True, check=False, timeout=120)
    finally:
        locked.chmod(0o755)
    assert (done.returncode, done.stderr) == (1, f"tarvo: error: {locked}: Permission denied\n")
    assert (locked / "out.csv").read_text() == "old"


@pytest.mark.parametrize("text, seed", [("010", 10), ("-007", -7), ("0x10", 16), ("10", 10)])
def test_seeds_read_as_written(tmp_path, text, seed):
    args = ("-n", "2", "-c", "a=uuid", "--as-of", "2026-01-01")
    done = tarvo_cmd(*args, "--seed", text, cwd=tmp_path)
    assert (done.returncode, done.stdout) == (0, tarvo_cmd(*args, "--seed", str(seed),
                                                           cwd=tmp_path).stdout)


def test_generate_runs_data_set_and_schema_files(tmp_path):
    dataset = tarvo.Dataset({"id": "row:1", "name": "full_name", "paid": "money:1:9;nulls=0.5"},
                            seed=4, as_of=datetime.date(2026, 1, 1))
    dataset.to_file(tmp_path / "people.toml")
    text = (tmp_path / "people.toml").read_text(encoding="utf-8")
    (tmp_path / "people.toml").write_text("rows = 7\n" + text, encoding="utf-8")
    expected = io.BytesIO()
    dataset.write(expected, 7, format="jsonl")
    run = tarvo_cmd("generate", "people.toml", "-f", "jsonl", cwd=tmp_path)
    assert (run.returncode, run.stdout.encode()) == (0, expected.getvalue())
    expected = io.BytesIO()
    dataset.write(expected, 3, format="csv", start=2)
    run = tarvo_cmd("generate", "people.toml", "-n", "3", "--start", "2", cwd=tmp_path)
    assert run.stdout.encode() == expected.getvalue()

    schema = tarvo.Schema.households(50, seed=9, as_of=datetime.date(2026, 1, 1))
    schema.to_file(tmp_path / "homes.toml")
    run = tarvo_cmd("generate", "homes.toml", "-o", "out/", "-f", "json", cwd=tmp_path)
    assert run.returncode == 0, run.stderr
    for name in schema:
        assert json.loads((tmp_path / "out" / f"{name}.json").read_text(encoding="utf-8")) == \
            json.loads(json.dumps(schema.rows(name), default=str))
    run = tarvo_cmd("generate", "homes.toml", "-o", "sqlite:///homes.db", cwd=tmp_path)
    assert run.stdout.splitlines() == [
        f"Successfully loaded {rows} rows into table {name!r} at sqlite:///homes.db"
        for name, rows in schema.row_counts.items()]


@pytest.mark.parametrize("args, status, message", [
    (["homes.toml"], 2, "argument --output: a schema file's tables go into a folder"),
    (["homes.toml", "-o", "out.csv"], 2, "go into a folder"),
    (["homes.toml", "-o", "out/", "-n", "5"], 2, "argument --rows: a schema file gives"),
    (["homes.toml", "-o", "sqlite:///x.db", "--table", "t"], 2, "argument --table"),
    (["people.toml", "-o", "out/"], 2, "names a directory"),
    (["missing.toml"], 2, "argument FILE: missing.toml: cannot read the file"),
    (["bad.toml"], 2, "bad.toml, line 2, columns.x: column 'x'"),
])
def test_generate_refuses_what_a_file_cannot_run(tmp_path, args, status, message):
    tarvo.Schema.households(5, seed=1).to_file(tmp_path / "homes.toml")
    tarvo.Dataset({"x": "int:1:2"}, seed=1).to_file(tmp_path / "people.toml")
    (tmp_path / "bad.toml").write_text('[columns]\nx = "int:5:1"\n', encoding="utf-8")
    run = tarvo_cmd("generate", *args, cwd=tmp_path)
    assert run.returncode == status and message in run.stderr, run.stderr
    assert not (tmp_path / "x.db").exists()
