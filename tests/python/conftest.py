"""tests/python/conftest.py: shared fixtures for the Python surface tests."""
import pytest

import _tarvo


@pytest.fixture
def dummy():
    return _tarvo.Dummy()


def panic_type():
    """The module's PanicException class, obtained by provoking one internal failure."""
    try:
        _tarvo.Dummy().seed(1, {"x": "int:5:1"})
    except BaseException as exc:  # noqa: BLE001 - the class is what we are after
        return type(exc)
    raise AssertionError("int:5:1 did not fail")


@pytest.fixture(scope="session")
def postgres():
    """A PostgreSQL server of this test run's own (see postgres_server.py), stopped at the end."""
    import postgres_server

    pytest.importorskip("psycopg", reason="no psycopg (pip install 'psycopg[binary]')")
    if postgres_server.binaries() is None:
        pytest.skip("no PostgreSQL server binaries (Debian package postgresql)")
    with postgres_server.running_server() as server:
        yield server
