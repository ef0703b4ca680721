"""tests/python/test_bad_files.py: save onto unwritable paths: an OSError, nothing else touched."""
import errno
import os
import stat
import subprocess
import sys
import textwrap

import pytest

import _tarvo

ROWS = [{"a": 1, "b": "x,y"}, {"a": 2, "b": "z"}]
AS_ROOT = os.geteuid() == 0
FORMATS = [("csv", ".csv"), ("json", ".json")]


def snapshot(root):
    """Every entry under root with its kind, mode and content: a failed save changes none."""
    seen = {}
    for dirpath, dirnames, filenames in os.walk(root):
        for name in dirnames + filenames:
            path = os.path.join(dirpath, name)
            info = os.lstat(path)
            if stat.S_ISREG(info.st_mode):
                with open(path, "rb") as f:
                    content = f.read()
            elif stat.S_ISLNK(info.st_mode):
                content = os.readlink(path)
            else:
                content = None
            seen[os.path.relpath(path, root)] = (stat.S_IFMT(info.st_mode), info.st_mode & 0o7777,
                                                 content)
    return seen


def assert_os_error(exc, codes):
    """One text argument "{strerror} (os error {n})" with n one of codes; errno/filename unset."""
    (text,) = exc.args
    assert any(text == f"{os.strerror(code)} (os error {code})" for code in codes), text
    assert exc.errno is None and exc.filename is None


@pytest.fixture
def layout(tmp_path):
    """A directory with the obstacles the cases below aim at, for both suffixes."""
    for suffix in (".csv", ".json"):
        (tmp_path / f"dir{suffix}").mkdir()
        (tmp_path / f"dir{suffix}" / "inside").write_text("keep")
        (tmp_path / f"ro{suffix}").write_text("old")
        (tmp_path / f"ro{suffix}").chmod(0o444)
    (tmp_path / "plain").write_text("a file, not a directory")
    (tmp_path / "locked").mkdir()
    (tmp_path / "locked").chmod(0o555)
    yield tmp_path
    (tmp_path / "locked").chmod(0o755)


CASES = [
    # name relative to the layout, expected class, acceptable error numbers, needs non-root
    ("dir", IsADirectoryError, [errno.EISDIR], False),
    ("missing/out", FileNotFoundError, [errno.ENOENT], False),
    ("missing/deeper/out", FileNotFoundError, [errno.ENOENT], False),
    ("plain/out", NotADirectoryError, [errno.ENOTDIR], False),
    ("ro", PermissionError, [errno.EACCES], True),
    ("locked/new", PermissionError, [errno.EACCES], True),
]


@pytest.mark.parametrize("fmt, suffix", FORMATS)
@pytest.mark.parametrize("name, cls, codes, needs_user", CASES, ids=[c[0] for c in CASES])
def test_unwritable_target(dummy, layout, capfd, fmt, suffix, name, cls, codes, needs_user):
    if needs_user and AS_ROOT:
        pytest.skip("root ignores file permissions; test_root_cannot_write_here covers this case")
    before = snapshot(layout)
    with pytest.raises(cls) as info:
        dummy.save(ROWS, str(layout / name), fmt)
    assert type(info.value) is cls
    assert_os_error(info.value, codes)
    assert snapshot(layout) == before
    assert capfd.readouterr().out == ""


# Places that refuse a new file even to root, so CI (which runs as root) checks the mapping of a
# refused create too. A read-only mount of /sys gives EROFS instead of EACCES.
@pytest.mark.parametrize("fmt, suffix", FORMATS)
@pytest.mark.parametrize(
    "path, codes",
    [
        ("/sys/tarvo-test", [errno.EACCES, errno.EPERM, errno.EROFS]),
        ("/proc/tarvo-test", [errno.ENOENT, errno.EACCES]),
        ("/proc/self/tarvo-test", [errno.ENOENT, errno.EACCES]),
    ],
)
def test_root_cannot_write_here(dummy, capfd, fmt, suffix, path, codes):
    if not os.path.isdir(os.path.dirname(path)):
        pytest.skip(f"{os.path.dirname(path)} is not mounted here")
    with pytest.raises(OSError) as info:
        dummy.save(ROWS, path, fmt)
    assert_os_error(info.value, codes)
    assert not os.path.exists(path + suffix)
    assert capfd.readouterr().out == ""


