"""tests/python/test_column_kinds.py: the column language: ranges, weights, nulls, patterns, templates."""
import collections
import math
import csv
import datetime
import decimal
import io
import json
import pickle
import re
import unicodedata

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import tarvo
from tarvo._column import escape_option

AS_OF = datetime.date(2024, 2, 29)


def dataset(columns, **kwargs):
    return tarvo.Dataset(columns, seed=11, as_of=AS_OF, **kwargs)


def values(kind, n=3000, **kwargs):
    return [row["c"] for row in dataset({"c": kind}, **kwargs).rows(n)]


@pytest.mark.parametrize("kind, low, high", [
    ("int:-2:2", -2, 2),
    ("money:-0.02:0.02", decimal.Decimal("-0.02"), decimal.Decimal("0.02")),
    ("date:2024-02-27:2024-03-01", "2024-02-27", "2024-03-01"),
    # A year before 29 February is 28 February; 0d is the data set's date.
    ("date:-1y:-1y", "2023-02-28", "2023-02-28"),
    ("date:-1m:0d", "2024-01-29", "2024-02-29"),
    ("datetime:2024-02-29T23:59:58:2024-03-01T00:00:01", "2024-02-29T23:59:58+08:00",
     "2024-03-01T00:00:01+08:00"),
    # A day bound covers its whole day: from its first second, to its last.
    ("datetime:0d:2024-02-29T00:00:00", "2024-02-29T00:00:00+08:00", "2024-02-29T00:00:00+08:00"),
    ("datetime:2024-02-29T23:59:59:0d", "2024-02-29T23:59:59+08:00", "2024-02-29T23:59:59+08:00"),
    ("time:23:59:58:23:59:59", "23:59:58", "23:59:59"),
])
def test_ranges_are_inclusive_and_reached(kind, low, high):
    drawn = values(kind)
    assert min(drawn) == low and max(drawn) == high


def test_weighted_choice_follows_its_weights_and_never_draws_a_zero():
    counts = collections.Counter(values("choice:a=6,b\\,c=3, d = 1 ,never=0", 20000))
    assert set(counts) == {"a", "b,c", "d"}
    assert abs(counts["a"] / 20000 - 0.6) < 0.015 and abs(counts["d"] / 20000 - 0.1) < 0.01


def test_weights_whose_sum_overflows_keep_their_shares():
    counts = collections.Counter(values("choice:a=1e308,b=1e308,c=0", 4000))
    assert set(counts) == {"a", "b"} and abs(counts["a"] / 4000 - 0.5) < 0.03


def test_nulls_leave_the_other_cells_as_they_were():
    plain = dataset({"c": "email", "d": "money:0:9"}).rows(4000)
    sparse = dataset({"c": "email;nulls=0.3", "d": tarvo.Column("money:0:9", nulls=0.5)}).rows(4000)
    for name, share in (("c", 0.3), ("d", 0.5)):
        kept = [(p[name], s[name]) for p, s in zip(plain, sparse) if s[name] is not None]
        assert all(p == s for p, s in kept)
        assert abs(1 - len(kept) / 4000 - share) < 0.03


def test_a_template_reads_the_rows_own_values():
    rows = dataset({"first": "first_name", "n": "row:7", "city": "city_mun",
                    "t": "template:{first|upper} {{{n|zfill:4}}} {city_mun} {last_name|slug}",
                    "last": "last_name"}).rows(300)
    for row in rows:
        upper, number, rest = re.fullmatch(r"(.+) \{(\d{4})\} (.+)", row["t"]).groups()
        assert upper == row["first"].upper() and int(number) == row["n"]
        assert rest.startswith(row["city"] + " ")
        folded = unicodedata.normalize("NFKD", row["last"].lower()).encode("ascii", "ignore")
        slug = re.sub(r"[^a-z0-9]+", "-", folded.decode()).strip("-")
        assert rest.endswith(" " + slug)


@settings(max_examples=300, deadline=None, database=None)
@given(text=st.text(st.characters(categories=("L", "M", "N", "P", "S")), min_size=1,
                    max_size=12),
       width=st.integers(1, 64))
def test_zfill_pads_to_a_width_of_characters_as_str_zfill_does(text, width):
    # The text is not the first option, which would name a values file if it began with '@'.
    row = tarvo.Dataset({"a": f"choice:never=0,{escape_option(text)}=1",
                         "z": f"template:{{a|zfill:{width}}}"}, seed=1).rows(1)[0]
    assert row["z"] == text.zfill(width)


def test_patterns_keep_their_literals_and_classes():
    assert all(re.fullmatch(r"ORD-\d{4}-[A-Z]{3}[A-Z0-9]#;", v)
               for v in values("pattern:ORD-####-???*\\#\\;"))


@pytest.mark.parametrize("kind", ["int:0:99999", "pattern:??##", "date:2000-01-01:2030-12-31",
                                  "time:00:00:23:59:59", "money:0:9999", "row:5"])
