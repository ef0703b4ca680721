#!/usr/bin/env bash
# scripts/setup.sh: installs what a fresh Debian machine lacks, then builds the wheel and installs it
# (with the test extra) into .venv. Sourced by the other scripts; safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

apt_packages=(g++ libgtest-dev postgresql)  # postgresql: the server the database tests start
python3 -c 'import venv, ensurepip' 2>/dev/null || apt_packages+=(python3-venv)
python3 -c 'import sysconfig, os, sys; sys.exit(not os.path.exists(os.path.join(sysconfig.get_paths()["include"], "Python.h")))' \
  || apt_packages+=(python3-dev)
missing=()
for p in "${apt_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "== installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

[ -x .venv/bin/python ] || python3 -m venv .venv
.venv/bin/python -m pip install -q --upgrade pip
bash scripts/wheel.sh
wheel=$(ls dist/tarvo_ph-*.whl)
echo "== installing $wheel"
.venv/bin/python -m pip install -q --force-reinstall "${wheel}[test]"
