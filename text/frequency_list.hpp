// Up to eight frequencies of the rows a message speaks of, and how many
// there are: "6, 7, 8 GHz", "1, 2, 3, 4, 5, 6, 7, 8, ... GHz".
#pragma once

#include <cstddef>
#include <string>

#include "text/numbers.hpp"

namespace text {

class FrequencyList {
 public:
  void add(float f) {
    ++count_;
    if (count_ <= most) text_ += (text_.empty() ? "" : ", ") + shortest(f);
  }
  std::size_t count() const { return count_; }
  std::string text() const { return text_ + (count_ > most ? ", ..." : "") + " GHz"; }

 private:
  static constexpr std::size_t most = 8;
  std::size_t count_ = 0;
  std::string text_;
};

}  // namespace text
