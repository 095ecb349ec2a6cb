#include "text/warnings.hpp"

#include <atomic>
#include <cstdio>

namespace text {
namespace {

std::atomic<WarningSink> current{nullptr};

}  // namespace

void set_warning_sink(WarningSink sink) { current.store(sink); }

void warn(const std::string& message) {
  if (const WarningSink sink = current.load()) {
    sink(message);
    return;
  }
  std::fprintf(stderr, "warning: %s\n", message.c_str());
}

}  // namespace text
