"""python/tarvo/pytest_plugin.py: seeded Datasets for tests, replayable from the failure report.

Registered through the pytest11 entry point. Each test gets a seed derived from its module's
import name and its name within the module (so it is the same on every run and machine, from
whatever directory pytest runs) unless --tarvo-seed fixes one; the seed is printed in the report
header and in the report of every failing test that used it.
"""
from __future__ import annotations

import datetime
import hashlib
import shlex
from collections.abc import Callable, Iterator, Mapping
from typing import Any

import pytest

from tarvo import Dataset

# Fixed, so that ages and birth dates do not move from one day to the next.
AS_OF = datetime.date(2026, 1, 1)
_SEED_KEY = pytest.StashKey[int]()


def pytest_addoption(parser: pytest.Parser) -> None:
    group = parser.getgroup("tarvo")
    group.addoption("--tarvo-seed", type=int, default=None, metavar="SEED",
                    help="seed every tarvo_dataset with SEED (default: one derived from each "
                         "test's module and name)")


def pytest_report_header(config: pytest.Config) -> str:
    seed = config.getoption("tarvo_seed")
    return f"tarvo: seed {seed}" if seed is not None else \
        "tarvo: seeds derived from each test's module and name (replay one with --tarvo-seed)"


def seed_for(name: str) -> int:
    """The default seed of a test: the first 8 bytes of SHA-256 of its name (seed_name)."""
    return int.from_bytes(hashlib.sha256(name.encode()).digest()[:8], "little")


def seed_name(item: pytest.Item) -> str:
    """"module.import.name::Class::test[params]": unlike the node id, it does not hold the
    path from the directory pytest runs in (or its root directory)."""
    module = getattr(item, "module", None)
    within = item.nodeid.split("::", 1)[1] if "::" in item.nodeid else item.name
    if module is None:
        return item.nodeid
    return f"{module.__name__}::{within}"


@pytest.fixture
def tarvo_seed(request: pytest.FixtureRequest) -> int:
    """The seed of this test's data sets."""
    seed: int | None = request.config.getoption("tarvo_seed")
    if seed is None:
        seed = seed_for(seed_name(request.node))
    request.node.stash[_SEED_KEY] = seed
    return seed


@pytest.fixture
def tarvo_dataset(tarvo_seed: int) -> Callable[..., Dataset]:
    """Makes Datasets seeded for this test: ``tarvo_dataset({"name": "full_name"})``.

    The k-th data set a test makes gets seed + k, so two of them differ and each replays.
    """
    made = 0

    def make(columns: Mapping[str, str], **options: Any) -> Dataset:
        nonlocal made
        options.setdefault("as_of", AS_OF)
        dataset = Dataset(columns, seed=tarvo_seed + made, **options)
        made += 1
        return dataset

    return make


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item: pytest.Item, call: pytest.CallInfo[None]) -> Iterator[None]:
    outcome = yield
    report = outcome.get_result()
    seed = item.stash.get(_SEED_KEY, None)
    if report.failed and seed is not None:
        report.sections.append(
            ("tarvo", f"tarvo seed {seed}: replay with pytest --tarvo-seed={seed} "
                      f"{shlex.quote(item.nodeid)}"))
