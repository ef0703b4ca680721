// src/core/kinds/strict_parse.hpp: a data set's reading of kind texts, which refuses anything unclear.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "kinds/registry.hpp"
#include "kinds/definition_error.hpp"

namespace tarvo {

// Resolves a kind's text (without column options) for a data set under `profile`: the kind is
// matched exactly by its name (the text before the first ':'), and its own reader takes the
// parameters. Throws DefinitionError quoting the text; for an unknown kind the message suggests the
// closest ones. The caller adds the column's name.
std::shared_ptr<const Drawer> resolve_strict(std::string_view text, const Profile& profile,
                                             CivilDate as_of,
                                             const ColumnLookup* columns = nullptr,
                                             std::uint64_t stream = 0);

// Up to three kind names close to `name` (a small edit distance, or `name` inside them),
// closest first.
std::vector<std::string_view> closest_kinds(std::string_view name);

}  // namespace tarvo
