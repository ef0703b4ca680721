"""tests/python/test_schema.py: related tables: references hold, rows stand alone, households are families."""
import _thread
import collections
import datetime
import pickle
import threading
import time

import pytest

import tarvo
from tarvo import Schema, Table

AS_OF = datetime.date(2026, 1, 1)


def shop(**tables):
    base = {
        "customers": Table({"id": "row:1", "name": "full_name", "email": "email"}, rows=300,
                           unique=["email"]),
        "orders": Table({"id": "row:1", "customer_id": "ref:customers.id:skew=1.1",
                         "customer_email": "ref:customers.email",
                         "seller_id": "ref:customers.id@seller", "total": "money:1:999"},
                        rows=2000),
        "lines": Table({"order_id": "ref:orders.id", "line": "position", "qty": "int:1:9",
                        "buyer": "ref:orders.customer_id"}, parent="orders", per_parent="1:4"),
    }
    return Schema({**base, **tables}, seed=5, as_of=AS_OF)


@pytest.fixture(scope="module")
def schema():
    return shop()


def test_any_rows_at_any_start_are_the_whole_tables(schema):
    for name in schema:
        whole = schema.rows(name)
        assert len(whole) == schema.row_counts[name]
        for start, n in ((0, 7), (len(whole) // 3, len(whole) // 2), (len(whole) - 3, 3)):
            assert schema[name].rows(n, start=start) == whole[start:start + n]
        assert pickle.loads(pickle.dumps(schema[name])).rows(50, start=17) == whole[17:67]
        with pytest.raises(ValueError, match=f"table '{name}' has {len(whole)} rows"):
            schema[name].rows(1, start=len(whole))


def test_references_hold_and_agree_within_a_row(schema):
    customers = {c["id"]: c for c in schema.rows("customers")}
    orders = schema.rows("orders")
    for order in orders:
        # Every reference exists, and the columns of one relation read one parent row.
        assert customers[order["customer_id"]]["email"] == order["customer_email"]
        assert order["seller_id"] in customers
    # Two relations to one table draw apart; the skewed one favours a few parents.
    assert sum(o["customer_id"] == o["seller_id"] for o in orders) < 50
    top = collections.Counter(o["customer_id"] for o in orders).most_common(3)
    assert sum(count for _, count in top) > 0.15 * len(orders)


def test_children_stay_within_their_bounds_in_parent_order(schema):
    orders = {o["id"]: o for o in schema.rows("orders")}
    lines = schema.rows("lines")
    per_order = collections.defaultdict(list)
    for line in lines:
        per_order[line["order_id"]].append(line["line"])
        assert line["buyer"] == orders[line["order_id"]]["customer_id"]
    assert [line["order_id"] for line in lines] == sorted(line["order_id"] for line in lines)
    assert set(per_order) == set(orders)
    assert all(positions == list(range(1, len(positions) + 1)) and 1 <= len(positions) <= 4
               for positions in per_order.values())


def test_adding_a_table_changes_no_other(schema):
    bigger = shop(extra=Table({"id": "row:1", "who": "ref:customers.name"}, rows=10))
    for name in schema:
        assert bigger.rows(name, 200) == schema.rows(name, 200)
    # A data set moved into a schema is keyed by the schema and its name: other rows.
    alone = tarvo.Dataset({"id": "row:1", "name": "full_name", "email": "email"}, seed=5,
                          as_of=AS_OF, unique=["email"])
    assert alone.rows(20) != schema.rows("customers", 20)


def test_schema_files_round_trip(schema, tmp_path):
    schema.to_file(tmp_path / "shop.toml")
    again = Schema.from_file(tmp_path / "shop.toml")
    assert again == schema and again.rows("lines", 100) == schema.rows("lines", 100)
    assert schema.write(tmp_path / "out", format="jsonl") == {
        name: str(tmp_path / "out" / f"{name}.jsonl") for name in schema.order}


@pytest.mark.parametrize("tables, message", [
    ({"a": Table({"x": "ref:b.x"}, rows=1), "b": Table({"x": "ref:a.x"}, rows=1)},
     "references make a ring"),
    ({"a": Table({"x": "ref:nowhere.x"}, rows=1)}, "there is no table 'nowhere'"),
    ({"a": Table({"x": "int"}, rows=1), "b": Table({"y": "ref:a.nope"}, rows=1)},
     "table 'b': column 'y': \"ref:a.nope\": table 'a' has no column 'nope'"),
    ({"a": Table({"x": "int"}, rows=1), "b": Table({"y": "ref:a.x:key"}, rows=1)},
     "a key must be unique in its table"),
    ({"a": Table({"x": "row"}, rows=1),
      "b": Table({"y": "ref:a.x:skew=1.5", "z": "ref:a.x:uniform"}, rows=1)},
     "given two ways to pick its parent row"),
    ({"a": Table({"x": "position"}, rows=3)}, "the table has no parent"),
])
def test_bad_schemas_name_the_table_and_column(tables, message):
    with pytest.raises(ValueError, match=message.replace("(", r"\(")):
        Schema(tables, seed=1)


@pytest.mark.parametrize("per_parent", ["5:2", {1: -1}, {}, "lots", (1, 2, 3)])
def test_bad_counts_of_children_are_refused(per_parent):
    with pytest.raises((ValueError, TypeError), match="per_parent"):
        Table({"x": "int"}, parent="a", per_parent=per_parent)


def test_households_are_families():
    households = Schema.households(400, seed=11, as_of=AS_OF)
    homes = {h["id"]: h for h in households.rows("households")}
    members = households.rows("members")
    by_home = collections.defaultdict(list)
    for member in members:
        by_home[member["household_id"]].append(member)
        home = homes[member["household_id"]]
        assert (member["address"], member["landline"]) == (home["address"], home["landline"])
    assert sum(len(m) for m in by_home.values()) == len(members)
    for home_id, family in by_home.items():
        assert len(family) == homes[home_id]["size"]
        head = family[0]
        assert head["relationship"] == "Head" and head["age"] >= 18
        assert len({m["religion"] for m in family}) == 1
        spouses = [m for m in family if m["relationship"] == "Spouse"]
        mother = next((m for m in [head, *spouses] if m["sex"] == "Female"), None)
        for spouse in spouses:
            assert spouse["civil_status"] == head["civil_status"]
            assert spouse["last_name"] == head["last_name"] and spouse["sex"] != head["sex"]
        for child in (m for m in family if m["relationship"] in ("Son", "Daughter")):
            assert child["last_name"] == head["last_name"]
            if mother is not None:
                assert child["middle_name"] == mother["middle_name"]
                assert 15 <= mother["age"] - child["age"] <= 45
            if child["age"] < 13:
                assert child["email"] is None


@pytest.mark.parametrize("stop", ["interrupt", "error"])
def test_a_stopped_write_leaves_the_previous_tables(schema, tmp_path, stop):
    schema.write(tmp_path, format="csv")
    before = {p.name: p.read_bytes() for p in tmp_path.iterdir()}
    other = Schema({name: Table(schema[name].columns, **({"rows": schema.row_counts[name]}
                    if name != "lines" else {"parent": "orders", "per_parent": "1:4"}))
                    for name in schema}, seed=6, as_of=AS_OF)
    last = list(other)[-1]

    def hook(done):
        # Past every table but the last: the others are complete under their temporary names.
        if done > sum(other.row_counts.values()) - other.row_counts[last]:
            raise KeyboardInterrupt

    if stop == "error":
        (tmp_path / f"{last}.csv").unlink()
        (tmp_path / f"{last}.csv").mkdir()
        before[f"{last}.csv"] = None
    with pytest.raises(KeyboardInterrupt if stop == "interrupt" else IsADirectoryError):
        other.write(tmp_path, format="csv", progress=hook if stop == "interrupt" else None)
    after = {p.name: (p.read_bytes() if p.is_file() else None) for p in tmp_path.iterdir()}
    assert after == before


def test_a_huge_parent_table_is_refused_or_interrupted():
    def schema(parents):
        return Schema({"p": Table({"id": "row"}, rows=parents),
                       "c": Table({"x": "ref:p.id"}, parent="p", per_parent="1:3")}, seed=1)

    with pytest.raises(ValueError, match=r"index of 1000000000000000 parents would take [\d.]+ GiB"):
        schema(10**15)
    # interrupt_main stands for Ctrl-C: the index of 10^11 parents takes minutes to build.
    timer = threading.Timer(0.3, _thread.interrupt_main)
    started = time.monotonic()
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        schema(10**11)
    timer.join()
    assert time.monotonic() - started < 30
