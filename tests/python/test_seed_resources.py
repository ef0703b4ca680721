"""tests/python/test_seed_resources.py: lazy data builds and flat memory over many calls."""
import gc
import subprocess
import sys
import textwrap

import pytest

import _tarvo

ALL_KINDS = {
    k: k
    for k in ["id", "uuid", "gender", "first_name", "last_name", "full_name", "email", "birthdate",
              "age", "civil_status", "blood_type", "color", "status", "phone_number", "landline",
              "sss_number", "tin_number", "philhealth_number", "region", "province", "city_mun",
              "barangay", "zip_code", "address", "full_address"]
}
ALL_KINDS.update({"i": "int:1:9", "f": "float:0:9", "c": "choice:a,b", "u": "unknown"})


def run_fresh(code):
    done = subprocess.run([sys.executable, "-c", textwrap.dedent(code)], capture_output=True,
                          text=True, check=False)
    assert done.returncode == 0, done.stderr
    return done.stdout


def test_data_is_built_by_the_first_row_only():
    # Resident memory tells whether the 6 MB address documents were parsed: seed(0) must not
    # touch them, the first generated row must, even with no address column.
    out = run_fresh("""
        import os, _tarvo
        def rss():
            with open("/proc/self/statm") as f:
                return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")
        d = _tarvo.Dummy()
        a = rss()
        d.seed(0, {"x": "full_address", "y": "full_name"})
        b = rss()
        d.seed(1, {"y": "int:"})
        c = rss()
        print(b - a, c - b)
    """)
    after_zero, after_one = map(int, out.split())
    assert after_zero < 1 << 20
    assert after_one > 4 << 20


def measure(fn, rounds):
    for _ in range(rounds):  # the interpreter's own caches settle first
        fn()
    gc.collect()
    total = getattr(sys, "gettotalrefcount", None)
    before = (total() if total else 0, sys.getallocatedblocks())
    for _ in range(rounds):
        fn()
    gc.collect()
    after = (total() if total else 0, sys.getallocatedblocks())
    return after[0] - before[0], after[1] - before[1]


def test_seed_does_not_leak(dummy):
    refs, blocks = measure(lambda: dummy.seed(50, ALL_KINDS), 300)
    assert abs(refs) < 100 and blocks < 500


@pytest.mark.parametrize(
    "call",
    [
        lambda d: d.seed(5, {"a": "full_name", "b": "int:5:1"}),
        lambda d: d.seed(-1, {}),
        lambda d: d.seed(1, {"a": 3}),
        lambda d: d.seed(1, []),
        lambda d: d.seed(1, {}, x=1),
    ],
)
def test_error_paths_do_not_leak(dummy, call):
    def fail():
        try:
            call(dummy)
        except BaseException:  # noqa: BLE001 - every failure kind is exercised here
            pass

    refs, blocks = measure(fail, 2000)
    assert abs(refs) < 100 and blocks < 200


class Alarm(BaseException):  # like KeyboardInterrupt
    pass


@pytest.mark.parametrize("call", ["seed", "save"])
def test_long_calls_answer_signals(dummy, tmp_path, call):
    import signal

    rows = dummy.seed(300_000, {"a": "int:"}) if call == "save" else None

    def ring(*_):
        raise Alarm

    # A collection during the call could run some earlier test's finalizer, and a handler that
    # raises there is only reported as unraisable: no collections while the alarm is armed.
    gc.collect()
    gc.disable()
    old = signal.signal(signal.SIGALRM, ring)
    signal.setitimer(signal.ITIMER_REAL, 0.01)
    try:
        with pytest.raises(Alarm):
            if call == "seed":
                dummy.seed(20_000_000, {})
            else:
                for _ in range(100):
                    dummy.save(rows, str(tmp_path / "x"), "csv")
    finally:
        signal.setitimer(signal.ITIMER_REAL, 0)
        signal.signal(signal.SIGALRM, old)
        gc.enable()
