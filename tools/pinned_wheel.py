"""tools/pinned_wheel.py: the wheels pinned in tools/requirements.txt, downloaded and hash-checked, never installed.

The converters read data out of a wheel (zipfile, or zipimport for a pure-Python package) rather
than installing it, so a regeneration never depends on what happens to be installed. Version and
SHA-256 come from tools/requirements.txt alone, the one place a pin is written.
"""

from __future__ import annotations

import hashlib
import re
import subprocess
import sys
from pathlib import Path

REQUIREMENTS = Path(__file__).resolve().parent / "requirements.txt"


def pin(name: str) -> tuple[str, str]:
    """(version, sha256) of `name==version --hash=sha256:...` in tools/requirements.txt."""
    pattern = re.compile(rf"^{re.escape(name)}==(\S+)\s+--hash=sha256:([0-9a-f]{{64}})\s*$")
    for line in REQUIREMENTS.read_text(encoding="utf-8").splitlines():
        match = pattern.match(line)
        if match:
            return match.group(1), match.group(2)
    raise SystemExit(f"{REQUIREMENTS}: no hashed pin for {name}")


def verified(path: Path, name: str) -> Path:
    """path, once its SHA-256 is the one pinned for name; exits otherwise."""
    digest = hashlib.sha256(path.read_bytes()).hexdigest()
    expected = pin(name)[1]
    if digest != expected:
        raise SystemExit(f"{path.name}: sha256 {digest} is not the pinned {expected}")
    return path


def fetch_sdist(name: str, dest: Path) -> Path:
    """Downloads the pinned source archive of name (for a package published without a wheel)."""
    version = pin(name)[0]
    subprocess.run([sys.executable, "-m", "pip", "download", "--no-deps", "--no-binary", ":all:",
                    "--quiet", f"{name}=={version}", "-d", str(dest)], check=True)
    archives = sorted(dest.glob(f"{name}-{version}.tar.gz"))
    if not archives:
        raise SystemExit(f"pip download produced no {name} {version} source archive in {dest}")
    return verified(archives[0], name)


def fetch(name: str, dest: Path) -> Path:
    """Downloads the pinned wheel of name into dest with pip and returns its checked path."""
    version = pin(name)[0]
    subprocess.run([sys.executable, "-m", "pip", "download", "--no-deps", "--quiet",
                    f"{name}=={version}", "-d", str(dest)], check=True)
    wheels = sorted(dest.glob(f"{name}-{version}-*.whl"))
    if not wheels:
        raise SystemExit(f"pip download produced no {name} {version} wheel in {dest}")
    return verified(wheels[0], name)
