#!/usr/bin/env bash
# scripts/sample.sh: sets everything up, then writes 1,000 people to out/people.csv and out/people.json.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
mkdir -p out
.venv/bin/python - <<'PY'
import _tarvo

columns = {
    "id": "uuid",
    "name": "full_name",
    "gender": "gender",
    "birthdate": "birthdate",
    "age": "age",
    "email": "email",
    "mobile": "phone_number",
    "landline": "landline",
    "address": "full_address",
    "zip_code": "zip_code",
}
dummy = _tarvo.Dummy()
rows = dummy.seed(1000, columns)
dummy.save(rows, "out/people", "csv")
dummy.save(rows, "out/people", "json")
PY
head -3 out/people.csv
