"""tests/python/test_fuzz.py: random seed and save inputs: only documented outcomes, no crash.

Each test runs for TARVO_FUZZ_SECONDS seconds (default 3); CI asks for a longer run.
"""
import json
import math
import os
import re
import sys
import time

import pytest
from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

from conftest import panic_type

BUDGET = float(os.environ.get("TARVO_FUZZ_SECONDS", "3"))
PANIC = panic_type()
CHUNK = settings(max_examples=150, deadline=None, database=None,
                 suppress_health_check=list(HealthCheck))

NAMED = {
    "id": str, "uuid": str, "gender": str, "first_name": str, "last_name": str, "full_name": str,
    "email": str, "birthdate": str, "age": int, "civil_status": str, "blood_type": str,
    "color": str, "status": str, "phone_number": str, "landline": str, "sss_number": str,
    "tin_number": str, "philhealth_number": str, "region": str, "province": str, "city_mun": str,
    "barangay": str, "zip_code": str, "address": dict, "full_address": str,
}
WHITE_SPACE = "\t\n\x0b\x0c\r \x85\xa0\u1680" + "".join(map(chr, range(0x2000, 0x200B))) + \
    "\u2028\u2029\u202f\u205f\u3000"


def run_for_budget(test):
    """Repeats a hypothesis test (fresh random examples each time) until the budget is spent."""
    end = time.monotonic() + BUDGET
    while True:
        test()
        if time.monotonic() >= end:
            return


# Every code point, lone surrogates and NUL included.
any_char = st.characters(blacklist_categories=())
texts = st.text(any_char, max_size=12)
numbers = st.one_of(
    st.integers(-2 ** 70, 2 ** 70).map(str),
    st.sampled_from(["2147483647", "2147483648", "-2147483648", "-2147483649", "4294967295",
                     "4294967296", "+7", "-0", "+", "-", "", " 5", "5 ", "1e308", "-1e308",
                     "1e309", "inf", "-Infinity", "NaN", "0x10", "1_000", "٣", ".5", "5.",
                     "1e", "0" * 40 + "9"]),
    st.floats(allow_nan=True, allow_infinity=True).map(repr),
    texts,
)
specs = st.one_of(
    texts,
    st.sampled_from(list(NAMED)),
    st.sampled_from(list(NAMED)).map(lambda k: k.upper()),
    st.tuples(st.sampled_from(["int", "float", "choice", "list", "Int", "uuid"]),
              st.lists(numbers, max_size=5)).map(lambda t: ":".join([t[0], *t[1]])),
    st.tuples(st.sampled_from(["choice:", "list:"]),
              st.lists(texts, max_size=6)).map(lambda t: t[0] + ",".join(t[1])),
)
features = st.dictionaries(st.one_of(texts, st.sampled_from(list(NAMED))), specs, max_size=6)


def has_surrogate(text):
    return any(0xD800 <= ord(c) <= 0xDFFF for c in text)


I32 = re.compile(r"[+-]?[0-9]+", re.ASCII)


def read_i32(field, default):
    if not I32.fullmatch(field) or not -2 ** 31 <= int(field) < 2 ** 31:
        return default
    return int(field)


def int_bounds(spec):
    fields = spec.split(":") + [None]
    low = read_i32(fields[1], 0)
    high = read_i32(fields[2], 100) if fields[2] is not None else 100
    return low, high


def expected_type(spec):
    if spec.startswith("int:"):
        return int
    if len(spec) == 4:
        return str if spec == "uuid" else type(None)
    if spec.startswith("float:"):
        return float
    if spec.startswith(("choice:", "list:")):
        return str
    return NAMED.get(spec, type(None))


def check_seed(dummy, row, feature):
    try:
        result = dummy.seed(row, feature)
    except UnicodeEncodeError:
        assert any(has_surrogate(k) or has_surrogate(v) for k, v in feature.items())
        return
    except PANIC as exc:
        assert exc.args[0] in ("cannot sample empty range",
                               "called `Result::unwrap()` on an `Err` value: NonFinite")
        assert any(v.startswith(("int:", "float:")) for v in feature.values())
        if not any(v.startswith("float:") for v in feature.values()):
            assert any(int_bounds(v)[1] < int_bounds(v)[0]
                       for v in feature.values() if v.startswith("int:"))
        return
    assert not any(has_surrogate(k) or has_surrogate(v) for k, v in feature.items())
    assert type(result) is list and len(result) == row
    for r in result:
        assert type(r) is dict and list(r) == list(feature)
        for key, spec in feature.items():
            value = r[key]
            assert type(value) is expected_type(spec), (spec, value)
            if spec.startswith("int:"):
                low, high = int_bounds(spec)
                assert low <= value <= high
            elif spec.startswith(("choice:", "list:")):
                options = spec.split(":", 1)[1].split(",")
                assert value in {o.strip(WHITE_SPACE) for o in options}
            elif spec.startswith("float:"):
                assert not math.isinf(value)


