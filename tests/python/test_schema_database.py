"""tests/python/test_schema_database.py: Schema.to_database into a real PostgreSQL server and SQLite, with the keys the databases check."""
import contextlib
import datetime
import itertools
import sqlite3

import pytest

from tarvo import DatabaseError, Schema, Table, TableExistsError

try:
    import psycopg
except ImportError:  # the PostgreSQL cases skip (see the postgres fixture)
    psycopg = None

SHOP = Schema({
    "customers": Table({"id": "row:1", "name": "full_name", "email": "email",
                        "vip": "bool;nulls=0.5"}, rows=3000, unique=["email"]),
    "orders": Table({"id": "row:1", "customer_id": "ref:customers.id:skew=1.1",
                     "seller_id": "ref:customers.id@seller", "placed": "datetime:-1y:0d",
                     "total": "money:1:99999", "note": "color;nulls=0.3"}, rows=20_000),
    "order lines": Table({"order_id": "ref:orders.id", "line": "position", "qty": "int:1:9",
                          "buyer": "ref:orders.customer_id"}, parent="orders", per_parent="1:4"),
}, seed=3, as_of=datetime.date(2026, 6, 1))
DATABASES = itertools.count()
REFUSED = (sqlite3.Error,) + ((psycopg.Error,) if psycopg else ())


@pytest.fixture(params=["sqlite", "postgresql"])
def database(request, tmp_path):
    """(url, query) for a fresh database of each kind; query(sql) runs one statement and gives
    its rows, committed unless it fails."""
    if request.param == "sqlite":
        path = tmp_path / "shop.db"

        def query_sqlite(sql):
            with contextlib.closing(sqlite3.connect(path)) as connection, connection:
                connection.execute("PRAGMA foreign_keys = ON")
                return connection.execute(sql).fetchall()

        return f"sqlite:///{path}", query_sqlite
    server = request.getfixturevalue("postgres")
    dbname = f"schema{next(DATABASES)}"
    with psycopg.connect(host=server.host, port=server.port, user=server.user,
                         password=server.password, dbname=server.dbname,
                         autocommit=True) as connection:
        connection.execute(f"CREATE DATABASE {dbname}")
    local = type(server)(server.host, server.port, server.user, server.password, dbname)

    def query_postgresql(sql):
        with psycopg.connect(local.url()) as connection:
            cursor = connection.execute(sql)
            return cursor.fetchall() if cursor.description else []

    return local.url(), query_postgresql


def counts(query):
    return {name: query(f'SELECT count(*) FROM "{name}"')[0][0] for name in SHOP}


def test_the_database_proves_every_reference_and_bound(database):
    url, query = database
    SHOP.to_database(url)
    assert counts(query) == SHOP.row_counts
    # Every foreign key holds, every order has 1 to 4 lines, and a key is refused if broken:
    # the database checks the references itself.
    for child, column, parent in (("orders", "customer_id", "customers"),
                                  ("orders", "seller_id", "customers"),
                                  ("order lines", "order_id", "orders")):
        assert query(f'SELECT count(*) FROM "{child}" c LEFT JOIN "{parent}" p '
                     f'ON c.{column} = p.id WHERE p.id IS NULL') == [(0,)]
    [(least, most, parents)] = query('SELECT min(n), max(n), count(*) FROM (SELECT count(*) AS n '
                                     'FROM "order lines" GROUP BY order_id) AS per_order')
    assert (least, most, parents) == (1, 4, SHOP.row_counts["orders"])
    for broken in ('INSERT INTO "order lines" VALUES (0, 1, 1, 1)',          # no order 0
                   "INSERT INTO orders (id, customer_id, seller_id, placed, total) "
                   "VALUES (1, 1, 1, '2026-01-01T00:00:00+08:00', 1)",        # id 1 is taken
                   "INSERT INTO customers (id, name, email) VALUES (0, NULL, 'x')",  # NOT NULL
                   "INSERT INTO customers (id, name, email) "
                   "SELECT 0, 'x', email FROM customers LIMIT 1"):            # a unique e-mail
        with pytest.raises(REFUSED):
            query(broken)
    # A nullable column stays nullable.
    assert query("SELECT count(*) FROM orders WHERE note IS NULL")[0][0] > 0


def test_a_load_lands_whole_or_not_at_all(database):
    url, query = database
    query('CREATE TABLE "order lines" (x integer)')
    with pytest.raises(TableExistsError, match="order lines"):
        SHOP.to_database(url)
    with pytest.raises(REFUSED):  # nothing of the load is left
        query("SELECT count(*) FROM customers")
    query('DROP TABLE "order lines"')
    SHOP.to_database(url)
    before = counts(query)
    # Appending the same rows again breaks the keys (the tables themselves, timestamps and all,
    # are taken as they are): the database refuses, and nothing lands.
    with pytest.raises(DatabaseError, match="duplicate key|UNIQUE constraint failed"):
        SHOP.to_database(url, if_exists="append")
    assert counts(query) == before
    SHOP.to_database(url, if_exists="replace")  # children dropped before their parents
    assert counts(query) == before
