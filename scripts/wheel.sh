#!/usr/bin/env bash
# scripts/wheel.sh: builds the wheels into dist/ with zig's toolchain, which links against the
# C library of an older glibc (or musl) and links its own C++ runtime in, so one Debian machine
# makes wheels that load on every Linux the tags name. Each wheel is checked against its tag
# (tools/wheel_check.py; auditwheel too where it reads the wheel) and kept in a cache keyed by
# the sources, so an unchanged checkout never builds twice.
#
# Usage: bash scripts/wheel.sh [--target TAG]... [--all]
#   TAG  manylinux_2_28_x86_64 (the default), manylinux_2_28_aarch64, musllinux_1_2_x86_64
#   TARVO_CACHE  where built wheels are kept (default: ~/.cache/tarvo); empty to keep none
# Each target builds in build/wheel-TAG, the tree that the C++ tests are built in as well.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
started=$SECONDS
step() { printf '== [%3ds] %s\n' $((SECONDS - started)) "$*"; }

targets=()
while [ $# -gt 0 ]; do
  case $1 in
    --target) targets+=("$2"); shift 2 ;;
    --all) targets+=(manylinux_2_28_x86_64 manylinux_2_28_aarch64 musllinux_1_2_x86_64); shift ;;
    *) echo "usage: bash scripts/wheel.sh [--target TAG]... [--all]" >&2; exit 2 ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=(manylinux_2_28_x86_64)

python=.venv/bin/python
[ -x "$python" ] || python3 -m venv .venv
step "build tools (scripts/build-requirements.txt)"
"$python" -m pip install -q --disable-pip-version-check -r scripts/build-requirements.txt
PATH="$root/.venv/bin:$PATH"
zig=$("$python" -c 'import os, ziglang; print(os.path.join(os.path.dirname(ziglang.__file__), "zig"))')

