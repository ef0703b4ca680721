#!/usr/bin/env bash
# scripts/test.sh: sets everything up, then runs every test: the C++ unit tests of the core
# (CTest) and the Python tests of the installed wheel (pytest).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

echo "== C++ unit tests"
.venv/bin/python -m pip install -q cmake ninja
PATH="$PWD/.venv/bin:$PATH"
cmake -S . -B build/tests -G Ninja -DTARVO_BUILD_TESTS=ON -DTARVO_WERROR=ON \
  -DPython_EXECUTABLE="$PWD/.venv/bin/python" >/dev/null
cmake --build build/tests -j2
ctest --test-dir build/tests --output-on-failure -j2

echo "== Python tests"
cd tests  # so the import finds the installed module, not a build tree
../.venv/bin/python -m pytest -q -p no:cacheprovider python "$@"
