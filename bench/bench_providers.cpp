// bench/bench_providers.cpp: nanoseconds per call of the Person draw and of each value generator, both profiles.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "census/email.hpp"
#include "census/person.hpp"
#include "census/tin.hpp"
#include "census/traits.hpp"
#include "providers/clock.hpp"
#include "providers/contact.hpp"
#include "providers/government.hpp"
#include "providers/personal.hpp"
#include "providers/utility.hpp"

namespace {

constexpr int kRuns = 7;
constexpr int kCalls = 1'000'000;  // one seed() of a million rows

// Median nanoseconds per call of body(rng) over kRuns runs of kCalls calls. The sink keeps the
// results observable so the calls are not optimised away.
template <typename Body>
void report(const char* name, Body body) {
  tarvo::Rng rng;
  std::uint64_t sink = 0;
  sink += body(rng);  // parses the documents outside the timed runs
  std::vector<double> nanoseconds;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    for (int call = 0; call < kCalls; ++call) {
      sink += body(rng);
    }
    const std::chrono::duration<double, std::nano> elapsed =
        std::chrono::steady_clock::now() - start;
    nanoseconds.push_back(elapsed.count() / kCalls);
  }
  std::sort(nanoseconds.begin(), nanoseconds.end());
  std::printf("%-28s %7.1f ns/call   (sink %llu)\n", name, nanoseconds[kRuns / 2],
              static_cast<unsigned long long>(sink % 10));
}

}  // namespace

int main() {
  using tarvo::Rng;
  const tarvo::CivilDate today = tarvo::today_utc();
  report("today_utc", [](Rng&) { return std::uint64_t(tarvo::today_utc().day); });
  report("draw_person", [&](Rng& rng) {
    const tarvo::Person person = tarvo::draw_person(rng, today);
    return std::uint64_t(person.age + std::uint8_t(person.birthdate_text[9]));
  });
  report("draw_person + today_utc", [](Rng& rng) {
    return std::uint64_t(tarvo::draw_person(rng, tarvo::today_utc()).age);
  });
  std::string out;
  report("full_name (reused string)", [&](Rng& rng) {
    tarvo::full_name(tarvo::draw_person(rng, today), out);
    return std::uint64_t(out.size());
  });
  report("email (reused string)", [&](Rng& rng) {
    tarvo::email(rng, "Maria", "Delos Santos", out);
    return std::uint64_t(out.size());
  });
  report("civil_status", [](Rng& rng) { return std::uint64_t(tarvo::civil_status(rng).size()); });
  report("blood_type", [](Rng& rng) { return std::uint64_t(tarvo::blood_type(rng).size()); });
  report("color", [](Rng& rng) { return std::uint64_t(tarvo::color(rng).size()); });
  report("status", [](Rng& rng) { return std::uint64_t(tarvo::status(rng).size()); });
  report("uuid", [](Rng& rng) { return std::uint64_t(tarvo::uuid(rng).view()[0]); });
  report("phone_number",
         [](Rng& rng) { return std::uint64_t(tarvo::phone_number(rng).view()[14]); });
  report("landline", [](Rng& rng) { return std::uint64_t(tarvo::landline(rng).view()[12]); });
  report("sss_number", [](Rng& rng) { return std::uint64_t(tarvo::sss_number(rng).view()[11]); });
  report("tin_number", [](Rng& rng) { return std::uint64_t(tarvo::tin_number(rng).view()[14]); });
  report("philhealth_number",
         [](Rng& rng) { return std::uint64_t(tarvo::philhealth_number(rng).view()[13]); });

  // The census profile beside the uniform one above.
  namespace census = tarvo::census;
  report("census: draw_census_person", [&](Rng& rng) {
    const census::CensusPerson person = census::draw_census_person(rng, today);
    return std::uint64_t(person.age + std::uint8_t(person.birthdate_text[9]));
  });
  Rng setup;
  const census::CensusPerson someone = census::draw_census_person(setup, today);
  report("census: email (reused string)", [&](Rng& rng) {
    census::census_email(rng, someone, out);
    return std::uint64_t(out.size());
  });
  report("draw_person + email", [&](Rng& rng) {
    const tarvo::Person person = tarvo::draw_person(rng, today);
    tarvo::email(rng, person.first_name, person.last_name, out);
    return std::uint64_t(out.size());
  });
  report("census: person + email", [&](Rng& rng) {
    census::census_email(rng, census::draw_census_person(rng, today), out);
    return std::uint64_t(out.size());
  });
  report("census: civil_status_index", [&](Rng& rng) {
    return std::uint64_t(census::census_civil_status_index(rng, someone));
  });
  report("census: blood_type_index",
         [](Rng& rng) { return std::uint64_t(census::census_blood_type_index(rng)); });
  report("census: tin", [](Rng& rng) { return std::uint64_t(census::census_tin(rng).view()[14]); });
  return 0;
}
