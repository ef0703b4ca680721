"""tests/python/test_threads.py: one Dummy shared by many threads: sound results, no deadlock."""
import csv
import json
import os
import re
import subprocess
import sys
import textwrap
import threading

import pytest

import _tarvo
from conftest import panic_type

SPEC = {
    "u": "uuid", "g": "gender", "f": "first_name", "l": "last_name", "n": "full_name",
    "e": "email", "a": "age", "i": "int:-5:5", "x": "float:0:1:3", "c": "choice:p,q",
    "r": "region", "z": "zip_code", "ad": "address", "fa": "full_address", "s": "sss_number",
    "?": "nothing",
}
UUID = re.compile(r"[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}")


def check_row(row):
    """The shape every row of SPEC must have, whatever else ran at the same time."""
    assert list(row) == list(SPEC)
    assert UUID.fullmatch(row["u"])
    assert row["g"] in ("Male", "Female")
    assert row["n"] == f"{row['f']} {row['l']}"
    assert type(row["a"]) is int and 0 <= row["a"] < 200
    assert type(row["i"]) is int and -5 <= row["i"] <= 5
    assert type(row["x"]) is float and 0 <= row["x"] <= 1
    assert row["c"] in ("p", "q")
    assert row["ad"]["region"] == row["r"] and row["ad"]["zip_code"] == row["z"]
    assert row["?"] is None


def run_threads(count, work, timeout=120):
    """Starts count threads on work(index) behind a barrier; returns their results in order.
    Any exception in a thread, or a thread still running at the timeout, fails the test."""
    barrier = threading.Barrier(count)
    results = [None] * count
    errors = []

    def body(index):
        try:
            barrier.wait()
            results[index] = work(index)
        except BaseException as exc:  # noqa: BLE001 - PanicException included
            errors.append((index, exc))

    threads = [threading.Thread(target=body, args=(i,), daemon=True) for i in range(count)]
    for t in threads:
        t.start()
    for t in threads:
        t.join(timeout)
    assert not [t for t in threads if t.is_alive()], "threads deadlocked or hung"
    assert not errors, errors[:3]
    return results


@pytest.fixture
def fast_switching():
    # Hand the interpreter lock over as often as possible, so the calls interleave at every
    # point where the module lets Python code run.
    old = sys.getswitchinterval()
    sys.setswitchinterval(1e-6)
    yield
    sys.setswitchinterval(old)


class Yielding:
    """A CSV value whose str() lets other threads run in the middle of a save."""

    def __init__(self, text):
        self.text = text

    def __str__(self):
        threading.Event().wait(0.0001)
        return self.text


def test_seed_and_save_on_one_instance(dummy, tmp_path, capfd, fast_switching):
    panic = panic_type()

    def work(index):
        rows = []
        for round_ in range(20):
            got = dummy.seed(25, SPEC)
            for row in got:
                check_row(row)
            rows.extend(got)
            with pytest.raises(panic):
                dummy.seed(3, {"ok": "full_name", "bad": "int:9:1"})
            name = str(tmp_path / f"t{index}-{round_}")
            data = [{"k": Yielding(f"{index},{round_}"), "r": row["u"]} for row in got]
            dummy.save(data, name, "csv")
            dummy.save(got, name, "json")
            with open(name + ".csv", newline="", encoding="utf-8") as f:
                assert list(csv.reader(f)) == [["k", "r"]] + [[f"{index},{round_}", r["u"]]
                                                               for r in got]
            with open(name + ".json", encoding="utf-8") as f:
                assert json.load(f) == got
        return [row["u"] for row in rows]

    per_thread = run_threads(12, work)
    everything = [u for uuids in per_thread for u in uuids]
    assert len(set(everything)) == len(everything) == 12 * 20 * 25
    # Each completion line is written whole, never interleaved with another thread's.
    lines = capfd.readouterr().out.splitlines()
    assert len(lines) == 12 * 20 * 2
    pattern = re.compile(r"Successfully saved to .*t\d+-\d+\.(csv|json)")
    assert all(pattern.fullmatch(line) for line in lines)


def test_short_lived_threads_get_their_own_generators(dummy):
    # Each thread makes its generator on its first draw and drops it at exit; many of them in
    # a row must neither repeat a stream nor crash when an exiting thread tears its one down.
    def work(_):
        return tuple(r["v"] for r in dummy.seed(4, {"v": "int:0:2147483647"}))

    seen = []
    for _ in range(10):
        seen.extend(run_threads(30, work))
    assert len(set(seen)) == len(seen)