@pytest.mark.parametrize("fmt, suffix", FORMATS)
@pytest.mark.parametrize("rows", [1, 50_000], ids=["one-write", "many-buffers"])
def test_failing_write(dummy, tmp_path, capfd, fmt, suffix, rows):
    # /dev/full opens fine and refuses every write with ENOSPC, for root as well: the failure
    # comes at the write, after the file was opened, possibly after several buffers of CSV.
    if not os.path.exists("/dev/full"):
        pytest.skip("no /dev/full")
    os.symlink("/dev/full", tmp_path / f"full{suffix}")
    data = [{"i": i, "text": "a fairly long field, with a comma"} for i in range(rows)]
    with pytest.raises(OSError) as info:
        dummy.save(data, str(tmp_path / "full"), fmt)
    assert type(info.value) is OSError
    assert_os_error(info.value, [errno.ENOSPC])
    assert capfd.readouterr().out == ""
    assert os.readlink(tmp_path / f"full{suffix}") == "/dev/full"


@pytest.mark.parametrize("fmt, suffix", FORMATS)
@pytest.mark.parametrize("name", ["\0", "a\0", "\0a", "a\0b", "dir\0", "sub/\0/x"])
def test_nul_in_path_touches_nothing(dummy, layout, monkeypatch, capfd, fmt, suffix, name):
    # Also relative names: the part before the NUL must not be created in the current directory.
    monkeypatch.chdir(layout)
    before = snapshot(layout)
    with pytest.raises(OSError):
        dummy.save(ROWS, name, fmt)
    assert snapshot(layout) == before
    assert capfd.readouterr().out == ""


@pytest.mark.parametrize("fmt, suffix", FORMATS)
def test_error_in_one_save_leaves_the_next_one_working(dummy, tmp_path, capfd, fmt, suffix):
    # A failed open must not leave a descriptor behind: thousands of failures, then a success.
    fds = len(os.listdir("/proc/self/fd")) if os.path.isdir("/proc/self/fd") else None
    for _ in range(2000):
        with pytest.raises(FileNotFoundError):
            dummy.save(ROWS, str(tmp_path / "missing" / "x"), fmt)
    dummy.save(ROWS, str(tmp_path / "ok"), fmt)
    assert (tmp_path / f"ok{suffix}").stat().st_size > 0
    if fds is not None:
        assert len(os.listdir("/proc/self/fd")) == fds
    assert capfd.readouterr().out == f"Successfully saved to {tmp_path / 'ok'}{suffix}\n"


FIFO_SCRIPT = """
    import os, signal, sys, _tarvo
    os.mkfifo(sys.argv[1] + ".csv")
    def stop(*_):
        raise TimeoutError("interrupted")
    signal.signal(signal.SIGALRM, stop)
    signal.alarm(1)
    try:
        _tarvo.Dummy().save([{"a": 1}], sys.argv[1], "csv")
    except TimeoutError:
        print("interrupted")
    except OSError as exc:
        print("refused", exc)
"""


def test_fifo_without_reader_can_be_interrupted(tmp_path):
    # Python's own open() blocks here too, but a signal handler (Ctrl-C) still gets through.
    # save() must do as well: either refuse the FIFO or let the handler's exception out.
    try:
        done = subprocess.run([sys.executable, "-c", textwrap.dedent(FIFO_SCRIPT),
                               str(tmp_path / "pipe")], capture_output=True, text=True, timeout=8)
    except subprocess.TimeoutExpired:
        pytest.fail("save() onto a FIFO hung and ignored SIGALRM")
    assert done.returncode == 0, done.stderr
    assert done.stdout.split()[0] in ("interrupted", "refused")
