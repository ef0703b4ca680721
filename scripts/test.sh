#!/usr/bin/env bash
# scripts/test.sh: sets everything up, then runs every test: the C++ unit tests of the core
# (CTest, built in the wheel's own build tree) and the Python tests of the installed wheel.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --test

# The tree the wheel was built in, configured as scripts/wheel.sh does it, so only the tests
# compile; where the wheel came from the cache, this builds the tree once, for the tests.
tag=manylinux_2_28_$(uname -m)
tree=build/wheel-$tag
echo "== C++ unit tests ($tree)"
PATH="$PWD/.venv/bin:$PATH"
cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVO_WERROR=ON -DTARVO_BUILD_TESTS=ON \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/build/toolchains/$tag/toolchain.cmake" \
  -DPython_EXECUTABLE="$PWD/.venv/bin/python" >/dev/null
cmake --build "$tree" --target tarvo_core_tests -j2
ctest --test-dir "$tree" --output-on-failure -j2

echo "== Python tests"
cd tests  # so the import finds the installed module, not a build tree
../.venv/bin/python -m pytest -q -p no:cacheprovider python "$@"