def test_save_calls_seed_from_inside(dummy, tmp_path, capfd):
    # Nested use of one instance: a value's str() runs seed while save is writing.
    class Nested:
        def __str__(self):
            (row,) = dummy.seed(1, SPEC)
            check_row(row)
            return row["u"]

    dummy.save([{"v": Nested()} for _ in range(50)], str(tmp_path / "n"), "csv")
    with open(tmp_path / "n.csv", encoding="utf-8") as f:
        values = f.read().split()[1:]
    assert len(set(values)) == 50 and all(UUID.fullmatch(v) for v in values)


FIRST_CALL = """
    import sys, threading, _tarvo
    spec = {"n": "full_name", "fa": "full_address", "s": "status", "c": "color",
            "b": "blood_type", "cs": "civil_status", "p": "phone_number", "l": "landline",
            "t": "tin_number", "ph": "philhealth_number", "e": "email"}
    dummy = _tarvo.Dummy()
    count = int(sys.argv[1])
    barrier = threading.Barrier(count)
    out = [None] * count
    def body(i):
        barrier.wait()
        out[i] = dummy.seed(200, spec)
    threads = [threading.Thread(target=body, args=(i,)) for i in range(count)]
    for t in threads: t.start()
    for t in threads: t.join()
    assert all(o is not None and len(o) == 200 for o in out), "a thread failed"
    for rows in out:
        for row in rows:
            assert list(row) == list(spec)
            assert all(isinstance(v, str) for v in row.values())
            assert " " in row["n"] and "@" in row["e"]
    full = sum(1 for rows in out for row in rows if row["fa"])
    print(full, len({row["p"] for rows in out for row in rows}))
"""


@pytest.mark.parametrize("count", [2, 16])
def test_first_call_in_process_under_contention(count):
    # The data sets are built once per process, on first use: only a fresh interpreter shows
    # what happens when many threads ask for them at the same moment.
    try:
        done = subprocess.run([sys.executable, "-X", "faulthandler", "-c",
                               textwrap.dedent(FIRST_CALL), str(count)],
                              capture_output=True, text=True, timeout=120)
    except subprocess.TimeoutExpired:
        pytest.fail("first calls from several threads deadlocked")
    assert done.returncode == 0, done.stderr
    full, phones = map(int, done.stdout.split())
    assert full > count * 200 * 0.5
    assert phones > count * 200 * 0.9


FORKED = """
    import os, _tarvo
    dummy = _tarvo.Dummy()
    dummy.seed(1, {"u": "uuid"})  # the parent's generator exists before the fork
    read, write = os.pipe()
    pid = os.fork()
    values = [row["u"] for row in dummy.seed(4, {"u": "uuid"})]
    if pid == 0:
        os.write(write, " ".join(values).encode())
        os._exit(0)
    os.waitpid(pid, 0)
    print(" ".join(values))
    print(os.read(read, 4096).decode())
"""


@pytest.mark.skipif(not hasattr(os, "fork"), reason="needs fork")
def test_forked_child_draws_its_own_values():
    # multiprocessing's default start method on Linux is fork: pool workers must not all
    # produce the parent's next "random" UUIDs.
    done = subprocess.run([sys.executable, "-c", textwrap.dedent(FORKED)],
                          capture_output=True, text=True, timeout=60)
    assert done.returncode == 0, done.stderr
    parent, child = done.stdout.splitlines()
    assert set(parent.split()).isdisjoint(child.split())


HALF_BUILT = """
    import gc, _tarvo
    rows = 3000
    def look(phase, info):
        # Python code that runs in the middle of seed (a collector callback, a finalizer) can
        # reach every tracked object; the result list must hold only finished rows by then.
        if phase == "start":
            for o in gc.get_objects():
                if type(o) is list and len(o) == rows:
                    [type(item) for item in o]
    gc.callbacks.append(look)
    gc.set_threshold(50)
    print(len(_tarvo.Dummy().seed(rows, {"a": "address"})))
"""


def test_python_code_during_seed_sees_no_half_built_list():
    done = subprocess.run([sys.executable, "-c", textwrap.dedent(HALF_BUILT)],
                          capture_output=True, text=True, timeout=120)
    assert done.returncode == 0, f"exit {done.returncode}: {done.stderr[-500:]}"
    assert done.stdout == "3000\n"
