#include "tables/pattern_files.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>

#include "horn/characteristics.hpp"
#include "models/classic.hpp"
#include "models/domain.hpp"
#include "models/engine.hpp"
#include "numerics/errors.hpp"
#include "reflector/sources.hpp"
#include "text/numbers.hpp"
#include "text/warnings.hpp"

namespace pattern_files {

bool is_format(const std::string& format) {
  return std::find(formats.begin(), formats.end(), format) != formats.end();
}

double default_step(const std::string& format) { return format == "ffs" || format == "ffd" ? 1.0 : 0.5; }

void check_request(const std::string& format, double step, std::size_t frequencies) {
  const auto require = [](bool ok, const std::string& message) {
    if (!ok) throw numerics::InvalidRequest(message);
  };
  const double steps = 180.0 / step;
  require(step > 0.0 && std::fabs(steps - std::round(steps)) < 1e-9 * steps,
          "{step}: must divide 180 degrees into whole steps");
  // The directions of one frequency: the sphere's grid, four cuts, or one
  // cut from 0.
  const double samples = format == "ffs" || format == "ffd" ? (steps + 1) * (2 * steps + 1)
                         : format == "cut"                  ? 4 * (2 * steps + 1)
                                                            : steps;
  require(frequencies >= 1, "{frequency}: at least one frequency is needed");
  require(frequencies <= max_frequencies, "{frequency}: at most 100 frequencies in one file");
  require(samples * double(frequencies) <= double(max_samples),
          "{step}: too small for a pattern file of " + std::to_string(frequencies) +
              (frequencies == 1 ? " frequency (" : " frequencies (") + std::to_string(max_samples) +
              " directions in all at most)");
  require(frequencies == 1 || format != "cassbeam", "{frequency}: a cassbeam feed file holds one frequency");
}

std::string warn_of_domain(models::Model model, const horn::Horn& horn, float f) {
  const models::Domain d = models::cone_domain(model, horn.in_inches(), f);
  std::string keys;
  for (const models::CauseInfo& c : models::causes())
    if (c.cause != models::Cause::beyond_classic_tables && d.has(c.cause)) {
      text::warn(models::domain_warning(c.cause, "at " + text::shortest(f) + " GHz"));
      if (!keys.empty()) keys += ';';
      keys += c.key;
    }
  return keys;
}

std::vector<exchange::Source> cone_sources(const horn::Horn& horn, const std::vector<float>& frequencies,
                                           models::Model model) {
  if (models::describes_walls(model)) throw std::logic_error("cone_sources: a wall's model");
  std::vector<exchange::Source> sources;
  sources.reserve(frequencies.size());
  for (const float f : frequencies) {
    std::optional<reflector::HornPattern> p;
    try {
      p.emplace(reflector::horn_pattern(f, horn.in_inches(), models::info(model).aperture_phase));
    } catch (const aperture::InvalidHorn& e) {
      throw aperture::InvalidHorn("at " + text::shortest(f) + " GHz: " + e.what());
    }
    reflector::Feed feed = p->feed();
    sources.push_back({double(f), p->pattern, std::sqrt(2.0 / feed.total_power())});
    const float s = horn::phase_error(horn.in_inches(), f);
    if (model == models::Model::classic && models::beyond_classic_tables(s))
      text::warn(models::beyond_tables_warning(s) + " (at " + text::shortest(f) + " GHz)");
    (void)warn_of_domain(model, horn, f);
  }
  return sources;
}

std::vector<exchange::Source> modal_sources(const modal::Band& band, const std::vector<float>& frequencies,
                                            models::Model model) {
  std::vector<exchange::Source> sources;
  sources.reserve(frequencies.size());
  for (const float f : frequencies) {
    try {
      const models::Result r =
          models::info(model).engine->evaluate({.band = &band}, f, {.fields = true, .figures = false});
      if (!r.refused.empty()) throw std::domain_error(r.refused);
      const reflector::RadiatorPattern p = reflector::radiator_pattern(r.radiator);
      sources.push_back({double(f), p.pattern, std::sqrt(2.0 / p.feed().total_power())});
    } catch (const std::exception& e) {
      throw std::runtime_error("at " + text::shortest(f) + " GHz: " + e.what());
    }
  }
  return sources;
}

void write(const exchange::Sink& out, const std::string& format, const std::vector<exchange::Source>& sources,
           double step, const std::string& title) {
  if (format == "cut") exchange::write_grasp_cut(out, sources, step, title);
  if (format == "ffs") exchange::write_cst_ffs(out, sources, step);
  if (format == "ffd") exchange::write_hfss_ffd(out, sources, step);
  if (format == "cassbeam") exchange::write_cassbeam(out, sources.front(), step);
}

}  // namespace pattern_files
