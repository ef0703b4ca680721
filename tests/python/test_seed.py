"""tests/python/test_seed.py: Dummy.seed: kinds, formats, leniency, per-row consistency, failures."""
import datetime
import json
import math
import re
import uuid as uuidlib
from collections import Counter
from pathlib import Path

import pytest

import _tarvo
from conftest import panic_type

DATA = Path(__file__).resolve().parents[2] / "data"


def load(name):
    return json.loads((DATA / name).read_text(encoding="utf-8"))


FIRST = load("first_names.json")
LAST = load("last_names.json")["surnames"]
PREF = load("preference.json")
CONTACT = load("contact.json")
GOV = load("government.json")
UTIL = load("utility.json")


def column(dummy, kind, n=400):
    return [row["v"] for row in dummy.seed(n, {"v": kind})]


FORMATS = {
    "uuid": r"[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}",
    "id": r"[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}",
    "gender": r"Male|Female",
    "birthdate": r"\d{4}-(0[1-9]|1[0-2])-(0[1-9]|[12]\d|3[01])",
    "phone_number": r"\+63 (%s) [1-9]\d{6}" % "|".join(CONTACT["mobile_prefixes"]),
    "landline": r"\(02\) [3-8]\d{7}|\((0\d\d)\) [1-9]\d{6}",
    "sss_number": r"(%s)-[1-9]\d{6}-[1-9]" % "|".join(GOV["sss_prefixes"]),
    "tin_number": r"[1-9]\d\d-[1-9]\d\d-[1-9]\d\d-\d{3}",
    "philhealth_number": r"(%s)-[1-9]\d{8}-\d" % "|".join(GOV["philhealth_prefixes"]),
    "email": r"[a-z]+\.[a-z]+@(%s)" % "|".join(re.escape(d) for d in PREF["domains"]),
    "zip_code": r"(\d{4})?",
}


@pytest.mark.parametrize("kind, pattern", FORMATS.items())
def test_text_formats(dummy, kind, pattern):
    values = column(dummy, kind)
    assert all(type(v) is str for v in values)
    bad = [v for v in values if not re.fullmatch(pattern, v)]
    assert not bad, bad[:5]


@pytest.mark.parametrize(
    "kind, allowed",
    [
        ("civil_status", PREF["civil_status"]),
        ("blood_type", PREF["blood_type"]),
        ("color", UTIL["colors"]),
        ("status", UTIL["statuses"]),
        ("last_name", LAST),
        ("first_name", FIRST["male"] + FIRST["female"]),
    ],
)
def test_list_kinds_draw_from_their_list(dummy, kind, allowed):
    values = column(dummy, kind, 2000)
    assert set(values) <= set(allowed)
    if len(allowed) <= 10:
        assert set(values) == set(allowed)


def test_uuid_values_are_version_4_and_distinct(dummy):
    rows = dummy.seed(500, {"a": "uuid", "b": "id"})
    values = [r["a"] for r in rows] + [r["b"] for r in rows]
    assert len(set(values)) == len(values)
    assert all(uuidlib.UUID(v).version == 4 for v in values)


def test_python_types(dummy):
    row = dummy.seed(1, {"i": "int:", "f": "float:", "a": "age", "d": "address", "u": "nope",
                         "s": "full_name"})[0]
    assert [type(v) for v in row.values()] == [int, float, int, dict, type(None), str]


@pytest.mark.parametrize(
    "spec",
    ["int", "float", "choice", "list", "Gender", "city_municipality", " gender", "gender ",
     "GENDER", "city", "choices:a,b", "Choice:a", "", "uuid ", "UUID", "idd", "na\0me"],
)
def test_unknown_kinds_give_none(dummy, spec):
    assert column(dummy, spec, 5) == [None] * 5


@pytest.mark.parametrize(
    "spec, low, high",
    [
        ("int:", 0, 100),
        ("int:5", 5, 100),
        ("int:7:7", 7, 7),
        ("int:x:y", 0, 100),
        ("int: 5:10", 0, 10),
        ("int:5 :10", 0, 10),
        ("int:-5:-1", -5, -1),
        ("int:1:5:9", 1, 5),
        ("int:+3:+4", 3, 4),
        ("int:-2147483648:-2147483647", -2147483648, -2147483647),
        ("int:2147483646:2147483647", 2147483646, 2147483647),
        ("int:2147483648:3", 0, 3),
        ("int:--1:2", 0, 2),
    ],
)
def test_int_ranges_and_defaults(dummy, spec, low, high):
    # 6000 draws miss an end of a 101-value range with probability about 1e-26
    values = column(dummy, spec, 6000)
    assert all(type(v) is int and low <= v <= high for v in values)
    assert min(values) == low and max(values) == high


