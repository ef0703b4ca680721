"""tests/python/test_dataset.py: the seeded engine: its determinism contract, strict kinds, bad input."""
import datetime
import pickle
import subprocess
import sys
import threading

import pytest

import tarvo
from tarvo._kinds import kinds
from tarvo import _engine

AS_OF = datetime.date(2026, 1, 1)
COLUMNS = {
    "id": "uuid", "name": "full_name", "first": "first_name", "last": "last_name",
    "gender": "gender", "email": "email", "age": "age", "born": "birthdate",
    "n": "int:-5:5", "x": "float:0:1000:3", "c": "choice:a,b,c", "phone": "phone_number",
    "civil": "civil_status", "blood": "blood_type", "sss": "sss_number",
    "address": "address", "line": "full_address", "zip": "zip_code",
}
ALL_KINDS = sorted(kind.name for kind in kinds()
                   if kind.example == kind.name and not kind.schema_only)


def dataset(columns=COLUMNS, seed=7, **kw):
    return tarvo.Dataset(columns, seed=seed, as_of=kw.pop("as_of", AS_OF), **kw)


def test_rows_do_not_depend_on_chunks_threads_or_other_columns():
    whole = dataset().rows(10_000)
    cuts = [0, 1, 7, 1000, 1001, 4096, 9999, 10_000]
    chunks = [row for a, b in zip(cuts, cuts[1:]) for row in dataset().rows(b - a, start=a)]
    assert chunks == whole

    parts = [None] * 4
    shared = dataset()

    def work(k):
        parts[k] = shared.rows(2500, start=2500 * k)

    threads = [threading.Thread(target=work, args=(k,)) for k in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert [row for part in parts for row in part] == whole

    # Reordered, one removed: every remaining value stays where it was.
    names = list(COLUMNS)[::-1]
    names.remove("email")
    fewer = dataset({name: COLUMNS[name] for name in names}).rows(10_000)
    assert fewer == [{name: row[name] for name in names} for row in whole]


def test_rows_are_the_same_in_another_process():
    code = ("import pickle, sys; ds = pickle.loads(sys.stdin.buffer.read()); "
            "sys.stdout.buffer.write(pickle.dumps(ds.rows(50, start=123456789)))")
    done = subprocess.run([sys.executable, "-c", code], input=pickle.dumps(dataset()),
                          capture_output=True, check=True)
    assert pickle.loads(done.stdout) == dataset().rows(50, start=123456789)


@pytest.mark.parametrize("profile", ["census", "uniform"])
def test_a_row_agrees_with_itself(profile):
    columns = {**COLUMNS, "suffix": "suffix"}
    for row in dataset(columns, profile=profile).rows(2000):
        assert row["name"] == " ".join(filter(None, [row["first"], row["last"], row["suffix"]]))
        local = row["email"].split("@")[0]
        if profile == "uniform":
            assert local == f"{row['first']}.{row['last']}".lower().replace(" ", "")
        else:
            assert local.isascii() and local == local.lower()
        born = datetime.date.fromisoformat(row["born"])
        had_birthday = (AS_OF.month, AS_OF.day) >= (born.month, born.day)
        assert row["age"] == AS_OF.year - born.year - (0 if had_birthday else 1)
        barangay = row["address"]["barangay"]
        if profile == "census":  # as written: "Brgy. X", and "Barangay 12" as "Brgy. 12"
            barangay = "Brgy. " + barangay.removeprefix("Barangay ")
        assert row["line"].startswith(f"{barangay}, {row['address']['city']}")
        assert row["zip"] == row["address"]["zip_code"]


def test_seed_column_and_date_each_change_values():
    columns = {"v": "uuid", "age": "age", "born": "birthdate"}
    base = dataset(columns).rows(20)
    assert dataset(columns, seed=8).rows(20) != base
    assert [r["w"] for r in dataset({"w": "uuid"}).rows(20)] != [r["v"] for r in base]
    # A table as of ten years later holds people of the same ages, born ten years later; the
    # UUID column does not read the date at all.
    later = dataset(columns, as_of=datetime.date(2036, 1, 1)).rows(20)
    assert [(r["v"], r["age"]) for r in later] == [(r["v"], r["age"]) for r in base]
    assert [int(r["born"][:4]) - 10 for r in later] == [int(r["born"][:4]) for r in base]


@pytest.mark.parametrize("seed, same_as", [(-1, 2**128 - 1), (2**128 + 5, 5), (0, 2**128)])
def test_seed_is_taken_modulo_2_128(seed, same_as):
    assert dataset(seed=seed).rows(5) == dataset(seed=same_as).rows(5)


def test_seed_none_is_drawn_and_replays():
    first = tarvo.Dataset({"v": "uuid"}, as_of=AS_OF)
    assert isinstance(first.seed, int) and 0 <= first.seed < 2**128
    assert tarvo.Dataset({"v": "uuid"}, seed=first.seed, as_of=AS_OF).rows(3) == first.rows(3)
    assert tarvo.Dataset({"v": "age"}).as_of == datetime.datetime.now(datetime.timezone.utc).date()


def test_value_types_match_dummy():
    columns = {kind.name: kind.name for kind in kinds() if kind.in_dummy and kind.example == kind.name}
    columns.update({"i": "int:1:10", "f": "float:0:1", "c": "list:x,y"})
    ours = dataset(columns).rows(1)[0]
    theirs = tarvo.Dummy().seed(1, columns)[0]
    assert {k: type(v) for k, v in ours.items()} == {k: type(v) for k, v in theirs.items()}


@pytest.mark.parametrize("spec, low, high", [
    ("int", 0, 100),
    ("int:-9223372036854775808:9223372036854775807", -2**63, 2**63 - 1),
    ("int:9223372036854775807:9223372036854775807", 2**63 - 1, 2**63 - 1),
    ("float", 0.0, 1.0),
])
def test_numeric_ranges(spec, low, high):
    values = [row["v"] for row in dataset({"v": spec}).rows(3000)]
    assert all(low <= v <= high for v in values)
    if high - low > 1000:  # a wide range reaches both halves
        assert min(values) < low + (high - low) / 4 and max(values) > high - (high - low) / 4


@pytest.mark.parametrize("spec, message", [
    ("full_nam", 'column \'c\': unknown kind "full_nam": did you mean "full_name"?'),
    ("intt:1:3", 'did you mean "int:1:3"?'),
    ("int:5:1", '"int:5:1": empty range'),
    ("int:a:3", '"int:a:3": LOW is not a whole number'),
    ("int:1:9223372036854775808", "HIGH is not a whole number"),
    ("int:1", "expected int:LOW:HIGH"),
    ("float:0:inf", "MAX is not a finite number"),
    ("float:0:nan", "MAX is not a finite number"),
    ("float:1:1", "empty range"),
    ("float:0:1:16", "PLACES"),
    ("float:-1e308:1e308", "too wide"),
    ("choice:", "empty option"),
    ("choice:a,,b", "empty option"),
    ("choice", "needs its options"),
    ("uuid:4", "takes no parameters"),
    ("", "unknown kind"),
    ("Full_Name", "unknown kind"),
])
def test_strict_kinds(spec, message):
    with pytest.raises(ValueError, match="column 'c'") as caught:
        dataset({"a": "uuid", "c": spec})
    assert message in str(caught.value)


@pytest.mark.parametrize("make, error", [
    (lambda: tarvo.Dataset([("a", "uuid")]), TypeError),
    (lambda: tarvo.Dataset({1: "uuid"}), TypeError),
    (lambda: tarvo.Dataset({"a": 1}), TypeError),
    (lambda: tarvo.Dataset({"a": "uuid"}, seed=True), TypeError),
    (lambda: tarvo.Dataset({"a": "uuid"}, seed=1.0), TypeError),
    (lambda: tarvo.Dataset({"a": "uuid"}, seed="1"), TypeError),
    (lambda: tarvo.Dataset({"a": "uuid"}, as_of=datetime.datetime(2026, 1, 1)), TypeError),
    (lambda: tarvo.Dataset({"a": "uuid"}, as_of="2026-01-01"), TypeError),
    (lambda: tarvo.Dataset({"a": "uuid"}, as_of=datetime.date(1199, 12, 31)), ValueError),
    (lambda: tarvo.Dataset({"a": "uuid"}, profile="normal"), ValueError),
    (lambda: dataset().rows(-1), ValueError),
    (lambda: dataset().rows(1, start=-1), ValueError),
    (lambda: dataset().rows(1.0), TypeError),
    (lambda: dataset().rows(True), TypeError),
    (lambda: dataset().rows(2, start=2**63 - 1), OverflowError),
])
def test_bad_input(make, error):
    with pytest.raises(error):
        make()


def test_last_rows_and_empty_requests():
    ds = dataset({"v": "uuid"})
    assert len(ds.rows(1, start=2**63 - 1)) == 1
    assert ds.rows(0, start=2**63) == []
    with pytest.raises(ValueError, match="at least one column"):
        dataset({})  # rows without columns could not carry their count to a file or a table


def test_definition_round_trips():
    ds = dataset()
    assert pickle.loads(pickle.dumps(ds)) == ds
    assert eval(repr(ds), {"Dataset": tarvo.Dataset, "datetime": datetime}) == ds
    assert ds.columns == COLUMNS and ds.columns is not ds.columns
    assert (ds.seed, ds.as_of) == (7, AS_OF)


def test_panic_exception_is_exported_and_pickles():
    with pytest.raises(tarvo.PanicException) as caught:
        tarvo.Dummy().seed(1, {"x": "int:5:1"})
    again = pickle.loads(pickle.dumps(caught.value))
    assert type(again) is tarvo.PanicException and again.args == caught.value.args


UNIQUE = {"e": "email", "s": "sss_number", "u": "uuid", "p": "phone_number", "t": "tin_number",
          "h": "philhealth_number"}


@pytest.mark.parametrize("profile", ["census", "uniform"])
def test_unique_columns_never_repeat_and_keep_their_format(profile):
    ds = dataset({**UNIQUE, "name": "full_name"}, profile=profile, unique=list(UNIQUE))
    start = 250_000_000  # near the end of the uniform profile's mobile numbers
    rows = ds.rows(30_000, start=start)
    assert ds.rows(7, start=start + 100) == rows[100:107]  # still a function of the row alone
    for column in UNIQUE:
        assert len({row[column] for row in rows}) == len(rows)
    plain = dataset(UNIQUE, profile=profile).rows(1)[0]
    for column in ("s", "u", "p", "t", "h"):  # the same layout as the drawn values
        assert [len(part) for part in rows[0][column].split("-")] == \
            [len(part) for part in plain[column].split("-")]
    assert pickle.loads(pickle.dumps(ds)) == ds and ds.unique == tuple(UNIQUE)


@pytest.mark.parametrize("call, message", [
    (lambda: dataset({"s": "sss_number"}, unique=["s"]).rows(2, start=729_000_000 - 1),
     "sss_number has only 729,000,000"),
    (lambda: dataset({"a": "age"}, unique=["a"]), "column 'a': cannot be unique"),
    (lambda: dataset({"a": "uuid"}, unique=["b"]), "no column 'b'"),
])
def test_unique_errors(call, message):
    with pytest.raises(ValueError, match=message):
        call()


class Repeating(dict):
    """A mapping whose items() gives one name twice."""

    def items(self):
        return [("a", "int"), ("a", "age")]


def test_a_name_given_twice_is_refused():
    with pytest.raises(ValueError, match="column 'a' is given twice"):
        tarvo.Dataset(Repeating(a="int"))


@pytest.mark.parametrize("columns, unique, shown", [
    ({"a\0b": "bad"}, [], "column 'a\\x00b': unknown kind \"bad\""),
    ({"a": "x" * 10_000_000}, [], "\u2026 (10,000,000 characters)"),
    ({"n" * 200: "age"}, ["n" * 200], "column '" + "n" * 80 + "\u2026 (200 characters)'"),
    ({"a": "uuid"}, ["b\0c"], "there is no column 'b\\x00c'"),
])
def test_messages_show_user_text_escaped_and_shortened(columns, unique, shown):
    with pytest.raises(ValueError) as caught:
        tarvo.Dataset(columns, unique=unique)
    assert shown in str(caught.value) and len(str(caught.value)) < 400
