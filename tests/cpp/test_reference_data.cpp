// tests/cpp/test_reference_data.cpp: the compiled-in reference documents and their strict readers.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "panic.hpp"
#include "providers/contact.hpp"
#include "providers/government.hpp"
#include "providers/json_reader.hpp"
#include "providers/personal.hpp"
#include "providers/utility.hpp"
#include "padded.hpp"

namespace tarvo {
namespace {

using List = std::vector<std::string>;

using test_support::Padded;

TEST(ReferenceData, NameListsHoldEveryEntryInStoredOrder) {
  const FirstNames& first = first_names();
  ASSERT_EQ(first.male.size(), 136u);
  ASSERT_EQ(first.female.size(), 149u);
  EXPECT_EQ(first.male.front(), "John");
  EXPECT_EQ(first.male.back(), "Jason");
  EXPECT_EQ(first.female.front(), "Mary");
  EXPECT_EQ(first.female.back(), "Regina");
  // Stored twice on purpose: it is drawn twice as often.
  EXPECT_EQ(std::count(first.female.begin(), first.female.end(), "Mylene"), 2);
  EXPECT_EQ(first.female[108], "Mylene");
  EXPECT_EQ(first.female[109], "Mylene");
  for (const char* both : {"Julie", "Joy"}) {
    EXPECT_EQ(std::count(first.male.begin(), first.male.end(), both), 1) << both;
    EXPECT_EQ(std::count(first.female.begin(), first.female.end(), both), 1) << both;
  }

  const List& surnames = last_names().surnames;
  ASSERT_EQ(surnames.size(), 203u);
  EXPECT_EQ(surnames.front(), "Dela Cruz");
  EXPECT_EQ(surnames[12], "De Guzman");
  EXPECT_EQ(surnames.back(), "Salcedo");
}

TEST(ReferenceData, SmallListsMatchTheirDocuments) {
  const Preference& pref = preference();
  EXPECT_EQ(pref.civil_status, (List{"Single", "Married", "Divorced", "Widowed",
                                     "Legally Separated", "Annulled", "Separated"}));
  EXPECT_EQ(pref.blood_type, (List{"A+", "A-", "B+", "B-", "AB+", "AB-", "O+", "O-"}));
  EXPECT_EQ(pref.domains, (List{"gmail.com", "yahoo.com", "outlook.com", "gov.ph", "edu.ph"}));

  const ContactData& contact = contact_data();
  ASSERT_EQ(contact.mobile_prefixes.size(), 29u);
  EXPECT_EQ(contact.mobile_prefixes.front(), "917");
  EXPECT_EQ(contact.mobile_prefixes.back(), "943");
  EXPECT_EQ(contact.landline_area_codes.size(), 15u);
  EXPECT_EQ(contact.landline_area_codes.front(), "02");
  EXPECT_EQ(contact.landline_area_codes.back(), "085");

  EXPECT_EQ(gov_data().sss_prefixes, (List{"03", "04", "05", "06", "07", "08", "09", "33", "34"}));
  EXPECT_EQ(gov_data().philhealth_prefixes, (List{"01", "02", "03", "04", "05", "10", "11", "12"}));

  EXPECT_EQ(utility_data().colors, (List{"Red", "Blue", "Green", "Yellow", "Orange", "Purple",
                                         "Pink", "Black", "White", "Gray"}));
  EXPECT_EQ(utility_data().statuses,
            (List{"Active", "Inactive", "Pending", "Suspended", "Verified", "Archived"}));
}

// The e-mail generator lower-cases ASCII only, which is exact only while every name is ASCII.
TEST(ReferenceData, EveryNameIsPlainAscii) {
  for (const List* list : {&first_names().male, &first_names().female, &last_names().surnames}) {
    for (const std::string& name : *list) {
      EXPECT_TRUE(std::all_of(name.begin(), name.end(),
                              [](char c) { return c >= 0x20 && c < 0x7F; }))
          << name;
    }
  }
}

TEST(ReferenceData, AccessorsReturnTheOneSharedRecord) {
  EXPECT_EQ(&first_names(), &first_names());
  EXPECT_EQ(&last_names(), &last_names());
  EXPECT_EQ(&preference(), &preference());
  EXPECT_EQ(&contact_data(), &contact_data());
  EXPECT_EQ(&gov_data(), &gov_data());
  EXPECT_EQ(&utility_data(), &utility_data());
}

struct Reader {
  const char* document;
  std::function<void(std::string_view)> parse;
  const char* first_field;
  const char* second_field;  // nullptr for one-field records