@pytest.mark.parametrize("rows", [0, 1, 3])
def test_seed_with_random_specifications(dummy, rows):
    @CHUNK
    @given(features)
    def one(feature):
        check_seed(dummy, rows, feature)

    run_for_budget(one)


ODD_ROWS = [-1, -2 ** 63, 2 ** 64, 2 ** 64 + 1, -2 ** 100, 1.0, "3", None, b"1", [1], 2 ** 1000]


@pytest.mark.parametrize("row", ODD_ROWS, ids=map(repr, ODD_ROWS))
def test_seed_with_odd_row_counts(dummy, row):
    with pytest.raises((OverflowError, TypeError)) as info:
        dummy.seed(row, {"a": "gender"})
    assert info.value.__notes__ == ["while processing 'row'"]


@pytest.mark.parametrize("row", [2 ** 63, 2 ** 64 - 1])
def test_seed_with_rows_beyond_memory(dummy, row):
    # Fits the unsigned 64-bit count, but no list can be that long.
    with pytest.raises(MemoryError):
        dummy.seed(row, {"a": "gender"})


class Unprintable:
    def __str__(self):
        raise RuntimeError("cannot print")


class Shouty:
    def __str__(self):
        return "loud, \"quoted\"\n\udc80"


scalars = st.one_of(
    st.none(), st.booleans(), st.integers(-2 ** 80, 2 ** 80), st.floats(),
    st.text(any_char, max_size=20), st.binary(max_size=5),
    st.sampled_from([Unprintable(), Shouty(), object(), (1, 2), frozenset({1})]),
)
values = st.recursive(
    scalars,
    lambda inner: st.one_of(st.lists(inner, max_size=3),
                            st.dictionaries(st.text(any_char, max_size=5), inner, max_size=3)),
    max_leaves=8,
)
keys = st.one_of(st.text(any_char, max_size=8), st.integers(), st.none(), st.just((1, 2)))
elements = st.one_of(st.dictionaries(keys, values, max_size=5), values)
datas = st.lists(elements, max_size=6)
file_names = st.one_of(
    st.sampled_from(["sub", "sub/x", "sub/", "missing/x", ".", "", "x" * 300, "a\0b"]),
    st.text(st.one_of(any_char, st.sampled_from("/.,\\ -")), max_size=20).filter(
        lambda n: not n.startswith("/") and ".." not in n))
fmts = st.one_of(st.sampled_from(["csv", "json", " CSV\n", "Json", "xml", "", "text/csv"]),
                 st.text(any_char, max_size=8))


def json_failure_expected(data):
    try:
        json.dumps(data, indent=4)
    except (TypeError, ValueError):
        return True
    return False


def check_save(dummy, work, data, name, fmt):
    before = set(os.listdir(work))
    lowered = fmt.strip(WHITE_SPACE).lower()
    path = name + (".json" if "json" in lowered else ".csv")
    try:
        result = dummy.save(data, name, fmt)
    except UnicodeEncodeError:
        if has_surrogate(name) or has_surrogate(fmt):
            assert set(os.listdir(work)) == before
        else:
            # A CSV header key with no UTF-8 form fails before the file is opened.
            first = data[0]
            assert "csv" in lowered and isinstance(first, dict)
            assert any(isinstance(k, str) and has_surrogate(k) for k in first)
            assert set(os.listdir(work)) == before
        return
    except ValueError as exc:
        if "json" in lowered:
            assert json_failure_expected(data)
        else:
            assert "csv" not in lowered
            assert str(exc) == "Invalid format. Choose either `json` or `csv`."
            assert set(os.listdir(work)) == before
        return
    except TypeError:
        if "json" in lowered:
            assert json_failure_expected(data)
        else:
            first = data[0]
            assert isinstance(first, dict) and not all(isinstance(k, str) for k in first)
            assert set(os.listdir(work)) == before
        return
    except OSError:
        assert "\0" in name or "/" in name or len(name.encode()) > 250 or os.path.isdir(path)
        return
    assert result is None
    assert os.path.isfile(path)
    if "json" in lowered:
        with open(path, encoding="utf-8") as f:
            assert f.read() == json.dumps(data, indent=4)
    os.remove(path)


def test_save_with_random_inputs(dummy, tmp_path, monkeypatch, capfd):
    # Relative names only, with no "..": everything lands below this directory.
    work = tmp_path / "deep" / "work"
    work.mkdir(parents=True)
    (work / "sub").mkdir()
    (work / "sub.csv").mkdir()
    monkeypatch.chdir(work)
    monkeypatch.setattr(sys, "unraisablehook", lambda unraisable: None)

    @CHUNK
    @given(datas, file_names, fmts)
    def one(data, name, fmt):
        check_save(dummy, str(work), data, name, fmt)
        capfd.readouterr()

    run_for_budget(one)
    # Nothing escaped the working directory.
    assert sorted(p.name for p in tmp_path.iterdir()) == ["deep"]
    assert sorted(p.name for p in (tmp_path / "deep").iterdir()) == ["work"]
