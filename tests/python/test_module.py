"""tests/python/test_module.py: the module object, the Dummy class and argument handling."""
import weakref
from pathlib import Path

import pytest

import _tarvo

Dummy = _tarvo.Dummy


def test_version_is_the_one_in_pyproject():
    tomllib = pytest.importorskip("tomllib")  # Python 3.11 and newer
    with open(Path(__file__).parents[2] / "pyproject.toml", "rb") as f:
        assert _tarvo.__version__ == tomllib.load(f)["project"]["version"]


def test_module_attributes():
    assert _tarvo.__all__ == ["__version__", "Dummy"]
    assert _tarvo.Dummy.__name__ == "Dummy"
    assert Dummy.__text_signature__ == "()"
    assert Dummy.seed.__text_signature__ == "($self, row, feature)"
    assert Dummy.save.__text_signature__ == "($self, data, filename, fmt)"


def test_class_is_final_and_slim():
    with pytest.raises(TypeError):
        type("Sub", (Dummy,), {})
    with pytest.raises(AttributeError):
        Dummy().__dict__
    with pytest.raises(TypeError):
        weakref.ref(Dummy())


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: Dummy(1), "Dummy.__new__() takes 0 positional arguments but 1 was given"),
        (lambda: Dummy(1, 2), "Dummy.__new__() takes 0 positional arguments but 2 were given"),
        (lambda: Dummy(x=1), "Dummy.__new__() got an unexpected keyword argument 'x'"),
        (
            lambda: Dummy().seed(),
            "Dummy.seed() missing 2 required positional arguments: 'row' and 'feature'",
        ),
        (lambda: Dummy().seed(5), "Dummy.seed() missing 1 required positional argument: 'feature'"),
        (
            lambda: Dummy().seed(feature={}),
            "Dummy.seed() missing 1 required positional argument: 'row'",
        ),
        (
            lambda: Dummy().save(),
            "Dummy.save() missing 3 required positional arguments: 'data', 'filename', and 'fmt'",
        ),
        (
            lambda: Dummy().save([], fmt="csv"),
            "Dummy.save() missing 1 required positional argument: 'filename'",
        ),
        (lambda: Dummy().seed(1, {}, 2), "Dummy.seed() takes 2 positional arguments but 3 were given"),
        (lambda: Dummy().seed(1, {}, row=2), "Dummy.seed() got multiple values for argument 'row'"),
        (lambda: Dummy().seed(1, {}, rows=2), "Dummy.seed() got an unexpected keyword argument 'rows'"),
    ],
)
def test_binding_errors(call, message):
    with pytest.raises(TypeError) as info:
        call()
    assert str(info.value) == message
    assert not getattr(info.value, "__notes__", None)


def test_keywords_in_any_order(dummy):
    assert dummy.seed(feature={}, row=0) == []
    assert dummy.seed(0, feature={"a": "gender"}) == []


@pytest.mark.parametrize(
    "row, feature, exc, message, note",
    [
        (1, [], TypeError, "'list' object is not an instance of 'dict'", "feature"),
        (1, None, TypeError, "'None' is not an instance of 'dict'", "feature"),
        (-1, {}, OverflowError, None, "row"),
        (2**64, {}, OverflowError, None, "row"),
        ("3", {}, TypeError, None, "row"),
        (2.0, {}, TypeError, None, "row"),
        # row is converted first, so it is the one reported
        (-1, [], OverflowError, None, "row"),
    ],
)
def test_conversion_errors_carry_a_note(dummy, row, feature, exc, message, note):
    with pytest.raises(exc) as info:
        dummy.seed(row, feature)
    if message is not None:
        assert str(info.value) == message
    assert info.value.__notes__ == [f"while processing '{note}'"]


class Index:
    def __index__(self):
        return 0


def test_row_accepts_index_protocol_and_subclasses(dummy):
    class D(dict):
        def __iter__(self):
            raise AssertionError("the stored order is used, not __iter__")

    assert dummy.seed(Index(), D(a="gender")) == []
    assert dummy.seed(False, {}) == []


@pytest.mark.parametrize(
    "feature, message",
    [
        ({1: "gender"}, "'int' object is not an instance of 'str'"),
        ({"a": None}, "'None' is not an instance of 'str'"),
        ({"a": "gender", "b": b"uuid"}, "'bytes' object is not an instance of 'str'"),
    ],
)
def test_non_str_column_specification(dummy, feature, message):
    with pytest.raises(TypeError) as info:
        dummy.seed(0, feature)
    assert str(info.value) == message
    assert not getattr(info.value, "__notes__", None)


def test_surrogate_column_name_is_an_encoding_error(dummy):
    with pytest.raises(UnicodeEncodeError):
        dummy.seed(0, {"\udc80": "gender"})


def test_one_instance_serves_nested_and_repeated_calls(dummy):
    assert [dummy.seed(0, {}) for _ in range(3)] == [[], [], []]


def test_import_is_silent_under_warnings_as_errors():
    import subprocess
    import sys

    done = subprocess.run(
        [sys.executable, "-W", "error", "-c", "import _tarvo; print(_tarvo.Dummy.__module__)"],
        capture_output=True, text=True, check=False,
    )
    assert done.returncode == 0, done.stderr
    assert done.stdout == "_tarvo\n"
