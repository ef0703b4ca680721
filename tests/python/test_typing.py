"""tests/python/test_typing.py: the installed stub matches the module and satisfies mypy --strict."""
import inspect
import os
import subprocess
import sys
from pathlib import Path

import pytest

import _tarvo

STUB = Path(_tarvo.__file__).with_name("_tarvo.pyi")


def test_stub_is_installed_next_to_the_module():
    assert STUB.is_file()


def test_stub_promises_only_what_exists():
    text = STUB.read_text()
    for name in ("__version__", "__all__", "Dummy", "def seed", "def save"):
        assert name in text
    assert set(_tarvo.__all__) <= set(dir(_tarvo))
    assert "PanicException" not in text or hasattr(_tarvo, "PanicException")
    # the stub's signatures are the runtime's
    assert str(inspect.signature(_tarvo.Dummy.seed)) == "(self, /, row, feature)"
    assert str(inspect.signature(_tarvo.Dummy.save)) == "(self, /, data, filename, fmt)"


def test_mypy_strict_accepts_typical_use(tmp_path):
    pytest.importorskip("mypy")
    # A single-module stub cannot carry a py.typed marker, so mypy is pointed at a copy of it.
    stubs = tmp_path / "stubs"
    stubs.mkdir()
    (stubs / "_tarvo.pyi").write_text(STUB.read_text())
    usage = Path(__file__).with_name("typing") / "usage.py"
    done = subprocess.run(
        [sys.executable, "-m", "mypy", "--strict", "--no-incremental",
         "--cache-dir", str(tmp_path / "cache"), str(usage)],
        capture_output=True, text=True, check=False, env={**os.environ, "MYPYPATH": str(stubs)},
    )
    assert done.returncode == 0, done.stdout + done.stderr


def test_mypy_strict_knows_the_package_s_choices(tmp_path):
    """Misspelt choices of profile, format and if_exists are errors to a type checker, and a
    Dask frame is typed as one."""
    pytest.importorskip("mypy")
    source = tmp_path / "choices.py"
    source.write_text(
        "import tarvo, tarvo.dask\n"
        "people = tarvo.Dataset({'n': 'int'}, profile='cencus')\n"
        "people.write('out.xlsx', 5, format='xlsx')\n"
        "people.to_database('sqlite:///x.db', 't', 5, if_exists='upsert')\n"
        "frame = tarvo.dask.from_dataset(people, 10)\n"
        "reveal_type(frame)\n")
    done = subprocess.run(
        [sys.executable, "-m", "mypy", "--strict", "--no-incremental",
         "--cache-dir", str(tmp_path / "cache"), str(source)],
        capture_output=True, text=True, check=False, cwd=tmp_path)
    errors = done.stdout
    assert all(f"Literal['{wrong}']" in errors for wrong in ("cencus", "xlsx", "upsert")), errors
    assert "dask.dataframe" in errors and "DataFrame" in errors, errors
