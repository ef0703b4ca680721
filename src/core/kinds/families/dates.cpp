// src/core/kinds/families/dates.cpp: date, datetime and time: uniform over a range, absolute or from as_of.
#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "engine/calendar.hpp"
#include "engine/permuted.hpp"
#include "kinds/fields.hpp"

namespace tarvo {
namespace {

constexpr std::int64_t kDay = 86'400;
// Philippine time is UTC+8 all year: a wall-clock second there is this much ahead of UTC.
constexpr std::int64_t kManilaOffset = 8 * 3600;
constexpr std::int32_t kFirstDay = days_from_civil({1, 1, 1});
constexpr std::int32_t kLastDay = days_from_civil({9999, 12, 31});

std::optional<std::uint32_t> digits(std::string_view text, std::size_t width) {
  if (text.size() != width) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return value;
}

// "YYYY-MM-DD", a real day of the years 1 to 9999.
std::optional<std::int32_t> absolute_day(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const auto year = digits(text.substr(0, 4), 4);
  const auto month = digits(text.substr(5, 2), 2);
  const auto day = digits(text.substr(8, 2), 2);
  if (!year || !month || !day || *year < 1 || *month < 1 || *month > 12 || *day < 1 ||
      *day > days_in_month(static_cast<std::int32_t>(*year), *month)) {
    return std::nullopt;
  }
  return days_from_civil({static_cast<std::int32_t>(*year), *month, *day});
}

// "-30d", "+2w", "-6m", "-1y" or "0d" from as_of; months and years keep the day of the month
// where the month has it, else take its last day (a year before 29 February is 28 February).
std::optional<std::int32_t> relative_day(std::string_view text, CivilDate as_of) {
  if (text.size() < 2) return std::nullopt;
  const char unit = text.back();
  std::string_view number = text.substr(0, text.size() - 1);
  const bool negative = number[0] == '-';
  if (number[0] == '-' || number[0] == '+') number.remove_prefix(1);
  else if (number != "0") return std::nullopt;  // a sign shows the text is relative
  const auto count = read_number<std::int64_t>(number);
  if (!count || *count > 10'000'000) return std::nullopt;
  const std::int64_t n = negative ? -*count : *count;
  const std::int64_t base = days_from_civil(as_of);
  std::int64_t day;
  switch (unit) {
    case 'd': day = base + n; break;
    case 'w': day = base + 7 * n; break;
    case 'm': day = days_from_civil(add_months(as_of, n)); break;
    case 'y': day = days_from_civil(add_months(as_of, 12 * n)); break;
    default: return std::nullopt;
  }
  if (day < kFirstDay || day > kLastDay) return std::nullopt;
  return static_cast<std::int32_t>(day);
}

std::optional<std::int32_t> day_bound(std::string_view text, CivilDate as_of) {
  if (auto day = absolute_day(text)) return day;
  return relative_day(text, as_of);
}

// "HH:MM" or "HH:MM:SS", as seconds since midnight.
std::optional<std::int64_t> time_bound(std::string_view text) {
  if (text.size() != 5 && text.size() != 8) return std::nullopt;
  if (text[2] != ':' || (text.size() == 8 && text[5] != ':')) return std::nullopt;
  const auto hours = digits(text.substr(0, 2), 2);
  const auto minutes = digits(text.substr(3, 2), 2);
  const auto seconds = text.size() == 8 ? digits(text.substr(6, 2), 2) : std::optional<std::uint32_t>(0);
  if (!hours || !minutes || !seconds || *hours > 23 || *minutes > 59 || *seconds > 59) {
    return std::nullopt;
  }
  return std::int64_t{*hours} * 3600 + *minutes * 60 + *seconds;
}

// A datetime bound as a Philippine wall-clock second since 1970: a day (absolute or relative)
// stands for all of it, from its first second when it opens the range to its last when it
// closes it; "YYYY-MM-DDTHH:MM[:SS]" is that second.
std::optional<std::int64_t> datetime_bound(std::string_view text, CivilDate as_of, bool end) {
  if (auto day = day_bound(text, as_of)) return *day * kDay + (end ? kDay - 1 : 0);
  if (text.size() < 16 || (text[10] != 'T' && text[10] != ' ')) return std::nullopt;
  const auto day = absolute_day(text.substr(0, 10));
  const auto time = time_bound(text.substr(11));
  if (!day || !time) return std::nullopt;
  return *day * kDay + *time;
}

// START:END where the bounds may hold colons of their own: the one split at which both sides
// read as bounds.
template <class Read>
std::optional<std::pair<std::int64_t, std::int64_t>> split_range(std::string_view text, Read read) {
  std::optional<std::pair<std::int64_t, std::int64_t>> found;
  for (std::size_t at = text.find(':'); at != std::string_view::npos; at = text.find(':', at + 1)) {
    const auto start = read(text.substr(0, at), false);
    const auto end = read(text.substr(at + 1), true);
    if (start && end) {
      if (found) return std::nullopt;
      found = std::pair{*start, *end};
    }
  }
  return found;
}

enum class Form : std::uint8_t { Date, Datetime, Time };

template <Form F>
constexpr ValueType kType = F == Form::Date ? ValueType::Date
                            : F == Form::Datetime ? ValueType::Timestamp
                                                  : ValueType::Time;
template <Form F>
constexpr std::size_t kTextBytes = F == Form::Date ? 10 : F == Form::Datetime ? 25 : 8;

// Uniform over [low, high]: days, Philippine wall-clock seconds, or seconds since midnight.
template <Form F>
class MomentDrawer final : public DrawerOf<MomentDrawer<F>> {
 public:
  MomentDrawer(std::int64_t low, std::int64_t high)
      : DrawerOf<MomentDrawer<F>>({kType<F>, kReadsNothing, true, kTextBytes<F>}),
        low_(low),
        high_(high) {}

