"""tests/python/test_wheel.py: the built wheel installs into a fresh environment and works where
the system's simdjson cannot be loaded."""
import glob
import json
import os
import shutil
import subprocess
import sys
import sysconfig
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
# What the wheel may take from the system: the C library alone (the C++ runtime is linked in),
# with the loader and the kernel's vDSO that ldd also names.
POLICY_LIBRARIES = {"libc.so.6", "libm.so.6", "libdl.so.2", "librt.so.1", "libpthread.so.0"}

# Runs inside the namespace: proves the system library is out of reach, then uses the module.
CHECK = r"""
import ctypes, json, subprocess, sys
for name in sys.argv[1:]:
    try:
        ctypes.CDLL(name)
    except OSError:
        continue
    sys.exit(name + " can still be loaded: the namespace hides nothing")
import _tarvo, tarvo
row = tarvo.Dummy().seed(1, {"name": "full_name", "phone": "phone_number", "at": "full_address"})
ldd = subprocess.run(["ldd", _tarvo.__file__], capture_output=True, text=True, check=True)
cli = subprocess.run([sys.prefix + "/bin/tarvo", "-n", "2"], capture_output=True, text=True)
print(json.dumps({"module": _tarvo.__file__, "prefix": sys.prefix, "row": row[0],
                  "ldd": ldd.stdout, "cli": [cli.returncode, cli.stdout, cli.stderr]}))
"""


def system_simdjson():
    """Every file the dynamic loader could take libsimdjson from: the ld.so cache and the
    default directories."""
    ldconfig = shutil.which("ldconfig") or "/sbin/ldconfig"
    cached = subprocess.run([ldconfig, "-p"], capture_output=True, text=True).stdout
    paths = {line.rsplit("=> ", 1)[1] for line in cached.splitlines() if "libsimdjson" in line}
    multiarch = sysconfig.get_config_var("MULTIARCH") or ""
    for directory in ("/lib", "/lib64", "/usr/lib", "/usr/lib64", "/usr/local/lib",
                      f"/usr/lib/{multiarch}", f"/lib/{multiarch}"):
        paths.update(glob.glob(f"{directory}/libsimdjson*.so*"))
    return sorted(paths)


def unshare_command():
    """A private mount namespace, as root or through a user namespace; None with the reason
    when this machine cannot make one."""
    for tool, package in (("unshare", "util-linux"), ("mount", "mount")):
        if shutil.which(tool) is None:
            return None, f"{tool} ({package}) is not installed"
    command = ["unshare", "--mount"] + ([] if os.geteuid() == 0 else ["--map-root-user"])
    probe = subprocess.run([*command, "true"], capture_output=True, text=True)
    if probe.returncode != 0:
        return None, f"unshare cannot make a mount namespace here: {probe.stderr.strip()}"
    return command, ""


def test_wheel_works_without_the_system_simdjson(tmp_path):
    wheels = sorted(ROOT.glob(f"dist/tarvo_ph-*-manylinux_2_28_{os.uname().machine}.whl"))
    assert len(wheels) == 1, f"expected one wheel in {ROOT / 'dist'} (scripts/wheel.sh builds it)"
    unshare, reason = unshare_command()
    if unshare is None:
        pytest.skip(reason)

    venv = tmp_path / "venv"
    subprocess.run([sys.executable, "-m", "venv", "--without-pip", str(venv)], check=True)
    subprocess.run([sys.executable, "-m", "pip", "--python", str(venv / "bin" / "python"),
                    "install", "-q", "--no-deps", "--no-index", str(wheels[0])],
                   check=True, capture_output=True)

    hidden = system_simdjson()
    # Each library file is covered by the null device, in this namespace only: the loader
    # finds it but cannot load it, as if the package were missing.
    script = 'for lib in "$@"; do mount --bind /dev/null "$lib"; done; exec "$0" -c "$CHECK" $NAMES'
    names = " ".join(sorted({os.path.basename(p) for p in hidden}))
    env = {key: value for key, value in os.environ.items()
           if key not in ("PYTHONPATH", "LD_LIBRARY_PATH", "LD_PRELOAD", "PYTHONHOME")}
    done = subprocess.run([*unshare, "sh", "-c", script, str(venv / "bin" / "python"), *hidden],
                          capture_output=True, text=True, cwd=tmp_path, timeout=120,
                          env={**env, "CHECK": CHECK, "NAMES": names})
    assert done.returncode == 0, done.stderr
    seen = json.loads(done.stdout)

    assert seen["module"].startswith(seen["prefix"] + "/") and seen["prefix"] == str(venv)
    assert seen["row"]["phone"].startswith("+63 ") and seen["row"]["at"].count(",") >= 3
    assert seen["cli"][0] == 0 and seen["cli"][1].startswith("first_name,"), seen["cli"]
    linked = {line.split()[0].rsplit("/", 1)[-1] for line in seen["ldd"].splitlines()}
    outside = {name for name in linked if name not in POLICY_LIBRARIES
               and not name.startswith(("ld-linux", "linux-vdso"))}
    assert outside == set() and "not found" not in seen["ldd"], seen["ldd"]


def test_no_package_index_address_in_the_build():
    # Inputs come through pip's configured index (or the offline route), never a fixed host.
    files = [ROOT / "CMakeLists.txt", ROOT / "pyproject.toml",
             *(p for d in ("cmake", "scripts", ".ci") for p in (ROOT / d).rglob("*") if p.is_file())]
    assert [p for p in files if "http" in p.read_text(errors="replace")] == []