def test_int_full_range(dummy):
    values = column(dummy, "int:-2147483648:2147483647", 200)
    assert all(-(2**31) <= v < 2**31 for v in values)
    assert len(set(values)) >= 198  # two collisions among 200 of 2**32 values: about 1e-11


def decimals(x):
    text = repr(x)
    return 0 if "." not in text else len(text.split(".")[1])


@pytest.mark.parametrize(
    "spec, low, high, places",
    [
        ("float:", 0, 1, 2),
        ("float:0:10:3", 0, 10, 3),
        ("float:0:1:-1", 0, 1, 2),
        ("float:0:1:x", 0, 1, 2),
        ("float:5", 5, 5.0, None),  # handled as a panic below
        ("float:-1e3:1e3", -1000, 1000, 2),
        ("float:1.5:2.5:1", 1.5, 2.5, 1),
        ("float:+.5:5.:2", 0.5, 5.0, 2),
    ],
)
def test_float_ranges(dummy, spec, low, high, places):
    if places is None:
        return
    values = column(dummy, spec, 500)
    assert all(type(v) is float and low <= v <= high for v in values)
    assert max(decimals(v) for v in values) <= places


def test_float_zero_places_gives_whole_numbers(dummy):
    assert set(column(dummy, "float:0:1:0", 300)) == {0.0, 1.0}


@pytest.mark.parametrize("places", ["309", "400", "2147483647", "2147483648", "4294967295"])
def test_float_extreme_places_never_give_nan(dummy, places):
    values = column(dummy, f"float:0:1:{places}", 300)
    assert all(0.0 <= v < 1.0 and not math.isnan(v) for v in values)


@pytest.mark.parametrize(
    "spec, options",
    [
        ("choice:a, b ,c", {"a", "b", "c"}),
        ("list:x:y,z", {"x:y", "z"}),
        ("choice:", {""}),
        ("list:", {""}),
        ("choice:a,,b", {"a", "", "b"}),
        ("choice:\u3000Piñas\t,\u00a0Ñ ñ\u2029", {"Piñas", "Ñ ñ"}),
        ("choice:\x1fa", {"\x1fa"}),
    ],
)
def test_choice_options(dummy, spec, options):
    assert set(column(dummy, spec, 300)) == options


def test_repeated_choice_is_weighted(dummy):
    counts = Counter(column(dummy, "choice:a,a,a,b", 4000))
    assert 2700 < counts["a"] < 3300


@pytest.mark.parametrize(
    "spec, message",
    [
        ("int:200", "cannot sample empty range"),
        ("int:5:1", "cannot sample empty range"),
        ("float:1:1", "cannot sample empty range"),
        ("float:2", "cannot sample empty range"),
        ("float:0:nan", "cannot sample empty range"),
        ("float:0:inf", "called `Result::unwrap()` on an `Err` value: NonFinite"),
        ("float:-1e308:1e308", "called `Result::unwrap()` on an `Err` value: NonFinite"),
        ("float:0:1e999", "called `Result::unwrap()` on an `Err` value: NonFinite"),
    ],
)
def test_internal_failures(dummy, spec, message):
    Panic = panic_type()
    assert issubclass(Panic, BaseException) and not issubclass(Panic, Exception)
    with pytest.raises(Panic) as info:
        dummy.seed(3, {"ok": "full_name", "bad": spec})
    assert info.value.args == (message,)


def test_panic_is_not_caught_by_except_exception(dummy):
    with pytest.raises(BaseException):
        try:
            dummy.seed(1, {"x": "int:5:1"})
        except Exception:  # noqa: BLE001 - this is what must not happen
            pytest.fail("PanicException was caught as an Exception")


