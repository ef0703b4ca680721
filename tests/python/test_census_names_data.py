"""tests/python/test_census_names_data.py: data/census_names.json is exactly what its generator writes."""

from __future__ import annotations

import subprocess
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]


def test_census_names_match_their_generator() -> None:
    # A hand edit, or a change to the uniform lists without regenerating, shows up here.
    result = subprocess.run(
        [sys.executable, str(REPO / "tools" / "build_census_names.py"), "--check"],
        capture_output=True,
        text=True,
        check=False,
    )
    assert result.returncode == 0, result.stdout + result.stderr
