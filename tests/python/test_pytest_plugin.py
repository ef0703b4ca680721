"""tests/python/test_pytest_plugin.py: the pytest plugin's seeds, header and failure report."""
import pytest

pytest_plugins = ["pytester"]

TESTS = """
def test_rows(tarvo_dataset, tarvo_seed):
    people = tarvo_dataset({"name": "full_name"})
    other = tarvo_dataset({"name": "full_name"})
    assert people.rows(5) != other.rows(5)
    print("ROWS", tarvo_seed, people.rows(3))
    assert False
"""


def run(pytester, *args):
    pytester.makepyfile(test_it=TESTS)
    result = pytester.runpytest_subprocess("-s", *args)  # the entry point loads the plugin
    line = next(l for l in result.outlines if "ROWS" in l)
    return result, line[line.index("ROWS"):]


def test_failure_report_names_the_seed_and_the_seed_replays(pytester):
    first, rows = run(pytester)
    assert "tarvo: seeds derived from each test's id" in first.stdout.str()
    seed = int(rows.split()[1])
    first.stdout.fnmatch_lines([f"*tarvo seed {seed}: replay with pytest --tarvo-seed={seed}*"])
    again, same = run(pytester)
    assert same == rows  # the derived seed is stable from run to run
    replay, replayed = run(pytester, f"--tarvo-seed={seed}")
    assert replayed == rows and f"tarvo: seed {seed}" in replay.stdout.str()
    _, other = run(pytester, "--tarvo-seed=1")
    assert other != rows