def test_unique_columns_repeat_nothing_at_any_start(kind):
    data = dataset({"c": kind}, unique=["c"])
    whole = [row["c"] for row in data.rows(6000)]
    assert len(set(whole)) == len(whole)
    assert [row["c"] for row in data.rows(100, start=4321)] == whole[4321:4421]


def test_column_is_its_text_form():
    column = tarvo.Column("choice", values={"Gold": 1, "Sil,ver": 2.5}, nulls=0.25)
    assert column.text() == "choice:Gold=1,Sil\\,ver=2.5;nulls=0.25"
    assert pickle.loads(pickle.dumps(column)) == column and hash(column) == hash(column)
    assert dataset({"c": column}) == dataset({"c": column.text()})
    assert dataset({"c": column}).column("c") == column


def test_values_file_becomes_part_of_the_definition(tmp_path):
    path = tmp_path / "tiers.txt"
    path.write_text("Gold\t1\nSilver\t0\n\nBronze, plain\t3\n", encoding="utf-8")
    data = tarvo.Dataset({"tier": f"choice:@{path};nulls=0.1"}, seed=1)
    path.unlink()
    assert data.columns["tier"] == "choice:Gold=1,Silver=0,Bronze\\, plain=3;nulls=0.1"
    assert set(r["tier"] for r in pickle.loads(pickle.dumps(data)).rows(500)) == {
        "Gold", "Bronze, plain", None}


VALUES_FILE_NAMED = {"text": lambda path: f"choice:@{path}",
                     "Column": lambda path: tarvo.Column("choice", values_file=path)}


@pytest.mark.parametrize("named", VALUES_FILE_NAMED.values(), ids=VALUES_FILE_NAMED.keys())
def test_a_values_file_s_byte_order_mark_is_no_part_of_its_first_option(tmp_path, named):
    path = tmp_path / "tiers.txt"
    path.write_text("Gold\t1\nSilver\t2\n", encoding="utf-8-sig")  # as some Windows editors save it
    assert dataset({"tier": named(path)}).columns["tier"] == "choice:Gold=1,Silver=2"


@pytest.mark.parametrize("nulls", [0.0, 0.5])
def test_a_values_file_s_semicolons_are_written_escaped(tmp_path, nulls):
    path = tmp_path / "tiers;2026;final.txt"
    path.write_text("Gold\nSilver\n", encoding="utf-8")
    column = tarvo.Column("choice:@" + str(path).replace(";", "\\;"), nulls=nulls)
    options = f";nulls={nulls}" if nulls else ""
    for definition in (column, column.text()):
        assert dataset({"tier": definition}).columns["tier"] == "choice:Gold,Silver" + options
    path.unlink()  # told by its own name
    with pytest.raises(ValueError, match=re.escape(f"{path}: cannot read the values")):
        dataset({"tier": column})


def test_ages_narrow_the_people_and_key_them():
    wide = dataset({"age": "age", "name": "full_name"})
    narrow = dataset({"age": "age", "name": "full_name"}, ages=(30, 34))
    assert {r["age"] for r in narrow.rows(2000)} == set(range(30, 35))
    assert dataset({"age": "age"}, ages=(18, 100)).rows(50) == dataset({"age": "age"}).rows(50)
    assert narrow.rows(20) != wide.rows(20)


@pytest.mark.parametrize("profile, youngest", [("census", 0), ("census-1", 18), ("uniform", 18)])
def test_a_profile_refuses_ages_it_has_no_people_for(profile, youngest):
    # Only the census profile has children; the others' people are adults, who marry and work.
    edge = dataset({"age": "age"}, profile=profile, ages=(youngest, youngest))
    assert {r["age"] for r in edge.rows(200)} == {youngest}
    for ages in [(youngest, 101)] + ([(youngest - 1, youngest)] if youngest else []):
        with pytest.raises(tarvo.DefinitionError) as caught:
            dataset({"age": "age"}, profile=profile, ages=ages)
        assert (caught.value.argument, str(caught.value)) == (
            "ages", f"ages: the {profile} profile draws ages {youngest} to 100, "
                    f"not {ages[0]} to {ages[1]}")


TYPED = {"n": "row:1", "b": "bool:0.5;nulls=0.2", "m": "money:-5:5", "d": "date:-2y:0d",
         "t": "datetime:-2y:0d;nulls=0.1", "h": "time", "s": "pattern:??-#;nulls=0.3",
         "a": "address;nulls=0.2", "i": "int:-3:3;nulls=0.5"}


def as_text(value):
    if isinstance(value, datetime.datetime):
        return value.isoformat()
    if isinstance(value, (datetime.date, datetime.time)):
        return value.isoformat()
    return value


def test_arrow_holds_the_rows_values_with_real_nulls():
    pa = pytest.importorskip("pyarrow")
    data = dataset(TYPED)
    table = pa.table(data.arrow(3000, batch_rows=700))
    assert [table.schema.field(name).nullable for name in TYPED] == [
        ";nulls" in kind for kind in TYPED.values()]
    assert str(table.schema.field("m").type) == "decimal128(18, 2)"
    assert str(table.schema.field("t").type) == "timestamp[ms, tz=+08:00]"
    got = [{k: as_text(v) for k, v in row.items()} for row in table.to_pylist()]
    assert got == data.rows(3000)


