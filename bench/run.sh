#!/usr/bin/env bash
# bench/run.sh: sets up (wheel into .venv, peers from bench/requirements.txt), then prints the table.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
.venv/bin/python -m pip install -q -r bench/requirements.txt
.venv/bin/python bench/bench_tarvo.py "$@"
