// The verdicts on a figure's model: where the model that made a figure lies
// outside the domain it has been measured in (doc/accuracy.md, doc/modal.md),
// or a design lies at one of the solver's own bounds. Each cause has a key
// (the `domain` column and key of the CSV and JSON outputs: "ok", or the
// causes joined by ';') and a line of words (the warning on standard error).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "horn/geometry.hpp"
#include "modal/figures.hpp"
#include "models/registry.hpp"
#include "text/frequency_list.hpp"

namespace models {

// A design whose aperture or waveguide carries TE-11 less than 5 % above
// its cut-off is refused; any other horn there gets the near_cut_off verdict.
inline constexpr double cut_off_margin = 1.05;

// The ka from which the radiation of a model without the horn's outside
// holds: below it the rim and the outer wall shape the pattern (doc/modal.md,
// the full-wave comparison of a ka 5 cone).
inline constexpr double radiating_ka = 8.0;

enum class Cause : std::uint8_t {
  beyond_classic_tables,
  small_aperture,
  near_cut_off,
  phase_centre_behind_apex,
  phase_centre_ahead_of_aperture,
  solver_bound,
  several_modes_in_guide,
  return_loss_bound,
};

struct CauseInfo {
  Cause cause;
  std::string_view key;    // as the outputs' domain column gives it
  std::string_view words;  // the warning's text
};

// Every cause, in the order the outputs list them.
std::span<const CauseInfo> causes();
const CauseInfo& info(Cause cause);

// A set of causes; empty: every figure within its model's domain.
class Domain {
 public:
  void add(Cause c) { bits_ |= 1u << unsigned(c); }
  void add(const Domain& d) { bits_ |= d.bits_; }
  bool has(Cause c) const { return (bits_ & (1u << unsigned(c))) != 0; }
  bool ok() const { return bits_ == 0; }
  // "ok", or the keys joined by ';'.
  std::string cell() const;
  bool operator==(const Domain&) const = default;

 private:
  unsigned bits_ = 0;
};

// The warning for a cause, with where it holds ("3 of 9 rows, at 6, 7, 8
// GHz"): one line per cause.
std::string domain_warning(Cause cause, const std::string& where);

// A cone's verdicts in a model at a frequency (GHz): the classic tables'
// end (s beyond 0.8, classic model only), an aperture below radiating_ka,
// an aperture within cut_off_margin of its TE-11 cut-off.
Domain cone_domain(Model model, const horn::HornInInches& horn, double frequency_ghz);

// A phase centre `centre` behind the aperture plane (any length unit) of a
// cone whose apex lies `apex` behind it (the same unit): behind the apex,
// or in front of the aperture.
Domain phase_centre_domain(double centre, double apex);

// The return loss beyond which the model of the aperture (free space's
// wave impedance, the rim left out) gives an upper bound rather than a
// figure (doc/modal.md's full-wave comparison).
inline constexpr double return_loss_bound_db = 32.0;

// The verdicts on a mode-matching return loss (dB) of a model: beyond
// return_loss_bound_db where the model leaves the rim out (not the modal
// model, which has the horn's outside), and more than one mode propagating
// in the feeding guide.
Domain match_domain(Model model, double return_loss_db, std::size_t guide_modes);

// The return loss's uncertainty (dB) from the wave's settled change d: the
// larger of the moves to |G| - d and |G| + d; infinite where d >= |G| (a
// lower bound only).
double return_loss_uncertainty_db(const modal::Match& match);

// The least return loss the settled change allows, -20 log10(|G| + d) (dB).
double return_loss_lower_bound_db(const modal::Match& match);

// The return loss as a text or a picture says it, to 0.1 dB: "≥ X dB" where
// the settled change bounds it from below only (X the lower bound), "≤ X dB"
// beyond return_loss_bound_db where `rim_left_out` (an upper bound),
// otherwise "X dB" with " ± u" where the uncertainty reaches 0.05 dB.
std::string return_loss_text(const modal::Match& match, bool rim_left_out = true);

// The frequencies of a run's rows outside their models' domains, one list
// per cause but the classic tables' end (which its caller says with its
// largest s): the sweep's rows and the feed's frequencies alike.
class CauseTally {
 public:
  void take(const Domain& domain, float frequency);
  // One warning (text::warn) for each cause met: "(key: N of M <things>, at
  // F GHz)".
  void warn(std::size_t of, const char* things) const;

 private:
  std::vector<text::FrequencyList> lists_ = std::vector<text::FrequencyList>(causes().size());
};

// The warning for waves whose steps and modes did not settle to the target
// ("where": the frequencies), with the largest change.
std::string unsettled_warning(double change, double target, const std::string& where);

// The distance of a cone's apex behind its aperture plane, sqrt(R^2 - a^2),
// in the horn's unit.
double apex_distance(const horn::Horn& horn);

}  // namespace models
