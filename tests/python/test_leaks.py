"""tests/python/test_leaks.py: thousands of seed/save calls, good and failing, leave memory flat."""
import ctypes
import gc
import os
import sys
import threading

import pytest


ROUNDS = 2000
ALL_KINDS = {k: k for k in [
    "id", "uuid", "gender", "first_name", "last_name", "full_name", "email", "birthdate", "age",
    "civil_status", "blood_type", "color", "status", "phone_number", "landline", "sss_number",
    "tin_number", "philhealth_number", "region", "province", "city_mun", "barangay", "zip_code",
    "address", "full_address"]}
ALL_KINDS.update({"i": "int:1:9", "f": "float:0:9:4", "c": "choice:a, b ,c", "u": "unknown"})

pytestmark = pytest.mark.skipif(
    bool(os.environ.get("TARVO_SANITIZED")),
    reason="the sanitizer's quarantine holds freed memory on purpose: sizes mean nothing there")


def _mallinfo():
    """Bytes the C heap has handed out (glibc mallinfo2), or None elsewhere."""
    try:
        libc = ctypes.CDLL(None)
        fn = libc.mallinfo2
    except (OSError, AttributeError):
        return None

    class MallInfo2(ctypes.Structure):
        _fields_ = [(name, ctypes.c_size_t) for name in (
            "arena", "ordblks", "smblks", "hblks", "hblkhd", "usmblks", "fsmblks", "uordblks",
            "fordblks", "keepcost")]

    fn.restype = MallInfo2
    return lambda: fn().uordblks + fn().hblkhd


heap_bytes = _mallinfo()


def rss_bytes():
    with open("/proc/self/statm") as f:
        return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def settle():
    # Attribute lookups by C-string name make a new name str each time, and the interpreter's
    # method cache keeps up to 4096 of them alive (keyed by address): a bounded cache, not a
    # leak, so it is emptied before each reading.
    clear = getattr(sys, "_clear_internal_caches", None) or getattr(sys, "_clear_type_cache", None)
    if clear:
        clear()
    gc.collect()


def growth(fn, rounds=ROUNDS):
    """Runs fn rounds times after a warm-up; returns how much blocks, heap and RSS grew."""
    for _ in range(50):
        fn()
    settle()
    blocks, heap, rss = sys.getallocatedblocks(), heap_bytes and heap_bytes(), rss_bytes()
    for _ in range(rounds):
        fn()
    settle()
    return (sys.getallocatedblocks() - blocks, heap_bytes() - heap if heap_bytes else 0,
            rss_bytes() - rss)


def assert_flat(fn, rounds=ROUNDS):
    blocks, heap, rss = growth(fn, rounds)
    if rss >= 1 << 20 and blocks < 50 and heap < 4 * rounds:
        # Resident size also moves with pages the allocator maps for other reasons (an arena
        # left by an earlier test's threads): a real leak grows again on a second pass.
        blocks, heap, rss = growth(fn, rounds)
    # A leak of one object per call shows as >= rounds blocks, one C++ allocation per call
    # (32 bytes at least) as >= 32 * rounds heap bytes; a quiet run stays near zero on all three.
    assert blocks < 50, f"{blocks} Python blocks more after {rounds} calls"
    assert heap < 4 * rounds, f"C heap grew by {heap} bytes after {rounds} calls"
    assert rss < 1 << 20, f"resident memory grew by {rss} bytes after {rounds} calls"


def swallow(call):
    def run():
        try:
            call()
        except BaseException:  # noqa: BLE001 - every failure kind is what is exercised
            pass
    return run


@pytest.fixture(autouse=True)
def quiet_stdout_and_unraisable(capfd):
    # save() prints on fd 1 and a failing str() goes to the unraisable hook: keep both out of
    # the report without holding on to the exceptions (that would itself look like a leak).
    old, sys.unraisablehook = sys.unraisablehook, lambda unraisable: None
    yield
    sys.unraisablehook = old
    capfd.readouterr()


class BadIndex:
    def __index__(self):
        raise RuntimeError("no index")


SEED_CALLS = {
    "all kinds": lambda d: d.seed(20, ALL_KINDS),
    "zero rows": lambda d: d.seed(0, ALL_KINDS),
    "no arguments": lambda d: d.seed(),
    "too many": lambda d: d.seed(1, {}, 2),
    "multiple values": lambda d: d.seed(1, {}, row=2),
    "unknown keyword": lambda d: d.seed(1, feature={}, extra=3),
    "negative row": lambda d: d.seed(-1, ALL_KINDS),
    "huge row": lambda d: d.seed(2 ** 64, ALL_KINDS),
    "row not int": lambda d: d.seed("3", ALL_KINDS),
    "raising __index__": lambda d: d.seed(BadIndex(), ALL_KINDS),
    "feature not dict": lambda d: d.seed(1, [("a", "gender")]),
    "surrogate name": lambda d: d.seed(1, {**ALL_KINDS, "\udc80": "gender"}),
    "surrogate spec": lambda d: d.seed(1, {**ALL_KINDS, "x": "choice:\udc80"}),
    "int value": lambda d: d.seed(1, {**ALL_KINDS, "x": 3}),
    "panic int": lambda d: d.seed(5, {**ALL_KINDS, "x": "int:5:1"}),
    "panic float": lambda d: d.seed(5, {**ALL_KINDS, "x": "float:0:inf"}),
}