def test_rows_keys_and_count(dummy):
    assert dummy.seed(0, {"a": "gender"}) == []
    assert dummy.seed(3, {}) == [{}, {}, {}]
    assert len(dummy.seed(True, {"a": "gender"})) == 1
    rows = dummy.seed(5, {"b": "int:", "a": "gender", "c": "nothing"})
    assert all(list(r) == ["b", "a", "c"] for r in rows)
    assert len({id(r) for r in rows}) == 5


def test_feature_changes_after_call_do_not_matter(dummy):
    feature = {"a": "int:1:1"}
    rows = dummy.seed(2, feature)
    feature["a"] = "gender"
    assert rows == [{"a": 1}, {"a": 1}]


def today_utc():
    return datetime.datetime.now(datetime.timezone.utc).date()


def exact_age(birth, today):
    return today.year - birth.year - ((today.month, today.day) < (birth.month, birth.day))


PERSON = {"g": "gender", "f": "first_name", "l": "last_name", "n": "full_name", "e": "email",
          "e2": "email", "b": "birthdate", "a": "age"}


def test_person_columns_agree(dummy):
    rows = dummy.seed(3000, PERSON)
    today = today_utc()
    for r in rows:
        names = FIRST["male"] if r["g"] == "Male" else FIRST["female"]
        assert r["f"] in names and r["l"] in LAST
        assert r["n"] == f"{r['f']} {r['l']}"
        local = (r["f"].lower().replace(" ", "").replace(".", "") + "."
                 + r["l"].lower().replace(" ", "").replace(".", ""))
        assert r["e"].split("@")[0] == local == r["e2"].split("@")[0]
        birth = datetime.date.fromisoformat(r["b"])
        assert birth.day <= (28 if birth.month == 2 else 31)
        assert 18 <= r["a"] <= 70
        assert exact_age(birth, today) == r["a"], (r["b"], r["a"])


ADDRESS = {"r": "region", "p": "province", "c": "city_mun", "b": "barangay", "z": "zip_code",
           "d": "address", "d2": "address", "f": "full_address"}


def place_index():
    index = {}
    for name in ("luzon.json", "visayas.json", "mindanao.json"):
        for region in load(name):
            for province in region["provinces"]:
                for city in province["cities_municipalities"]:
                    for barangay in city["barangays"]:
                        index.setdefault((region["name"], province["name"], city["name"]), set()).add(
                            (barangay["name"], city["zip_code"]))
    return index


def test_address_columns_agree(dummy):
    places = place_index()
    rows = dummy.seed(3000, ADDRESS)
    for r in rows:
        expected = {"barangay": r["b"], "city": r["c"], "province": r["p"], "region": r["r"],
                    "zip_code": r["z"]}
        assert list(r["d"]) == ["barangay", "city", "province", "region", "zip_code"]
        assert r["d"] == expected == r["d2"] and r["d"] is not r["d2"]
        assert r["f"] == f"{r['b']}, {r['c']}, {r['p']}, {r['r']} {r['z']}"
        assert (r["b"], r["z"]) in places[(r["r"], r["p"], r["c"])]
    # with the real data set every draw finds a full address
    assert all(r["r"] for r in rows)


def test_statistics(dummy):
    # Bounds are at least six standard deviations wide: a correct generator fails them with a
    # probability far below one in a million.
    rows = dummy.seed(120000, {"g": "gender", "f": "first_name", "i": "int:1:6"})
    genders = Counter(r["g"] for r in rows)
    assert 57000 < genders["Male"] < 63000
    female = Counter(r["f"] for r in rows if r["g"] == "Female")
    male = Counter(r["f"] for r in rows if r["g"] == "Male")
    assert set(FIRST["male"]) <= set(male) and set(FIRST["female"]) <= set(female)
    others = [c for name, c in female.items() if name not in ("Mylene", "Julie", "Joy")]
    mean = sum(others) / len(others)
    assert 1.5 * mean < female["Mylene"] < 2.5 * mean
    assert set(r["i"] for r in rows) == set(range(1, 7))


def test_mutating_one_row_leaves_others(dummy):
    rows = dummy.seed(2, {"d": "address", "c": "choice:x"})
    rows[0]["d"]["city"] = "changed"
    rows[0]["c"] += "!"
    assert rows[1]["d"]["city"] != "changed" and rows[1]["c"] == "x"
