#!/usr/bin/env bash
# scripts/sample.sh: sets up the wheel alone (nothing of the tests), then writes 1,000 people to
# out/people.csv and 1,000 more to out/people.json.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
mkdir -p out
columns=(-c id=uuid -c name=full_name -c gender=gender -c birthdate=birthdate -c age=age
         -c email=email -c mobile=phone_number -c landline=landline -c address=full_address
         -c zip_code=zip_code)
.venv/bin/tarvo --rows 1000 --seed 42 "${columns[@]}" --output out/people.csv
.venv/bin/tarvo --rows 1000 --seed 42 --start 1000 "${columns[@]}" --output out/people.json
echo "== wrote out/people.csv and out/people.json"
head -3 out/people.csv
