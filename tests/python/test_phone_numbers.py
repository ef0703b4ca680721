"""tests/python/test_phone_numbers.py: our numbers are valid Philippine numbers for libphonenumber."""
import pytest

import tarvo

phonenumbers = pytest.importorskip("phonenumbers")


@pytest.mark.parametrize(
    "kind, expected_type",
    [
        ("phone_number", phonenumbers.PhoneNumberType.MOBILE),
        ("landline", phonenumbers.PhoneNumberType.FIXED_LINE),
    ],
)
@pytest.mark.parametrize("source", ["dummy", "census", "uniform"])
def test_every_number_is_valid(dummy, source, kind, expected_type):
    if source == "dummy":
        numbers = [row["n"] for row in dummy.seed(5000, {"n": kind})]
    else:
        numbers = [row["n"] for row in tarvo.Dataset({"n": kind}, profile=source).rows(5000)]
    invalid = []
    for text in numbers:
        parsed = phonenumbers.parse(text, "PH")
        if not (phonenumbers.is_valid_number(parsed) and parsed.country_code == 63
                and phonenumbers.number_type(parsed) == expected_type):
            invalid.append(text)
    assert not invalid, invalid[:10]
