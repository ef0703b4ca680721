"""python/tarvo/_kinds.py: the column kinds, described for `tarvo kinds`."""
from __future__ import annotations

import json
from typing import Any, NamedTuple

from _tarvo import Dummy


class Kind(NamedTuple):
    usage: str        # how the kind is written, with its parameters named
    example: str      # a concrete column kind to draw the example value from
    description: str


KINDS: tuple[Kind, ...] = (
    Kind("int:LOW:HIGH", "int:1:10", "whole number from LOW to HIGH (defaults 0 and 100)"),
    Kind("float:MIN:MAX:PLACES", "float:0:100:2", "decimal from MIN below MAX, PLACES decimals"),
    Kind("choice:A,B,...", "choice:red,green,blue", "one of the comma-separated options"),
    Kind("list:A,B,...", "list:yes,no", "the same as choice:"),
    Kind("uuid", "uuid", "random version-4 UUID"),
    Kind("id", "id", "random version-4 UUID, drawn apart from uuid"),
    Kind("gender", "gender", "Male or Female; the person of the row"),
    Kind("first_name", "first_name", "first name that fits the row's gender"),
    Kind("last_name", "last_name", "last name"),
    Kind("full_name", "full_name", "first name, a blank, last name"),
    Kind("email", "email", "e-mail address made from the row's names"),
    Kind("birthdate", "birthdate", "birth date as YYYY-MM-DD"),
    Kind("age", "age", "age in whole years, agreeing with birthdate"),
    Kind("civil_status", "civil_status", "civil status"),
    Kind("blood_type", "blood_type", "ABO blood group with its Rh sign"),
    Kind("color", "color", "colour name"),
    Kind("status", "status", "record status"),
    Kind("phone_number", "phone_number", "mobile number with the +63 country code"),
    Kind("landline", "landline", "landline number with its area code"),
    Kind("sss_number", "sss_number", "Social Security System number"),
    Kind("tin_number", "tin_number", "Taxpayer Identification Number"),
    Kind("philhealth_number", "philhealth_number", "PhilHealth identification number"),
    Kind("region", "region", "region of the row's address"),
    Kind("province", "province", "province of the row's address"),
    Kind("city_mun", "city_mun", "city or municipality of the row's address"),
    Kind("barangay", "barangay", "barangay of the row's address"),
    Kind("zip_code", "zip_code", "ZIP code of the row's address"),
    Kind("address", "address", "the five parts of the row's address as one object"),
    Kind("full_address", "full_address", "the row's address on one line"),
)

FOOTER = "Any other kind is accepted and gives an empty value (None in CSV, null in JSON)."


def _shown(value: Any) -> str:
    return json.dumps(value, ensure_ascii=False) if isinstance(value, dict) else str(value)


def kinds_table() -> str:
    """One line per kind: how to write it, what it gives, and a value drawn just now."""
    # One row for all examples, so the person and address columns describe one person.
    row = Dummy().seed(1, {kind.example: kind.example for kind in KINDS})[0]
    usage_width = max(len(kind.usage) for kind in KINDS) + 2
    text_width = max(len(kind.description) for kind in KINDS) + 2
    lines = [f"{'KIND':<{usage_width}}{'DESCRIPTION':<{text_width}}EXAMPLE"]
    for kind in KINDS:
        example = _shown(row[kind.example])
        if kind.example != kind.usage:
            example = f"{kind.example} -> {example}"
        lines.append(f"{kind.usage:<{usage_width}}{kind.description:<{text_width}}{example}")
    lines.append("")
    lines.append(FOOTER)
    return "\n".join(lines) + "\n"
