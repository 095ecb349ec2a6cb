// A companion's whole command line from arbitrary bytes: each line of the
// input is one argument. The program parses and computes as from a shell,
// with standard output sent to /dev/null and its messages to standard error
// dropped (libFuzzer keeps standard error for its reports); --output and
// --answers are dropped, so that no file is written, and --pattern, so that
// no file is read (fuzz_exchange reads patterns). So that every input
// ends within the fuzzer's time limit, an input whose numbers could ask for
// a horn large in wavelengths or for many rows is passed over: every number
// it holds (a range FROM:TO:STEP counts as three) lies within 12 in
// magnitude and within a factor of 12 of each other, so ka stays below 40
// and a sweep or a range of reflectors below 13 rows; a design asks for
// at most 25 dB of gain and beamwidths of at least 20 degrees (the programs'
// own limits are tested elsewhere). The exit status
// must be 0, 1 or 2. FUZZ_PROGRAM names the program's function.
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/options.hpp"
#include "numerics/decimal.hpp"
#include FUZZ_PROGRAM_HEADER

namespace {

const bool quiet = [] {
  const int null = ::open("/dev/null", O_WRONLY);
  if (null < 0 || ::dup2(null, 1) < 0) std::abort();
  ::close(null);
  std::cerr.rdbuf(nullptr);  // the programs' messages: written nowhere
  return true;
}();

// Whether a design's requirement keeps its horn small (above).
bool small_requirement(const std::vector<std::string>& arguments) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    const bool gain = a.rfind("--gain", 0) == 0, beamwidth = a.rfind("--beamwidth", 0) == 0;
    if (!gain && !beamwidth) continue;
    const std::size_t equals = a.find('=');
    const std::string value = equals != std::string::npos ? a.substr(equals + 1)
                              : i + 1 < arguments.size()  ? arguments[i + 1]
                                                          : "";
    const auto number = numerics::parse_decimal(value);
    if (!number) continue;
    const double v = numerics::nearest_double(*number);
    if ((gain && !(v <= 25.0)) || (beamwidth && !(v >= 20.0))) return false;
  }
  return true;
}

// Whether the numbers of the arguments keep a run short (above).
// The sphere-grid pattern files (ffs, ffd) are left to their unit tests:
// even a small grid of a dozen frequencies writes megabytes.
bool small_enough(const std::vector<std::string>& arguments) {
  if (!small_requirement(arguments)) return false;
  for (const std::string& a : arguments)
    if (a.find("ffs") != std::string::npos || a.find("ffd") != std::string::npos) return false;
  double largest = 0.0, smallest = INFINITY;
  for (const std::string& argument : arguments) {
    std::string_view text = argument;
    if (const std::size_t equals = text.find('='); equals != std::string_view::npos)
      text.remove_prefix(equals + 1);
    for (std::size_t start = 0; start <= text.size();) {
      const std::size_t comma = std::min(text.find_first_of(",:", start), text.size());
      if (const auto number = numerics::parse_decimal(text.substr(start, comma - start))) {
        const double value = std::abs(numerics::nearest_double(*number));
        if (!(value <= 12.0)) return false;
        if (value > 0.0) largest = std::max(largest, value), smallest = std::min(smallest, value);
      }
      start = comma + 1;
    }
  }
  return !(largest > 12.0 * smallest);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)quiet;
  std::vector<std::string> arguments{"fuzz"};
  std::string current;
  bool drop_next = false;
  auto push = [&] {
    const bool output = current.rfind("--output", 0) == 0 || current.rfind("--answers", 0) == 0 ||
                        current.rfind("--pattern", 0) == 0;
    if (!drop_next && !output) arguments.push_back(current);
    drop_next = output && current.find('=') == std::string::npos;
    current.clear();
  };
  for (std::size_t i = 0; i < size && arguments.size() < 32; ++i) {
    const char c = static_cast<char>(data[i]);
    if (c == '\n')
      push();
    else if (current.size() < 256 && c != '\0')
      current += c;
  }
  if (!current.empty()) push();
  if (!small_enough(arguments)) return 0;

  std::vector<char*> argv;
  for (std::string& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int status = cli::guarded_main("fuzz", FUZZ_PROGRAM, static_cast<int>(arguments.size()), argv.data());
  if (status < 0 || status > 2) __builtin_trap();
  return 0;
}
