"""tests/python/test_save.py: Dummy.save to JSON and CSV files."""
import csv
import io
import json
import os

import pytest

import _tarvo


@pytest.fixture
def out(tmp_path):
    return str(tmp_path / "out")


def read(path):
    with open(path, encoding="utf-8", newline="") as f:
        return f.read()


def read_back_csv(path):
    with open(path, encoding="utf-8", newline="") as f:
        return list(csv.reader(f))


@pytest.mark.parametrize(
    "fmt, suffix",
    [
        ("json", ".json"),
        ("JSON", ".json"),
        (" Json\n", ".json"),
        ("ndjson", ".json"),
        ("jsoncsv", ".json"),
        ("csv+json", ".json"),
        ("CSV", ".csv"),
        ("text/csv", ".csv"),
        ("\u3000csv\u2028", ".csv"),
    ],
)
def test_format_selection(dummy, out, fmt, suffix, capfd):
    dummy.save([{"a": 1}], out, fmt)
    assert os.path.exists(out + suffix)
    assert capfd.readouterr().out == f"Successfully saved to {out}{suffix}\n"


@pytest.mark.parametrize("fmt", ["xml", "tsv", "", "   ", "js on"])
def test_unknown_format_touches_nothing(dummy, tmp_path, fmt):
    with pytest.raises(ValueError) as info:
        dummy.save([{"a": 1}], str(tmp_path / "x"), fmt)
    assert str(info.value) == "Invalid format. Choose either `json` or `csv`."
    assert list(tmp_path.iterdir()) == []


@pytest.mark.parametrize(
    "args, note, message",
    [
        (({}, "x", "csv"), "data", "'dict' object is not an instance of 'list'"),
        (([], 3, "csv"), "filename", "'int' object is not an instance of 'str'"),
        (([], "x", None), "fmt", "'None' is not an instance of 'str'"),
        (([], "x", b"csv"), "fmt", "'bytes' object is not an instance of 'str'"),
    ],
)
def test_argument_conversion(dummy, args, note, message):
    with pytest.raises(TypeError) as info:
        dummy.save(*args)
    assert str(info.value) == message
    assert info.value.__notes__ == [f"while processing '{note}'"]


def test_path_like_filename_is_refused(dummy, tmp_path):
    with pytest.raises(TypeError):
        dummy.save([], tmp_path / "x", "csv")


def test_suffix_is_always_appended(dummy, tmp_path, capfd):
    dummy.save([], str(tmp_path / "people.csv"), "csv")
    dummy.save([], str(tmp_path / "people.json"), "json")
    assert sorted(p.name for p in tmp_path.iterdir()) == ["people.csv.csv", "people.json.json"]


class Text(str):
    pass


class Number(float):
    pass


JSON_CASES = [
    [],
    [[]],
    [{}],
    [[[[[]]]], {"a": {"b": {}}}],
    [1, 2.5, None, True, False, "x", 10**30, -0.0, 1e16, 1e-05],
    [float("nan"), float("inf"), float("-inf")],
    ['quote " backslash \\ [ ] { } , : \n\t', "Piñas \U0001F600 \udc80", ""],
    [{"key, with: [brackets]": "v", "": ""}],
    [{1: "int key", 2.5: "float key", True: "bool key", None: "none key"}],
    [Text("str subclass"), Number(1.5), {"nested": [Text("x"), {"y": Number(2.0)}]}],
    [{"name": "Piñas", "n": 1, "x": 2.5, "none": None, "address": {"city": "Cebu"}}],
]


@pytest.mark.parametrize("rows", JSON_CASES)
def test_json_is_the_json_module_text(dummy, out, capfd, rows):
    dummy.save(rows, out, "json")
    assert read(out + ".json") == json.dumps(rows, indent=4)
    assert capfd.readouterr().out == f"Successfully saved to {out}.json\n"


