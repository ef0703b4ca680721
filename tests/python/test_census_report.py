"""tests/python/test_census_report.py: bench/census_report.py measures what its lines say."""
import importlib.util
import re
import subprocess
import sys
from pathlib import Path

import pytest

BENCH = Path(__file__).resolve().parents[2] / "bench"


@pytest.fixture(scope="module")
def report():
    sys.path.insert(0, str(BENCH))  # the report reads bench_tarvo's columns
    try:
        spec = importlib.util.spec_from_file_location("census_report", BENCH / "census_report.py")
        module = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(module)
        yield module
    finally:
        sys.path.remove(str(BENCH))


@pytest.mark.parametrize("profile", ["census", "census-1", "uniform"])
def test_places_are_read_in_the_labels_of_the_census_documents(report, profile):
    # A profile that writes places its own way must still be counted against the census: every
    # region, city and province of its rows is one the documents know.
    regions, cities, _ = report.census_populations()
    tally = report.tally(profile, 3000, report.landline_plan(), 1000)
    assert set(tally.regions) <= set(regions)
    assert set(tally.cities) <= set(cities)
    assert tally.landline_known == tally.rows == 3000
    if profile != "uniform":
        religions, _ = report.religion_shares()
        names = report.name_tally(profile, 3000, report.ADULTS)
        assert set(names.religions) <= set(religions)


def test_households_are_whole_across_chunks(report, monkeypatch):
    # Chunks of 997 members cut households in two; each must still be counted once, whole.
    monkeypatch.setattr(report, "CHUNK", 997)
    schema, tally, _, _, mismatched = report.household_tally(12_000)
    assert tally.households == schema.row_counts["households"]
    assert tally.members == schema.row_counts["members"]
    assert mismatched == 0
    assert tally.maiden_match == tally.with_mother > 1000
    assert 15 <= min(tally.gaps) and max(tally.gaps) <= 45
    assert tally.couples_agree == tally.couples > 0


def test_every_section_runs_and_prints_its_heading():
    done = subprocess.run(
        [sys.executable, str(BENCH / "census_report.py"), "--rows", "4000", "--pairs", "1",
         "--phone-sample", "200", "--no-plot"],
        capture_output=True, text=True, check=True, cwd=BENCH)
    for heading in ("## Regions", "## Civil status by age band, census-1", "## Names",
                    "## First names by birth cohort", "## Religion by region", "## Sex ratio",
                    "## Households", "## Speed"):
        assert heading in done.stdout
    assert not re.search(r"\bnan\b", done.stdout)  # a figure over no rows
