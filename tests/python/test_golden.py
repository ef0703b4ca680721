"""tests/python/test_golden.py: seeded output is pinned; changing it is a deliberate release event.

After a deliberate change (see the README's compatibility policy), rewrite the file with
TARVO_WRITE_GOLDEN=1 and review the diff.
"""
import datetime
import json
import os
import pathlib

import pytest

import tarvo
from tarvo import _engine

GOLDEN = pathlib.Path(__file__).parent / "golden" / "dataset_rows.json"
EXAMPLES = {"int": "int:-1000000:1000000", "float": "float:-5:5:4", "choice": "choice:x,y,z",
            "list": "list:p,q", "pattern": "pattern:AB-##?*", "money": "money:-50:50",
            "template": "template:{last_name|upper}/{row|zfill:3}/{int}"}


def golden_rows():
    columns = {name: EXAMPLES.get(name, name) for name, *_, schema_only in _engine.kinds()
               if not schema_only}
    columns["wide"] = "int:-9223372036854775808:9223372036854775807"
    columns["weighted"] = "choice:a=3,b\\,c=1.5,d=0"
    columns["sometimes"] = "email;nulls=0.5"
    columns["stamp"] = "datetime:2024-02-29T23:59:58:2024-03-01T00:00:01"
    rows = {
        f"seed {seed}, {profile}": tarvo.Dataset(columns, seed=seed, profile=profile,
                                                 as_of=datetime.date(2026, 1, 1)).rows(4, start=start)
        for seed, start in ((0, 0), (2**100 + 12345, 10**15))
        for profile in ("census", "census-1", "uniform")
    }
    # Skewed picks run through exp and log: pinned, so that every wheel draws the same parents.
    schema = tarvo.Schema({
        "p": tarvo.Table({"id": "row"}, rows=10**9),
        "c": tarvo.Table({"a": "ref:p.id:skew=1.1", "b": "ref:p.id@b:skew=1", "c": "ref:p.id@c:skew=3",
                          "d": "ref:p.id@d", "f": "float:-1e6:1e6:3"}, rows=10**12)}, seed=9)
    rows["schema, references"] = schema["c"].rows(8, start=10**11)
    return rows


def test_seeded_rows_match_the_pinned_release():
    rows = golden_rows()
    if os.environ.get("TARVO_WRITE_GOLDEN"):
        GOLDEN.write_text(json.dumps(rows, indent=1, ensure_ascii=False, default=str) + "\n",
                          encoding="utf-8")
        pytest.skip("golden file rewritten")
    # Money is kept as its decimal text.
    assert json.loads(json.dumps(rows, default=str)) == json.loads(GOLDEN.read_text(encoding="utf-8"))