@pytest.mark.parametrize("call", SEED_CALLS.values(), ids=SEED_CALLS.keys())
def test_seed_memory_stays_flat(dummy, call):
    assert_flat(swallow(lambda: call(dummy)))


class Unprintable:
    def __str__(self):
        raise ValueError("unprintable " * 20)


class FailingEq(str):
    """A key whose comparison raises: looking up the colliding header key 'a' fails."""

    def __hash__(self):
        return hash("a")

    def __eq__(self, other):
        raise RuntimeError("no comparison")


ROWS = [{"name": "Jose, Dela Cruz", "n": i, "x": 1.5, "none": None, "ad": {"c": "Cebu"}}
        for i in range(20)]


def save_calls(tmp):
    out = os.path.join(tmp, "out")
    return {
        "csv": lambda d: d.save(ROWS, out, "csv"),
        "json": lambda d: d.save(ROWS, out, " JSON "),
        "empty csv": lambda d: d.save([], out, "csv"),
        "no arguments": lambda d: d.save(),
        "unknown keyword": lambda d: d.save(ROWS, out, "csv", mode="w"),
        "data not list": lambda d: d.save(tuple(ROWS), out, "csv"),
        "filename not str": lambda d: d.save(ROWS, 7, "csv"),
        "fmt None": lambda d: d.save(ROWS, out, None),
        "surrogate filename": lambda d: d.save(ROWS, out + "\udc80", "csv"),
        "surrogate fmt": lambda d: d.save(ROWS, out, "csv\udc80"),
        "bad format": lambda d: d.save(ROWS, out, "xml"),
        "json cannot serialise": lambda d: d.save(ROWS + [{"o": object()}], out, "json"),
        "csv non-str key": lambda d: d.save([{"a": 1, 2: 3}] + ROWS, out, "csv"),
        "csv failing str": lambda d: d.save([{"a": Unprintable()}] * 20, out, "csv"),
        "csv failing lookup": lambda d: d.save([{"a": 1}, {FailingEq("b"): 2}], out, "csv"),
        "csv surrogates": lambda d: d.save([{"a": "x\udc80" * 50}] * 20, out, "csv"),
        "missing directory": lambda d: d.save(ROWS, os.path.join(tmp, "no", "x"), "csv"),
        "nul in path": lambda d: d.save(ROWS, out + "\0", "json"),
        "write fails csv": lambda d: d.save(ROWS, os.path.join(tmp, "full"), "csv"),
        "write fails json": lambda d: d.save(ROWS, os.path.join(tmp, "full"), "json"),
    }


SAVE_NAMES = list(save_calls("/nonexistent-only-for-names"))


@pytest.mark.parametrize("name", SAVE_NAMES)
def test_save_memory_stays_flat(dummy, tmp_path, name):
    call = save_calls(str(tmp_path))[name]
    if "write fails" in name:
        if not os.path.exists("/dev/full"):
            pytest.skip("no /dev/full")
        os.symlink("/dev/full", tmp_path / "full.csv")
        os.symlink("/dev/full", tmp_path / "full.json")
    assert_flat(swallow(lambda: call(dummy)), rounds=ROUNDS // 2)


def test_threads_that_come_and_go(dummy):
    # Every thread gets its own generator on its first draw: thousands of short-lived threads
    # must not leave theirs behind.
    def one_thread():
        t = threading.Thread(target=lambda: dummy.seed(1, {"u": "uuid"}))
        t.start()
        t.join()

    assert_flat(one_thread, rounds=1500)


def _dataset_calls():
    import io

    import tarvo
    columns = {k: v for k, v in ALL_KINDS.items() if v != "unknown"}
    ds = tarvo.Dataset(columns, seed=1, unique=["uuid", "email"])
    small = tarvo.Dataset({"s": "sss_number"}, seed=1, unique=["s"])

    def fail(call, error):
        def run():
            try:
                call()
            except error:
                pass
        return run

    return {
        "rows": lambda: ds.rows(3, start=10),
        "write": lambda: ds.write(io.BytesIO(), 3, format="jsonl", threads=2),
        "bad kind": fail(lambda: tarvo.Dataset({"a": "full_nam"}), ValueError),
        "past capacity": fail(lambda: small.rows(2, start=729_000_000 - 1), ValueError),
        "failing write": fail(lambda: ds.write(_Failing(), 3, format="csv"), OSError),
    }


class _Failing:
    def write(self, data):
        raise OSError("no room")


@pytest.mark.parametrize("case", ["rows", "write", "bad kind", "past capacity", "failing write"])
def test_dataset_calls_leave_memory_flat(case):
    assert_flat(_dataset_calls()[case], rounds=1000)
