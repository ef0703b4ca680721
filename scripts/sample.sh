#!/usr/bin/env bash
# scripts/sample.sh: sets everything up, then writes a sample to out/sample.csv and out/sample.json.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
mkdir -p out
.venv/bin/python - <<'PY'
import _tarvo

rows = [
    {"name": "Jose Dela Cruz", "gender": "Male", "age": 34, "city": "Bacarra"},
    {"name": "Maria Santos", "gender": "Female", "age": 29, "city": "City of Baguio"},
]
dummy = _tarvo.Dummy()
dummy.save(rows, "out/sample", "csv")
dummy.save(rows, "out/sample", "json")
PY
