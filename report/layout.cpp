#include "report/layout.hpp"

#include "report/fixed_field.hpp"

namespace report::layout {

std::vector<std::string> compose(std::span<const Item> items, std::span<const float> values) {
  std::vector<std::string> records(1);
  std::size_t column = 0;  // 0-based position of the next placement
  std::size_t next_value = 0;
  auto place_at = [&](std::string& record) {
    if (record.size() < column) record.append(column - record.size(), ' ');
  };
  for (const Item& item : items) {
    std::string& record = records.back();
    if (const auto* text = std::get_if<Text>(&item)) {
      place_at(record);
      record += text->literal;
      column += text->literal.size();
    } else if (const auto* skip = std::get_if<Skip>(&item)) {
      column += static_cast<std::size_t>(skip->columns);
    } else if (const auto* field = std::get_if<Field>(&item)) {
      place_at(record);
      if (next_value < values.size()) {
        append_fixed(record, values[next_value++], field->width, field->decimals);
      } else {
        record.append(static_cast<std::size_t>(field->width), ' ');
      }
      column += static_cast<std::size_t>(field->width);
    } else {
      records.emplace_back();
      column = 0;
    }
  }
  return records;
}

}  // namespace report::layout