def test_json_of_generated_rows(dummy, out):
    rows = dummy.seed(200, {"a": "address", "n": "full_name", "x": "float:0:10", "u": "nothing"})
    dummy.save(rows, out, "json")
    assert json.loads(read(out + ".json")) == rows
    assert read(out + ".json") == json.dumps(rows, indent=4)


def test_json_failure_keeps_the_old_file(dummy, out):
    with open(out + ".json", "w") as f:
        f.write("old")
    with pytest.raises(TypeError):
        dummy.save([{"a": object()}], out, "json")
    assert read(out + ".json") == "old"


def test_csv_rows_and_skipped_elements(dummy, out):
    rows = [{"a": 1, "b": "x,y"}, 5, {"b": 'say "hi"', "c": 3}]
    dummy.save(rows, out, "csv")
    assert read(out + ".csv") == 'a,b\n1,"x,y"\n,"say ""hi"""\n'
    assert read_back_csv(out + ".csv") == [["a", "b"], ["1", "x,y"], ["", 'say "hi"']]


@pytest.mark.parametrize(
    "value, text",
    [(None, "None"), (True, "True"), (1.0, "1.0"), (7, "7"), ([1, 2], "[1, 2]"), ("", "")],
)
def test_csv_values_are_their_str(dummy, out, value, text):
    dummy.save([{"v": value}], out, "csv")
    assert read_back_csv(out + ".csv") == [["v"], [text]]


TRICKY = [
    "plain",
    "comma, inside",
    'quote " inside',
    'both, "comma" and quote',
    "line\nbreak",
    "carriage\r\nreturn",
    "\"starts with quote",
    "Piñas – Ñ ✓",
    "",
]


def test_csv_reads_back_exactly(dummy, out):
    header = ["plain", "a,b", 'q"k', "new\nline"]
    rows = [dict(zip(header, (TRICKY[i % len(TRICKY)], TRICKY[(i + 3) % len(TRICKY)],
                              TRICKY[(i + 5) % len(TRICKY)], i)))
            for i in range(len(TRICKY) * 2)]
    dummy.save(rows, out, "csv")
    got = read_back_csv(out + ".csv")
    assert got[0] == header
    assert got[1:] == [[str(v) for v in row.values()] for row in rows]


def test_csv_nested_dict_reads_back(dummy, out):
    address = {"barangay": "Bani", "city": "Bacarra", "zip_code": "2902"}
    dummy.save([{"address": address, "unknown": None}], out, "csv")
    assert read_back_csv(out + ".csv") == [["address", "unknown"], [str(address), "None"]]


@pytest.mark.parametrize("data", [[], ["text", {"a": 1}], [5]])
def test_csv_without_leading_dict_writes_an_empty_file(dummy, out, data, capfd):
    assert dummy.save(data, out, "csv") is None
    assert read(out + ".csv") == ""
    assert capfd.readouterr().out == ""


def test_csv_empty_first_dict(dummy, out):
    dummy.save([{}, {"a": 1}, 3, {}], out, "csv")
    assert read(out + ".csv") == "\n\n\n\n"


@pytest.mark.parametrize(
    "fmt, key, message",
    [
        ("csv", 2, "'int' object is not an instance of 'str'"),
        ("csv", (1, 2), "'tuple' object is not an instance of 'str'"),
        ("csv", "x\udc80", "surrogates not allowed"),  # a str with no UTF-8 form
        ("json", (1, 2), "keys must be str, int, float, bool or None, not tuple"),
    ],
)
@pytest.mark.parametrize("before", [None, "old"])
def test_bad_first_row_key_leaves_the_file_as_it_was(dummy, out, capfd, fmt, key, message,
                                                     before):
    path = f"{out}.{fmt}"
    if before is not None:
        with open(path, "w") as f:
            f.write(before)
    with pytest.raises((TypeError, UnicodeEncodeError)) as info:
        dummy.save([{"a": 1, key: "b"}, {"a": 2}], out, fmt)
    assert message in str(info.value) and not getattr(info.value, "__notes__", None)
    assert (read(path) if before else os.path.exists(path)) == (before or False)
    assert capfd.readouterr().out == ""


