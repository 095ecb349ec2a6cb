// The console side of the output: records shown from their column 2 (the
// control column is never shown), each on a line of its own; prompts shown
// without a line end so that the answer is typed behind them.
#pragma once

#include <cstdio>
#include <string_view>

namespace console {

class Terminal {
 public:
  explicit Terminal(std::FILE* stream) : stream_(stream) {}

  void record(std::string_view record);    // shown with "\n"
  void prompt(std::string_view record);    // shown without a line end
  void text(std::string_view characters);  // written as it stands
  void flush();

 private:
  std::FILE* stream_;
};

}  // namespace console
