// src/core/census/weighted_texts.cpp: reading [text, weight] pairs into a drawable list.
#include "census/weighted_texts.hpp"

#include <utility>

#include "census/reading.hpp"

namespace tarvo::census {

WeightedTexts read_weighted_texts(simdjson::dom::element value) {
  WeightedList list = read_weighted_list(value);
  AliasTable table = make_table(list.weights);
  return WeightedTexts{std::move(list.texts), std::move(table)};
}

}  // namespace tarvo::census
