// A pattern file a designer brings to veskal-feed, from arbitrary bytes:
// read as veskal-feed reads it (a veskal-pattern table, a CST or HFSS
// far-field file, or a GRASP cut file, by its content), and every pair of cuts read is analysed on a
// 30-degree reflector. The readers either return cuts or throw FormatError naming the line; the analysis of
// cuts read either returns figures or refuses a pattern with no power (InvalidReflector) or one that does not
// converge (NotConverged).
#include <cstdint>
#include <string_view>

#include "exchange/pattern_files.hpp"
#include "reflector/sources.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<exchange::PlaneCuts> sets;
  try {
    sets = exchange::read_plane_cuts(text);
  } catch (const exchange::FormatError&) {
    return 0;
  }
  for (const auto& cuts : sets) {
    const reflector::SampledPattern sampled(cuts.angles, cuts.e, cuts.h);
    reflector::Feed feed(sampled, sampled.reach(), sampled.panels());
    try {
      (void)feed.figures(30.0 * reflector::degree);
    } catch (const reflector::InvalidReflector&) {
    } catch (const reflector::NotConverged&) {
    }
  }
  return 0;
}
