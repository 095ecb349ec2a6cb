#include "console/terminal.hpp"

namespace console {
namespace {

std::string_view shown_part(std::string_view record) { return record.empty() ? record : record.substr(1); }

}  // namespace

void Terminal::record(std::string_view record) {
  text(shown_part(record));
  std::fputc('\n', stream_);
}

void Terminal::prompt(std::string_view record) { text(shown_part(record)); }

void Terminal::text(std::string_view characters) {
  std::fwrite(characters.data(), 1, characters.size(), stream_);
}

void Terminal::flush() { std::fflush(stream_); }

}  // namespace console
