#!/usr/bin/env bash
# scripts/setup.sh: installs what a fresh Debian machine lacks, builds the wheel (or takes it from
# the cache of scripts/wheel.sh) and installs it into .venv. Safe to run again.
#
# Usage: bash scripts/setup.sh [--test]
#   --test  also what the tests need: GoogleTest's source, a PostgreSQL server to start, and the
#           test extra (pytest, hypothesis, the data frame libraries and database drivers)
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
step() { printf '== [%3ds] %s\n' $((SECONDS - started)) "$*"; }

tests=false
[ "${1:-}" != --test ] || tests=true

apt_packages=()
$tests && apt_packages+=(libgtest-dev postgresql)  # postgresql: the server the database tests start
python3 -c 'import venv, ensurepip' 2>/dev/null || apt_packages+=(python3-venv)
missing=()
for p in "${apt_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  step "installing ${missing[*]} (apt)"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

[ -x .venv/bin/python ] || { step "making .venv"; python3 -m venv .venv; }
bash scripts/wheel.sh
wheel=$(ls dist/tarvo_ph-*-manylinux_2_28_"$(uname -m)".whl)
extra=""
$tests && extra="[test]"
step "installing $wheel$extra"
.venv/bin/python -m pip install -q --disable-pip-version-check --force-reinstall --no-deps "$wheel"
# The wheel's own dependencies (and the extra's), without reinstalling what is already there.
.venv/bin/python -m pip install -q --disable-pip-version-check "$wheel$extra"
step "set up"
