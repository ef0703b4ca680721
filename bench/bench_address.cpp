// bench/bench_address.cpp: first-use build time and memory of the address data set, and draw cost.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "census/landline.hpp"
#include "census/mobile.hpp"
#include "census/places.hpp"
#include "providers/address.hpp"
#include "random.hpp"

namespace {

struct Statm {
  long resident_pages = 0;
  long shared_pages = 0;  // file-backed: the embedded texts once read
};

Statm read_statm() {
  Statm s;
  long size = 0;
  std::ifstream in("/proc/self/statm");
  in >> size >> s.resident_pages >> s.shared_pages;
  return s;
}

// Half the summed gap between each region's share in the alias table and in the census figures.
double census_region_distance(const tarvo::census::CensusPlaces& places) {
  const tarvo::AddressData& data = places.data();
  const std::vector<double> held = places.table().probabilities();
  std::vector<double> census(data.region_count()), table(data.region_count());
  double total = 0;
  for (const tarvo::Region region : data.regions()) {
    for (const tarvo::Province province : region.provinces()) {
      for (const tarvo::CityMunicipality city : province.cities_municipalities()) {
        for (const tarvo::Barangay barangay : city.barangays()) {
          const double figure = tarvo::census::census_figure(barangay.status()).value_or(0);
          census[region.index()] += figure;
          total += figure;
          table[region.index()] += held[barangay.index()];
        }
      }
    }
  }
  double distance = 0;
  for (std::size_t r = 0; r < census.size(); ++r) distance += std::abs(census[r] / total - table[r]);
  return distance / 2;
}

double mib(long pages) { return static_cast<double>(pages) * sysconf(_SC_PAGESIZE) / (1 << 20); }

}  // namespace

int main() {
  using Clock = std::chrono::steady_clock;

  // Warm up the generator (its OS key read and first refill) outside the measured region.
  tarvo::Rng& rng = tarvo::thread_rng();
  rng.draw_u32();

  const Statm before = read_statm();
  const auto start = Clock::now();
  const tarvo::AddressData& data = tarvo::address_regions();
  const auto built = Clock::now();
  const Statm after = read_statm();

  const double build_ms = std::chrono::duration<double, std::milli>(built - start).count();
  std::printf("data set: %zu regions, %zu provinces, %zu cities/municipalities, %zu barangays, "
              "%zu arena bytes\n",
              data.region_count(), data.province_count(), data.city_count(),
              data.barangay_count(), data.arena_bytes());
  std::printf("first-use build: %.2f ms\n", build_ms);
  std::printf("resident memory added: %.2f MiB (%.2f MiB of it anonymous, %.2f MiB the "
              "embedded texts paged in)\n",
              mib(after.resident_pages - before.resident_pages),
              mib((after.resident_pages - after.shared_pages) -
                  (before.resident_pages - before.shared_pages)),
              mib(after.shared_pages - before.shared_pages));

  constexpr int kDraws = 5'000'000;
  std::size_t checksum = 0;
  int complete = 0;
  const auto draw_start = Clock::now();
  for (int i = 0; i < kDraws; ++i) {
    const std::optional<tarvo::Address> address = tarvo::generate_address(rng);
    if (address) {
      ++complete;
      checksum += address->barangay.size() + address->zip_code.size();
    }
  }
  const auto draw_end = Clock::now();
  const double ns =
      std::chrono::duration<double, std::nano>(draw_end - draw_start).count() / kDraws;
  std::printf("generate_address(): %.1f ns per call (%.1f%% complete, checksum %zu)\n", ns,
              100.0 * complete / kDraws, checksum);

  std::string line;
  const auto line_start = Clock::now();
  for (int i = 0; i < kDraws; ++i) {
    if (const std::optional<tarvo::Address> address = tarvo::generate_address(rng)) {
      tarvo::write_full_address(*address, line);
      checksum += line.size();
    }
  }
  const auto line_end = Clock::now();
  std::printf("generate_address() + write_full_address(): %.1f ns per call (checksum %zu)\n",
              std::chrono::duration<double, std::nano>(line_end - line_start).count() / kDraws,
              checksum);

  // The census profile: the alias table over every barangay, built once on top of the data set.
  const auto census_start = Clock::now();
  const tarvo::census::CensusPlaces& places = tarvo::census::census_places();
  std::printf("census table first use: %.2f ms (%zu barangays)\n",
              std::chrono::duration<double, std::milli>(Clock::now() - census_start).count(),
              places.table().size());
  std::printf("census region shares, table against the figures: total variation distance %.2e\n",
              census_region_distance(places));

  const auto census_draw_start = Clock::now();
  for (int i = 0; i < kDraws; ++i) {
    if (const auto address = tarvo::census::draw_census_address(rng)) {
      checksum += address->barangay.size() + address->zip_code.size();
    }
  }
  const double census_ns = std::chrono::duration<double, std::nano>(Clock::now() -
                                                                    census_draw_start).count() /
                           kDraws;
  std::printf("draw_census_address(): %.1f ns per call, %.2fx generate_address() (checksum %zu)\n",
              census_ns, census_ns / ns, checksum);

  const auto phone_start = Clock::now();
  tarvo::Address row;
  for (int i = 0; i < kDraws; ++i) {
    row.province_index = static_cast<std::uint32_t>(i % data.province_count());
    checksum += tarvo::census::census_landline(rng, row).size();
    checksum += tarvo::census::census_mobile(rng).size();
  }
  std::printf("census_landline() + census_mobile(): %.1f ns per pair (checksum %zu)\n",
              std::chrono::duration<double, std::nano>(Clock::now() - phone_start).count() / kDraws,
              checksum);
  return 0;
}
