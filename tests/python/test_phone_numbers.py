"""tests/python/test_phone_numbers.py: our numbers are valid Philippine numbers for libphonenumber."""
import pytest

phonenumbers = pytest.importorskip("phonenumbers")


@pytest.mark.parametrize(
    "kind, expected_type",
    [
        ("phone_number", phonenumbers.PhoneNumberType.MOBILE),
        ("landline", phonenumbers.PhoneNumberType.FIXED_LINE),
    ],
)
def test_every_number_is_valid(dummy, kind, expected_type):
    numbers = [row["n"] for row in dummy.seed(5000, {"n": kind})]
    invalid = []
    for text in numbers:
        parsed = phonenumbers.parse(text, "PH")
        if not (phonenumbers.is_valid_number(parsed) and parsed.country_code == 63
                and phonenumbers.number_type(parsed) == expected_type):
            invalid.append(text)
    assert not invalid, invalid[:10]
