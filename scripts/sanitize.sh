#!/usr/bin/env bash
# scripts/sanitize.sh: builds the module and the C++ tests with AddressSanitizer and UBSan, runs
# the C++ tests, then a representative part of the Python tests with the sanitizer runtime loaded.
#
# Usage: bash scripts/sanitize.sh [extra pytest arguments]
#   PYTHON        the interpreter to test with (default: .venv/bin/python if present, else python3)
#   SANITIZE_DIR  build directory (default: build/sanitize)
# Any sanitizer report fails the run: UBSan is built with -fno-sanitize-recover, ASan aborts on
# its first error anyway.
set -euo pipefail
cd "$(dirname "$0")/.."

python=${PYTHON:-}
if [ -z "$python" ]; then
  if [ -x .venv/bin/python ]; then python=$PWD/.venv/bin/python; else
    python=$(python3 -c 'import sys; print(sys.executable)'); fi
fi
# The sanitizers' runtime comes with g++ (the wheels are built with zig, which has none).
if ! command -v g++ >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "== installing g++ (apt)"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq g++ >/dev/null
fi
build=${SANITIZE_DIR:-build/sanitize}
case $build in /*) ;; *) build=$PWD/$build ;; esac
[ -x "$(dirname "$python")/cmake" ] && PATH="$(dirname "$python"):$PATH"

echo "== sanitizer build ($build)"
cmake -S . -B "$build" -G Ninja -DTARVO_BUILD_TESTS=ON -DTARVO_SANITIZE=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPython_EXECUTABLE="$python" >/dev/null
cmake --build "$build" -j2

# Leaks are checked for the C++ tests (they own every allocation); halt on the first error, and
# give UBSan reports a stack.
export ASAN_OPTIONS=abort_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
echo "== C++ unit tests under ASan/UBSan"
ctest --test-dir "$build" --output-on-failure -j2

# The interpreter itself is not instrumented, so the ASan runtime must be preloaded before it
# loads the module. PYTHONMALLOC=malloc routes every Python object through that runtime too, so a
# reference-count slip (an object freed while the module still uses it) is a heap-use-after-free
# report instead of silent reuse of a pymalloc block. CPython never frees everything at exit,
# hence no leak detection here; tests/python/test_leaks.py covers leaks.
# The C++ runtime is preloaded as well: the interpreter does not link it, and ASan's __cxa_throw
# interceptor must find the real one at start-up, or the first C++ exception aborts.
cxx=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt")
runtime=""
for lib in libasan.so libstdc++.so.6; do
  path=$("$cxx" -print-file-name=$lib)
  if [ ! -e "$path" ]; then
    echo "no $lib for $cxx (got '$path')" >&2
    exit 1
  fi
  runtime="$runtime $path"
done
runtime=${runtime# }
export ASAN_OPTIONS=$ASAN_OPTIONS:detect_leaks=0
export PYTHONMALLOC=malloc
export PYTHONPATH=$build
export TARVO_FUZZ_SECONDS=${TARVO_FUZZ_SECONDS:-10}
export TARVO_SANITIZED=1
# Make sure the instrumented build, not an installed wheel, is what gets tested.
LD_PRELOAD="$runtime" "$python" -c "
import sys, _tarvo
sys.exit(0 if _tarvo.__file__.startswith('$build/') else 'imported ' + _tarvo.__file__)"

echo "== Python tests under ASan/UBSan"
cd tests
LD_PRELOAD="$runtime" "$python" -m pytest -q -p no:cacheprovider \
  python/test_module.py python/test_seed.py python/test_save.py python/test_bad_files.py \
  python/test_threads.py python/test_fuzz.py python/test_dataset.py python/test_write.py \
  python/test_database.py python/test_column_kinds.py "$@"