# What the wheel is made of; a change to any of these is a new wheel.
sources_key() {
  { find CMakeLists.txt pyproject.toml README.md cmake src python data/*.json \
      scripts/wheel.sh scripts/build-requirements.txt -type f -not -path '*/__pycache__/*' \
      -print0 | sort -z | xargs -0 sha256sum
    "$zig" version; echo "$1"; } | sha256sum | cut -c1-24
}

# A compiler for CMake is one program: each target gets small wrappers with its zig target
# baked in, written again only when they change (so the build tree stays up to date).
toolchain() {
  local tag=$1 zig_target processor dir
  case $tag in
    manylinux_2_28_x86_64) zig_target=x86_64-linux-gnu.2.28 processor=x86_64 ;;
    manylinux_2_28_aarch64) zig_target=aarch64-linux-gnu.2.28 processor=aarch64 ;;
    musllinux_1_2_x86_64) zig_target=x86_64-linux-musl processor=x86_64 ;;
    *) echo "unknown target $tag" >&2; exit 2 ;;
  esac
  dir=$root/build/toolchains/$tag
  mkdir -p "$dir"
  write() { if [ ! -f "$1" ] || [ "$(cat "$1")" != "$2" ]; then printf '%s\n' "$2" >"$1"; chmod +x "$1"; fi; }
  # The baseline CPU of the architecture, never the building machine's.
  write "$dir/cc" "#!/bin/sh
exec '$zig' cc -target $zig_target -mcpu=baseline \"\$@\""
  # libc++'s strings are declared extern templates, to be taken from its shared library; linked
  # in statically, that would make every push_back a call: they are instantiated here instead.
  write "$dir/c++" "#!/bin/sh
exec '$zig' c++ -target $zig_target -mcpu=baseline -D_LIBCPP_DISABLE_EXTERN_TEMPLATE \"\$@\""
  write "$dir/ar" "#!/bin/sh
exec '$zig' ar \"\$@\""
  write "$dir/ranlib" "#!/bin/sh
exec '$zig' ranlib \"\$@\""
  write "$dir/toolchain.cmake" "# Written by scripts/wheel.sh for $tag; do not edit.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR $processor)
set(CMAKE_C_COMPILER $dir/cc)
set(CMAKE_CXX_COMPILER $dir/c++)
set(CMAKE_ASM_COMPILER $dir/cc)
set(CMAKE_AR $dir/ar)
set(CMAKE_RANLIB $dir/ranlib)
# Linked stripped; the install step's strip would need binutils for the target.
set(CMAKE_MODULE_LINKER_FLAGS_INIT -s)
set(CMAKE_STRIP /bin/true)"
  echo "$dir/toolchain.cmake"
}

cache=${TARVO_CACHE-${XDG_CACHE_HOME:-$HOME/.cache}/tarvo}
# dist/ holds what this run built, nothing older.
rm -f dist/tarvo_ph-*.whl
mkdir -p dist
for tag in "${targets[@]}"; do
  file_toolchain=$(toolchain "$tag")
  key=$(sources_key "$tag")
  if [ -n "$cache" ] && ls "$cache/wheels/$key"/tarvo_ph-*-"$tag".whl >/dev/null 2>&1; then
    cp "$cache/wheels/$key"/tarvo_ph-*-"$tag".whl dist/
    step "$tag: the wheel of these sources, from $cache/wheels/$key"
    continue
  fi
  tree=build/wheel-$tag
  # A tree made by another toolchain (other wrappers, another zig) starts again: ninja sees the
  # same compile commands and would keep its objects.
  made_by="$("$zig" version) $(cat "$(dirname "$file_toolchain")"/* | sha256sum | cut -c1-16)"
  if [ -d "$tree" ] && [ "$(cat "$tree/.toolchain" 2>/dev/null)" != "$made_by" ]; then
    step "$tag: $tree was made by another toolchain: starting it again"
    rm -rf "$tree"
  fi
  mkdir -p "$tree"
  echo "$made_by" >"$tree/.toolchain"
  # The tree is configured and built here, with the compiler's progress shown; the packaging
  # step below then finds it up to date. The platform tag is the target's, not this machine's.
  step "$tag: configuring $tree"
  cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVO_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE="$file_toolchain" -DPython_EXECUTABLE="$root/$python" >/dev/null
  step "$tag: compiling"
  cmake --build "$tree" --target _tarvo -j2
  step "$tag: packaging"
  rm -rf "build/wheelhouse/$tag"
  _PYTHON_HOST_PLATFORM=$tag "$python" -m pip wheel -q --no-deps --no-build-isolation \
    --disable-pip-version-check -w "build/wheelhouse/$tag" . \
    -C build-dir="$tree" -C build.targets=_tarvo -C cmake.define.TARVO_WERROR=ON \
    -C cmake.define.CMAKE_TOOLCHAIN_FILE="$file_toolchain"
  cp "build/wheelhouse/$tag"/tarvo_ph-*-"$tag".whl dist/
  wheel=$(ls dist/tarvo_ph-*-"$tag".whl)
  step "$tag: checking $wheel"
  "$python" tools/wheel_check.py "$wheel"
  # auditwheel reads only wheels of this machine's architecture and C library; it names the
  # oldest policy the wheel meets, which must be no newer than the tag.
  if [ "$tag" = "manylinux_2_28_$(uname -m)" ]; then
    policy=$(auditwheel show "$wheel" | tr '\n' ' ' | grep -o 'platform tag: "manylinux_[0-9]*_[0-9]*' | grep -o '[0-9]*_[0-9]*$')
    echo "auditwheel: consistent with manylinux_${policy}_$(uname -m)"
    [ "$(printf '%s\n' "${policy/_/.}" 2.28 | sort -V | tail -1)" = 2.28 ]
  fi
  # Kept only if no source changed while it was built: the key must name what the wheel holds.
  if [ -n "$cache" ] && [ "$(sources_key "$tag")" = "$key" ]; then
    mkdir -p "$cache/wheels/$key"
    cp "$wheel" "$cache/wheels/$key/"
  fi
done
step "done: $(cd dist && ls tarvo_ph-*.whl | tr '\n' ' ')"
