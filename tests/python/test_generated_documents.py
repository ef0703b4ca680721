"""tests/python/test_generated_documents.py: the written-place, street, occupation, education and employer documents are what their generators write."""

from __future__ import annotations

import subprocess
import sys
from pathlib import Path

import pytest

REPO = Path(__file__).resolve().parents[2]


@pytest.mark.parametrize(
    "tool",
    [
        "build_written_places.py",
        "build_census_streets.py",
        "build_census_occupation.py",
        "build_census_education.py",
        "build_census_employers.py",
    ],
)
def test_document_matches_its_generator(tool: str) -> None:
    # A hand edit, or an address document regenerated without its derived documents, shows here.
    result = subprocess.run(
        [sys.executable, str(REPO / "tools" / tool), "--check"],
        capture_output=True,
        text=True,
        check=False,
    )
    assert result.returncode == 0, result.stdout + result.stderr
