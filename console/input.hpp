// Console input, a line at a time. Every read starts on a fresh line; what a
// read leaves of its last line is dropped.
//
// Text read: the next line whole. Free-form read: numbers separated by blanks,
// tabs or one comma (with blanks around it); a line end also ends a value;
// empty lines are passed over and values may spread over several lines. A
// comma with no value before it is a null value (the item keeps its value),
// r*v stands for r copies of v and r* for r null values; a slash ends the read
// at once. Numbers: optional sign, digits with at most one point, optional
// exponent (E, D or Q in either case, optional sign, digits). A real item takes
// the nearest float; an integer item takes a plain integer as it is (the most
// negative integer when it does not fit) and truncates a number with a point or
// an exponent.
//
// Errors (console::Severe): 59 for a character that cannot belong to a number
// or a separator, 24 for the end of the input while a read waits.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <variant>

namespace console {

// One item of a free-form read: where the value goes and which kind it is.
using ListItem = std::variant<std::int32_t*, float*>;

class Input {
 public:
  explicit Input(std::FILE* stream) : stream_(stream) {}
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;
  ~Input();

  // The next line, without its line end ("\n", or "\r\n").
  std::string read_text();

  // Fills the items in order, or throws.
  void read_list(std::span<const ListItem> items);

 private:
  bool next_line();
  std::FILE* stream_;
  char* buffer_ = nullptr;
  std::size_t capacity_ = 0;
  std::string line_;
};

}  // namespace console