class Unprintable:
    def __str__(self):
        raise RuntimeError("no")


def test_csv_unprintable_value(dummy, out):
    unraised = []
    import sys

    old, sys.unraisablehook = sys.unraisablehook, unraised.append
    try:
        dummy.save([{"a": Unprintable(), "b": "ok\udc80"}], out, "csv")
    finally:
        sys.unraisablehook = old
    assert read_back_csv(out + ".csv") == [["a", "b"], ["<unprintable Unprintable object>", "ok\ufffd"]]
    assert len(unraised) == 1 and isinstance(unraised[0].exc_value, RuntimeError)


def test_csv_list_shrinking_during_save(dummy, out):
    rows = []

    class Shrinker:
        def __str__(self):
            rows.clear()
            return "s"

    rows.extend([{"a": Shrinker()}, {"a": 1}, {"a": 2}])
    dummy.save(rows, out, "csv")
    assert read(out + ".csv") == "a\ns\n"


def test_overwrite_truncates(dummy, out):
    with open(out + ".csv", "w") as f:
        f.write("x" * 1000)
    dummy.save([{"a": 1}], out, "csv")
    assert read(out + ".csv") == "a\n1\n"


def test_many_rows_round_trip(dummy, out):
    rows = [{"i": i, "s": f"v{i},{i}"} for i in range(20000)]
    dummy.save(rows, out, "csv")
    back = read_back_csv(out + ".csv")
    assert len(back) == 20001 and back[-1] == ["19999", "v19999,19999"]


@pytest.mark.parametrize(
    "name, exc",
    [
        ("missing-dir/x", FileNotFoundError),
        ("a-dir", IsADirectoryError),
        ("a-file/x", NotADirectoryError),
        ("nul\0byte", OSError),
    ],
)
def test_os_errors(dummy, tmp_path, name, exc, capfd):
    (tmp_path / "a-dir.csv").mkdir()
    (tmp_path / "a-file.csv").write_text("keep")
    before = sorted(p.name for p in tmp_path.iterdir())
    # "a-file/x" resolves under a file named "a-file" that must exist without suffix
    (tmp_path / "a-file").write_text("keep")
    with pytest.raises(exc) as info:
        dummy.save([{"a": 1}], str(tmp_path / name), "csv")
    if exc is not OSError:
        assert len(info.value.args) == 1
        assert info.value.args[0].endswith(f" (os error {info.value.__class__ and _errno(exc)})")
        assert info.value.errno is None and info.value.filename is None
    assert sorted(p.name for p in tmp_path.iterdir()) == sorted(before + ["a-file"])
    assert capfd.readouterr().out == ""


def _errno(exc):
    import errno

    return {
        FileNotFoundError: errno.ENOENT,
        IsADirectoryError: errno.EISDIR,
        NotADirectoryError: errno.ENOTDIR,
    }[exc]


@pytest.mark.skipif(os.geteuid() == 0, reason="root ignores file permissions")
def test_read_only_file(dummy, tmp_path):
    target = tmp_path / "ro.csv"
    target.write_text("keep")
    target.chmod(0o444)
    with pytest.raises(PermissionError):
        dummy.save([{"a": 1}], str(tmp_path / "ro"), "csv")
    assert target.read_text() == "keep"


class Interrupting:
    def __str__(self):
        raise KeyboardInterrupt


def test_csv_lets_interrupts_through(dummy, out, capfd):
    rows = [{"a": 1}, {"a": Interrupting()}, {"a": 3}]
    with pytest.raises(KeyboardInterrupt):
        dummy.save(rows, out, "csv")
    assert read(out + ".csv") == "a\n1\n"  # what was written stays, nothing is reported as saved
    assert capfd.readouterr().out == ""