  friend void PrintTo(const Reader& reader, std::ostream* out) { *out << reader.document; }
};

std::string failure(const Reader& reader, std::string_view text) {
  Padded padded(text);
  try {
    reader.parse(padded.view());
  } catch (const Panic& panic) {
    return panic.what();
  }
  return "no error";
}

class BrokenDocument : public testing::TestWithParam<Reader> {};

TEST_P(BrokenDocument, FailsWithTheDocumentNameAndTheFault) {
  const Reader& reader = GetParam();
  const std::string prefix = "Invalid " + std::string(reader.document) + " format: ";
  const std::string first = reader.first_field;
  const std::string rest =
      reader.second_field ? ", \"" + std::string(reader.second_field) + "\": [\"y\"]" : "";
  auto object = [&](std::string first_member) { return "{" + first_member + rest + "}"; };
  const std::string good = object("\"" + first + "\": [\"x\"]");

  EXPECT_EQ(failure(reader, good), "no error");
  EXPECT_EQ(failure(reader, good + " \n"), "no error");
  // Unknown keys are skipped whatever they hold, before and after the fields.
  EXPECT_EQ(failure(reader, R"({"u1": null, "u2": true, "u3": 1.5, "u4": "s", "u5": [1, "a"],
                               "u6": {"k": [null]}, "u7": [], "u8": -2, "u9": false, )" +
                                good.substr(1, good.size() - 2) + R"(, "u1": {}})"),
            "no error");

  EXPECT_EQ(failure(reader, good + " x"),
            prefix + "trailing characters after the top-level value");
  EXPECT_EQ(failure(reader, object("\"other\": [\"x\"]")),
            prefix + "missing field `" + first + "`");
  EXPECT_EQ(failure(reader, object("\"" + first + "\": [\"x\"], \"" + first + "\": [\"x\"]")),
            prefix + "duplicate field `" + first + "`");
  for (const char* bad_value : {"\"x\"", "null", "{}", "[\"x\", 1]", "[[\"x\"]]"}) {
    SCOPED_TRACE(bad_value);
    EXPECT_EQ(failure(reader, object("\"" + first + "\": " + bad_value)),
              prefix + "invalid type: expected an array of strings for `" + first + "`");
  }
  EXPECT_EQ(failure(reader, object("\"" + first + "\": []")),
            prefix + "invalid length 0, expected a non-empty array of strings for `" + first + "`");
  EXPECT_EQ(failure(reader, "[[\"x\"], [\"y\"]]"), prefix + "invalid type: expected an object");
  EXPECT_EQ(failure(reader, "{\"" + first + "\": [\"x\"],}"),
            prefix + simdjson::error_message(simdjson::TAPE_ERROR));
}

INSTANTIATE_TEST_SUITE_P(
    AllDocuments, BrokenDocument,
    testing::Values(
        Reader{"last_names.json", [](std::string_view t) { parse_last_names(t); }, "surnames",
               nullptr},
        Reader{"first_names.json", [](std::string_view t) { parse_first_names(t); }, "female",
               "male"},
        Reader{"preference.json",
               [](std::string_view t) { parse_preference(t); }, "domains",
               "civil_status\": [\"s\"], \"blood_type"},
        Reader{"contact.json", [](std::string_view t) { parse_contact_data(t); },
               "landline_area_codes", "mobile_prefixes"},
        Reader{"government.json", [](std::string_view t) { parse_gov_data(t); }, "sss_prefixes",
               "philhealth_prefixes"},
        Reader{"utility.json", [](std::string_view t) { parse_utility_data(t); }, "colors",
               "statuses"}),
    [](const testing::TestParamInfo<Reader>& info) {
      std::string name = info.param.document;
      return name.substr(0, name.find('.')) + "_json";
    });

TEST(ReferenceData, PreferenceIgnoresItsUnreadKeys) {
  Padded padded(R"({"prefix": ["Mr."], "suffix": ["Jr.", ""], "civil_status": ["Single"],
                   "blood_type": ["O+"], "gender": ["Male"], "domains": ["edu.ph"],
                   "religion": ["None"], "nationality": ["Filipino"]})");
  const Preference pref = parse_preference(padded.view());
  EXPECT_EQ(pref.civil_status, List{"Single"});
  EXPECT_EQ(pref.blood_type, List{"O+"});
  EXPECT_EQ(pref.domains, List{"edu.ph"});
}

}  // namespace
}  // namespace tarvo
