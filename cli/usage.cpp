#include "cli/usage.hpp"

#include <algorithm>

namespace cli {

std::string option_words(std::string_view message) {
  return numerics::worded(message, [](std::string name) {
    std::ranges::replace(name, '_', '-');
    return "--" + name;
  });
}

}  // namespace cli
