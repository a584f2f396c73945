// Shared helpers of the form-text tests: values built by hand, and values
// and documents put through the parser and the writer.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "flexarium/form_text.h"

namespace flx::formtest {

inline std::string Reformat(const std::string& text) {
  return FormatFormText(*ParseFormText(text, "test.dfm"));
}

// Parses `value` as the one property of a one-object form.
inline FormValue ParseValue(const std::string& value) {
  auto doc =
      ParseFormText("object F: TF\n  P = " + value + "\nend\n", "value.dfm");
  EXPECT_EQ(doc->props.size(), 1u);
  if (doc->props.empty()) return {};
  return doc->props[0].value;
}

inline FormValue ListOf(std::vector<FormValue> elements) {
  FormValue v;
  v.kind = FormValue::Kind::List;
  v.list = std::move(elements);
  return v;
}

inline FormValue Bytes(std::vector<std::uint8_t> bytes) {
  FormValue v;
  v.kind = FormValue::Kind::Binary;
  v.bytes = std::move(bytes);
  return v;
}

inline FormCollectionItem Item(
    std::vector<FormProperty> props,
    std::optional<std::int64_t> index = std::nullopt) {
  FormCollectionItem item;
  item.props = std::move(props);
  item.index = index;
  return item;
}

inline FormValue CollectionOf(std::vector<FormCollectionItem> items) {
  FormValue v;
  v.kind = FormValue::Kind::Collection;
  v.items = std::move(items);
  return v;
}

inline FormProperty Prop(std::string name, FormValue value) {
  FormProperty p;
  p.name = std::move(name);
  p.value = std::move(value);
  return p;
}

}  // namespace flx::formtest
