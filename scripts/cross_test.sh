#!/usr/bin/env bash
# scripts/cross_test.sh: the wheels for other machines, checked here: the aarch64 wheel imported by
# Debian's arm64 CPython under qemu-aarch64 and run against the golden rows and the column
# language's tests; the musllinux wheel by its symbol check alone (no musl CPython is packaged).
#
# Usage: bash scripts/cross_test.sh   (builds the wheels with scripts/wheel.sh --all if needed)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/wheel.sh --all
sysroot=$root/build/sysroot-aarch64
bash scripts/arm64_sysroot.sh "$sysroot" | grep '^=='

site=$root/build/cross-aarch64/site
rm -rf "$site"
mkdir -p "$site"
# The wheel unpacked as pip would install it, and pytest (pure Python) beside it.
.venv/bin/python -m zipfile -e dist/tarvo_ph-*-manylinux_2_28_aarch64.whl "$site"
.venv/bin/python -m pip install -q --disable-pip-version-check --no-compile --target "$site" \
  -r scripts/cross-requirements.txt
echo "== aarch64: the golden rows and the column language under qemu-aarch64"
cd tests
PYTHONPATH=$site qemu-aarch64 -L "$sysroot" "$sysroot/usr/bin/python3.11" -c '
import platform, _tarvo
assert platform.machine() == "aarch64", platform.machine()
print("imported", _tarvo.__file__, "on", platform.machine())'
PYTHONPATH=$site qemu-aarch64 -L "$sysroot" "$sysroot/usr/bin/python3.11" -m pytest -q \
  -p no:cacheprovider python/test_golden.py python/test_column_kinds.py
