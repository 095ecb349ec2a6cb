// An error that ends the run: the diagnostic number, its message and the
// process exit status. Thrown by the console units, reported by the run.
#pragma once

#include <string>
#include <utility>

namespace console {

struct Severe {
  int number;
  std::string message;
  int exit_status;
};

// Exit status of a run-time error: the value 0xC0000000 | number, of which the
// platform keeps the low eight bits.
inline int exit_status_of(int number) { return static_cast<int>((0xC0000000u | unsigned(number)) & 0xFFu); }

inline Severe severe(int number, std::string message) {
  return Severe{number, std::move(message), exit_status_of(number)};
}

}  // namespace console
