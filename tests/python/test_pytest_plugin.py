"""tests/python/test_pytest_plugin.py: the pytest plugin's seeds, header and failure report."""
import shlex

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
    assert "tarvo: seeds derived from each test's module and name" in first.stdout.str()
    seed = int(rows.split()[1])
    first.stdout.fnmatch_lines([f"*tarvo seed {seed}: replay with pytest --tarvo-seed={seed}*"])
    again, same = run(pytester)
    assert same == rows  # the derived seed is stable from run to run
    replay, replayed = run(pytester, f"--tarvo-seed={seed}")
    assert replayed == rows and f"tarvo: seed {seed}" in replay.stdout.str()
    _, other = run(pytester, "--tarvo-seed=1")
    assert other != rows


def test_the_seed_does_not_depend_on_where_pytest_runs_and_the_replay_command_is_quoted(
        pytester):
    pytester.mkdir("sub").joinpath("test_where.py").write_text(
        "import pytest\n\n"
        "@pytest.mark.parametrize('x', [\"it's\"])\n"
        "def test_param(tarvo_seed, x):\n"
        "    print('SEED', tarvo_seed)\n"
        "    assert False\n")
    seeds, commands = set(), []
    for rootdir in (pytester.path, pytester.path / "sub"):
        result = pytester.runpytest_subprocess("-s", f"--rootdir={rootdir}",
                                               str(pytester.path / "sub" / "test_where.py"))
        seeds |= {line.split("SEED ")[1] for line in result.outlines if "SEED " in line}
        commands += [line.split(": replay with ", 1)[1] for line in result.outlines
                     if ": replay with " in line]
    assert len(seeds) == 1 and len(commands) == 2
    for command in commands:  # what a shell makes of the command: the node id, whole
        assert shlex.split(command)[-1].endswith("test_where.py::test_param[it's]")
