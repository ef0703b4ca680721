// src/core/engine/unique_column.cpp: which format and prefixes a unique column uses, and its keys.
#include "engine/unique_column.hpp"

#include "census/mobile.hpp"
#include "engine/plan.hpp"
#include "kinds/strict_parse.hpp"
#include "shown_text.hpp"
#include "providers/contact.hpp"
#include "providers/government.hpp"
#include "unique/capacity.hpp"

namespace tarvo {

UniqueColumn::UniqueColumn(std::string_view column, Kind kind, Profile profile,
                           const PhiloxKey& key, std::uint64_t stream)
    : kind_(kind) {
  // The column's own keys: Philox at {stream, 0, "unique", 0}, apart from every row's stream
  // (whose counters start with the row).
  const PhiloxBlock keys = philox4x64_10({stream, 0, 0x756E69717565u, 0}, key);
  const bool census = profile == Profile::Census;
  switch (kind) {
    case Kind::Uuid:
      capacity_ = unique::kUuidCapacity;
      uuid_key_ = keys[2];
      return;
    case Kind::Email:
      capacity_ = unique::EmailSuffix::kCapacity;
      email_.emplace(keys[0], keys[1]);
      return;
    case Kind::PhoneNumber:
      if (census) {
        for (const auto& prefix : census::census_mobiles().prefixes()) prefixes_.push_back(prefix.digits);
      } else {
        prefixes_ = contact_data().mobile_prefixes;
      }
      capacity_ = unique::phone_capacity(prefixes_.size());
      break;
    case Kind::SssNumber:
      prefixes_ = gov_data().sss_prefixes;
      capacity_ = unique::sss_capacity(prefixes_.size());
      break;
    case Kind::PhilhealthNumber:
      prefixes_ = gov_data().philhealth_prefixes;
      capacity_ = unique::philhealth_capacity(prefixes_.size());
      break;
    case Kind::TinNumber:
      tin_branch_ = census ? unique::TinBranch::head_office : unique::TinBranch::any;
      capacity_ = unique::tin_capacity(tin_branch_);
      break;
    default: {
      std::string message = "column '";
      message.append(shown_text(column)).append(
          "': cannot be unique; unique columns are uuid, id, email, phone_number, sss_number, "
          "tin_number and philhealth_number");
      throw SpecError(message);
    }
  }
  permutation_.emplace(capacity_, keys[0], keys[1]);
}

void UniqueColumn::write(std::uint64_t row, std::string& out) const {
  switch (kind_) {
    case Kind::Uuid: out.assign(unique::uuid_at(row, uuid_key_).view()); return;
    case Kind::PhoneNumber: out.assign(unique::phone_number_at(prefixes_, (*permutation_)(row)).view()); return;
    case Kind::SssNumber: out.assign(unique::sss_number_at(prefixes_, (*permutation_)(row)).view()); return;
    case Kind::PhilhealthNumber:
      out.assign(unique::philhealth_number_at(prefixes_, (*permutation_)(row)).view());
      return;
    default: out.assign(unique::tin_number_at((*permutation_)(row), tin_branch_).view()); return;
  }
}

void UniqueColumn::number_email(std::uint64_t row, std::string& out) const {
  const std::size_t at = out.find('@');
  std::string domain = out.substr(at);
  out.resize(at);
  unique::EmailSuffix::append(out, (*email_)(row));
  out.append(domain);
}

void check_unique_capacity(const Plan& plan, std::uint64_t rows_end) {
  for (const PlannedColumn& column : plan.columns) {
    if (!column.unique) continue;
    if (const auto error = unique::capacity_error(column.name, column.spec,
                                                  column.unique->capacity(), rows_end)) {
      throw SpecError(*error);
    }
  }
}

}  // namespace tarvo
