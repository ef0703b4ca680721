// bench/bench_unique.cpp: nanoseconds per call of the keyed permutation and the unique formats.
#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "providers/contact.hpp"
#include "providers/government.hpp"
#include "providers/utility.hpp"
#include "unique/email_suffix.hpp"
#include "unique/formats.hpp"
#include "unique/permutation.hpp"

namespace {

constexpr int kRuns = 7;
constexpr std::uint64_t kCalls = 1'000'000;
constexpr std::uint64_t kKeyLo = 0x0123456789ABCDEFu;
constexpr std::uint64_t kKeyHi = 0xFEDCBA9876543210u;

// Median nanoseconds per call of body(row, rng) for kCalls consecutive rows, over kRuns runs;
// the sink keeps the results observable.
template <typename Body>
double median_ns(Body body) {
  tarvo::Rng rng;
  std::uint64_t sink = body(0, rng);  // parses the documents outside the timed runs
  std::vector<double> nanoseconds;
  for (int run = 0; run < kRuns; ++run) {
    const std::uint64_t first = run * kCalls;
    const auto start = std::chrono::steady_clock::now();
    for (std::uint64_t row = first; row < first + kCalls; ++row) {
      sink += body(row, rng);
    }
    const std::chrono::duration<double, std::nano> elapsed =
        std::chrono::steady_clock::now() - start;
    nanoseconds.push_back(elapsed.count() / kCalls);
  }
  std::sort(nanoseconds.begin(), nanoseconds.end());
  if (sink == 42) std::puts("");  // never true in practice; keeps sink alive
  return nanoseconds[kRuns / 2];
}

void permutation_row(const char* name, std::uint64_t n) {
  const tarvo::unique::Permutation permutation(n, kKeyLo, kKeyHi);
  const double ns = median_ns([&](std::uint64_t row, tarvo::Rng&) { return permutation(row % n); });
  const auto width = std::max(static_cast<unsigned>(std::bit_width(n - 1)), 2u);
  const double passes = std::ldexp(1.0, static_cast<int>(width)) / static_cast<double>(n);
  std::printf("Permutation %-22s %7.1f ns/call  (mean network passes 2^w/n = %.3f)\n", name, ns,
              passes);
}

// A unique column's cost (permute the row, write the value) beside the random draw it replaces.
template <typename Unique, typename Random>
void kind_row(const char* name, Unique unique, Random random) {
  const double unique_ns = median_ns(unique);
  const double random_ns = median_ns(random);
  std::printf("%-20s unique %7.1f ns   random %7.1f ns   ratio %5.2f\n", name, unique_ns, random_ns,
              unique_ns / random_ns);
}

}  // namespace

int main() {
  using tarvo::Rng;
  namespace unique = tarvo::unique;
  permutation_row("n = 300", 300);
  permutation_row("n = 729,000,000 (sss)", unique::sss_capacity(9));
  permutation_row("n = 9,000,000,000", 9'000'000'000u);
  permutation_row("n = 2^33 + 1 (worst)", (std::uint64_t{1} << 33) + 1);
  permutation_row("n = 2^64 - 1", ~std::uint64_t{0});

  const auto& gov = tarvo::gov_data();
  const auto& contact = tarvo::contact_data();
  const unique::Permutation sss(unique::sss_capacity(gov.sss_prefixes.size()), kKeyLo, kKeyHi);
  const unique::Permutation phil(unique::philhealth_capacity(gov.philhealth_prefixes.size()),
                                 kKeyLo, kKeyHi);
  const unique::Permutation tin(unique::tin_capacity(unique::TinBranch::any), kKeyLo, kKeyHi);
  const unique::Permutation phone(unique::phone_capacity(contact.mobile_prefixes.size()), kKeyLo,
                                  kKeyHi);
  const unique::EmailSuffix suffix(kKeyLo, kKeyHi);

  std::printf("\nper value (unique = permutation + format; random = the existing draw)\n");
  kind_row(
      "sss_number",
      [&](std::uint64_t row, Rng&) {
        return std::uint64_t(unique::sss_number_at(gov.sss_prefixes, sss(row)).view()[11]);
      },
      [](std::uint64_t, Rng& rng) { return std::uint64_t(tarvo::sss_number(rng).view()[11]); });
  kind_row(
      "philhealth_number",
      [&](std::uint64_t row, Rng&) {
        return std::uint64_t(
            unique::philhealth_number_at(gov.philhealth_prefixes, phil(row)).view()[13]);
      },
      [](std::uint64_t, Rng& rng) {
        return std::uint64_t(tarvo::philhealth_number(rng).view()[13]);
      });
  kind_row(
      "tin_number",
      [&](std::uint64_t row, Rng&) {
        return std::uint64_t(unique::tin_number_at(tin(row), unique::TinBranch::any).view()[14]);
      },
      [](std::uint64_t, Rng& rng) { return std::uint64_t(tarvo::tin_number(rng).view()[14]); });
  kind_row(
      "phone_number",
      [&](std::uint64_t row, Rng&) {
        return std::uint64_t(
            unique::phone_number_at(contact.mobile_prefixes, phone(row)).view()[14]);
      },
      [](std::uint64_t, Rng& rng) { return std::uint64_t(tarvo::phone_number(rng).view()[14]); });
  kind_row(
      "uuid (no permutation)",
      [](std::uint64_t row, Rng&) { return std::uint64_t(unique::uuid_at(row, kKeyLo).view()[0]); },
      [](std::uint64_t, Rng& rng) { return std::uint64_t(tarvo::uuid(rng).view()[0]); });
  std::string out;
  kind_row(
      "email suffix only",
      [&](std::uint64_t row, Rng&) {
        out.assign("juan.delacruz");
        unique::EmailSuffix::append(out, suffix(row));
        return std::uint64_t(out.size());
      },
      [&](std::uint64_t, Rng&) {
        out.assign("juan.delacruz");
        return std::uint64_t(out.size());
      });
  std::printf("(the email row's 'random' column is the bare local part, without the suffix)\n");
  return 0;
}