  template <class R>
  void cell(R& rng, const RowView&, Sink& sink) const {
    write(rng.uniform_i64(low_, high_), sink);
  }

  static void write(std::int64_t value, Sink& sink) {
    char text[kTextBytes<F>];
    if constexpr (F == Form::Date) {
      write_date_text(civil_from_days(static_cast<std::int32_t>(value)), text);
      sink.date(static_cast<std::int32_t>(value), {text, sizeof text});
    } else if constexpr (F == Form::Datetime) {
      const std::int64_t day = value >= 0 ? value / kDay : (value - kDay + 1) / kDay;
      write_date_text(civil_from_days(static_cast<std::int32_t>(day)), text);
      text[10] = 'T';
      write_time_text(static_cast<std::uint32_t>(value - day * kDay), text + 11);
      std::copy_n("+08:00", 6, text + 19);
      sink.timestamp(value - kManilaOffset, {text, sizeof text});
    } else {
      write_time_text(static_cast<std::uint32_t>(value), text);
      sink.time_of_day(static_cast<std::int32_t>(value), {text, sizeof text});
    }
  }

  std::optional<UniqueForm> unique_form(const UniqueKeys& keys) const override {
    const std::int64_t low = low_;
    return permuted_form(*this, static_cast<std::uint64_t>(high_ - low_) + 1, keys,
                         [low](std::uint64_t i, Sink& sink) {
                           write(low + static_cast<std::int64_t>(i), sink);
                         });
  }

 private:
  std::int64_t low_, high_;
};

template <Form F>
std::shared_ptr<const Drawer> checked(const KindArgs& args, std::int64_t low, std::int64_t high) {
  if (low > high) fail(args, "empty range: START is after END");
  return std::make_shared<const MomentDrawer<F>>(low, high);
}

constexpr std::string_view kDayHelp =
    "a bound is YYYY-MM-DD or a signed count of days, weeks, months or years from the data "
    "set's date (-30d, -2w, -6m, -1y, 0d)";

std::shared_ptr<const Drawer> strict_date(const KindArgs& args) {
  const std::string_view text = args.parameters.value_or("-1y:0d");
  const auto range = split_range(text, [&](std::string_view bound, bool) {
    const auto day = day_bound(bound, args.as_of);
    return day ? std::optional<std::int64_t>(*day) : std::nullopt;
  });
  if (!range) fail(args, "expected date:START:END; " + std::string(kDayHelp));
  return checked<Form::Date>(args, range->first, range->second);
}

std::shared_ptr<const Drawer> strict_datetime(const KindArgs& args) {
  const std::string_view text = args.parameters.value_or("-1y:0d");
  const auto range = split_range(text, [&](std::string_view bound, bool end) {
    return datetime_bound(bound, args.as_of, end);
  });
  if (!range) {
    fail(args, "expected datetime:START:END; " + std::string(kDayHelp) +
                   ", or YYYY-MM-DDTHH:MM[:SS]");
  }
  return checked<Form::Datetime>(args, range->first, range->second);
}

std::shared_ptr<const Drawer> strict_time(const KindArgs& args) {
  if (!args.parameters) return std::make_shared<const MomentDrawer<Form::Time>>(0, kDay - 1);
  const auto range = split_range(*args.parameters, [](std::string_view bound, bool) {
    return time_bound(bound);
  });
  if (!range) fail(args, "expected time:START:END with HH:MM or HH:MM:SS bounds");
  return checked<Form::Time>(args, range->first, range->second);
}

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"date", ":START:END", "a day from START to END inclusive (default -1y:0d, the year to the "
   "data set's date)", ValueType::Date, kReadsNothing, true, "", strict_date, nullptr},
  {"datetime", ":START:END", "a second from START to END, Philippine time (+08:00); a day bound "
   "covers the whole day (default -1y:0d)", ValueType::Timestamp, kReadsNothing, true, "",
   strict_datetime, nullptr},
  {"time", ":START:END", "a time of day from START to END inclusive, HH:MM[:SS] (default the "
   "whole day)", ValueType::Time, kReadsNothing, true, "", strict_time, nullptr},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> date_kinds() { return kKinds; }

}  // namespace tarvo