def test_csv_and_json_spell_the_new_types():
    data = dataset(TYPED)
    rows = data.rows(500)
    out = io.BytesIO()
    data.write(out, 500, format="csv")
    read = list(csv.DictReader(io.StringIO(out.getvalue().decode())))
    for row, line in zip(rows, read):
        for name, value in row.items():
            expected = ("" if value is None else json.dumps(value, ensure_ascii=False)
                        if isinstance(value, dict) else str(value))
            assert line[name] == expected
    out = io.BytesIO()
    data.write(out, 500, format="jsonl")
    lines = [json.loads(line, parse_float=decimal.Decimal) for line in out.getvalue().splitlines()]
    assert lines == rows


@pytest.mark.parametrize("kind, message", [
    ("choice:a=1,b", "give every option a weight"),
    ("choice:a=-1,b=2", "is not a number of at least 0"),
    ("choice:a=0,b=0", "the weights are all zero"),
    ("choice:a=nan", "is not a number of at least 0"),
    ("choice:C:\\path", "unknown escape"),
    ("date:2025-01-01:2024-01-01", "START is after END"),
    ("date:yesterday:0d", "expected date:START:END"),
    ("datetime:2024-02-30:0d", "expected datetime:START:END"),
    ("time:25:00:26:00", "expected time:START:END"),
    ("money:0.001:1", "MIN is not a sum of pesos"),
    ("bool:1.5", "expected bool:P"),
    ("pattern:ABC", "draws nothing"),
    ("pattern:" + "#" * 70000, "64 KiB"),
    ("template:{nope_nope}", "neither a column nor a kind"),
    ("template:{first_name|shout}", "unknown filter"),
    ("template:" + "{uuid}" * 2000, "64 KiB"),
    ("email;nulls=2", "nulls must be a share from 0 to 1"),
    ("email;nulls", "nulls must be a share"),
    ("email;colour=red", "unknown option"),
    ("birth", 'did you mean "birthdate"'),
    ("zip", 'did you mean "zip_code"'),
])
def test_malformed_columns_are_refused_when_made(kind, message):
    with pytest.raises(ValueError, match=re.escape(message)):
        tarvo.Dataset({"c": kind}, seed=1)


@pytest.mark.parametrize("depth", [2, 5])
def test_templates_read_later_templates_in_every_output(depth, tmp_path):
    # Each template reads the next one, so every cell nests its drawing inside another's.
    columns = {f"t{k}": f"template:<{{t{k + 1}}}|{{last_name|upper}}>" for k in range(depth)}
    columns[f"t{depth}"] = "template:{first_name}"
    data = dataset({"first_name": "first_name", "last_name": "last_name", **columns})
    rows = data.rows(200)
    for row in rows:
        inner = row[f"t{depth}"]
        assert inner == row["first_name"]
        for k in reversed(range(depth)):
            inner = f"<{inner}|{row['last_name'].upper()}>"
            assert row[f"t{k}"] == inner
    data.write(tmp_path / "t.csv", 200, threads=2)
    with open(tmp_path / "t.csv", newline="", encoding="utf-8") as f:
        assert [r["t0"] for r in csv.DictReader(f)] == [r["t0"] for r in rows]


def test_a_child_template_reads_its_parents_template():
    schema = tarvo.Schema({
        "p": tarvo.Table({"id": "row", "tag": "template:{full_name} of {full_address}"}, rows=40),
        "c": tarvo.Table({"pid": "ref:p.id", "t": "template:a child of [{tag}]", "tag": "ref:p.tag"},
                         rows=300)}, seed=3)
    tags = {p["id"]: p["tag"] for p in schema.rows("p")}
    assert all(c["tag"] == tags[c["pid"]] and c["t"] == f"a child of [{c['tag']}]"
               for c in schema.rows("c"))


def test_templates_that_read_each_other_are_refused():
    with pytest.raises(ValueError, match="depends on itself: a -> b -> a"):
        tarvo.Dataset({"a": "template:{b}", "b": "template:x{a}"}, seed=1)


def test_row_numbers_refuse_to_pass_the_largest_int():
    data = tarvo.Dataset({"id": f"row:{2**63 - 10}"}, seed=1)
    assert data.rows(1, start=9) == [{"id": 2**63 - 1}]
    with pytest.raises(ValueError, match="pass 2\\*\\*63-1"):
        data.rows(1, start=10)


@pytest.mark.parametrize("low, high, places", [(0, 1, 0), (-0.5, 0.5, 0), (-1, 1, 1), (2, 3, 2)])
def test_rounded_floats_stay_below_max_on_their_grid_without_negative_zero(low, high, places):
    drawn = values(f"float:{low}:{high}:{places}", 4000)
    assert all(low <= x < high and round(x, places) == x for x in drawn)
    assert not any(x == 0 and math.copysign(1, x) < 0 for x in drawn)
    assert len(set(drawn)) == min(4000, round((high - low) * 10**places))
