// src/core/arrow/struct_json.hpp: an Arrow struct of text columns as one text column of JSON objects.
#pragma once

#include "arrow/c_data.hpp"
#include "arrow/c_export.hpp"

namespace tarvo::arrow {

// Each row of `array` (a struct whose children are utf8 or large_utf8, as `schema` says) as the
// text json.dumps(dict(row), ensure_ascii=False) gives: {"field": "value", ...} in field order.
// The result is utf8, or large_utf8 when its text passes 2 GiB; `out_schema` gets its type.
// A null anywhere, or a child of another type, throws std::invalid_argument: the caller keeps
// its own (slower) way for those.
ArrayParts struct_to_json(const ArrowSchema& schema, const ArrowArray& array,
                          SchemaParts& out_schema);

}  // namespace tarvo::arrow
