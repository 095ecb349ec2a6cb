// What a feed does to a paraboloid, row by row, as veskal-feed prints it:
// the efficiencies at each reflector (and at the best one) of one frequency,
// the edge taper, the cross-polar peak, the phase centre placed at the focus,
// and what the feed would lose at the other candidate phase centres.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "horn/geometry.hpp"
#include "modal/band.hpp"
#include "models/domain.hpp"
#include "models/registry.hpp"
#include "reflector/feed.hpp"
#include "text/frequency_list.hpp"

namespace feed {

// The candidate phase centres of one frequency (wavelengths behind the
// pattern's reference point), where known.
struct Centres {
  std::optional<double> engine;   // the aperture engine's least-squares fit, mean of the planes
  std::optional<double> classic;  // the classic model's, mean of the planes
  std::optional<double> given;    // --phase-centre
};

struct Row {
  double frequency_ghz;
  bool optimum;  // the reflector of the highest aperture efficiency
  reflector::Figures figures;
  double wavelength;  // in the unit
  Centres centres;
  // The phase efficiency with the feed at each candidate centre.
  std::optional<double> eta_phase_engine, eta_phase_classic, eta_phase_given;
  std::optional<double> gain_dbi;  // eta_ap (pi D / lambda)^2, when a diameter is given
  models::Domain domain;           // the verdicts on the feed's model, and on the best phase centre
  std::string error;               // why the frequency has no figures; empty when it has

  double f_over_d() const { return reflector::f_over_d_for(figures.half_angle); }
  double half_angle_deg() const { return figures.half_angle / reflector::degree; }
  double edge_taper_db() const { return (figures.edge_taper_e_db + figures.edge_taper_h_db) / 2.0; }
  double space_attenuation_db() const { return reflector::space_attenuation_db(figures.half_angle); }
  double edge_illumination_db() const { return edge_taper_db() + space_attenuation_db(); }
};

// One frequency's feed and what the rows need beside it.
struct FrequencyFeed {
  double frequency_ghz;
  double wavelength_m;
  reflector::Feed feed;
  Centres centres;
  models::Domain domain;                   // the verdicts on the model at this frequency
  std::optional<double> apex_wavelengths;  // a cone's apex behind its aperture
};

// The row of a reflector of half-angle theta0 (radians), the feed at its
// best phase centre; the row of the optimum reflector. `diameter_m` gives
// the reflector gain; `units_per_metre` the unit of the lengths.
Row reflector_row(FrequencyFeed& f, double half_angle, std::optional<double> diameter_m,
                  double units_per_metre);
Row optimum_row(FrequencyFeed& f, std::optional<double> diameter_m, double units_per_metre);

// The rows of a frequency without figures: the reflectors asked for (by
// their half-angles, radians) and the optimum, every figure unknown, `why`
// in their error.
std::vector<Row> failed_rows(double frequency_ghz, const std::vector<double>& half_angles,
                             const std::string& why, double units_per_metre);

// One frequency's feed and rows: the feed `make` gives, with the phase
// centre given (metres behind the reference point) where there is one, the
// rows of the reflectors (half-angles, radians) and of the optimum. Where
// the model refuses the frequency or the feed's integrals do not converge,
// no feed and failed_rows with the reason; numerics::InvalidRequest (a bad
// request, not a frequency's failure) passes through.
struct FrequencyRows {
  std::optional<FrequencyFeed> feed;
  std::vector<Row> rows;
};
FrequencyRows frequency_rows(float frequency, const std::function<FrequencyFeed()>& make,
                             const std::vector<double>& half_angles, std::optional<double> given_centre_m,
                             std::optional<double> diameter_m, double units_per_metre);

// What a run's frequencies said: the frequencies of each cause of the
// domain column (`judged`: the rows' model is known, not a pattern file's),
// and those without figures.
class Tally {
 public:
  void take(float frequency, const FrequencyRows& rows, bool judged);
  // One warning for each cause but the classic tables' end, which the
  // callers say with its largest s (text::warn); the line that says which
  // frequencies have no figures and why, empty when all have them.
  std::string finish(std::int64_t frequencies) const;

 private:
  text::FrequencyList failed_;
  std::string first_failure_;
  models::CauseTally outside_;
};

// The largest distance of a phase centre from the aperture that
// --phase-centre takes, in wavelengths: the phase efficiency's integrals
// converge to it at every reflector.
inline constexpr double max_given_centre_wavelengths = 1000.0;

// The horn's feed at one frequency (GHz) in a model of the aperture engine
// or the classic routines, with the engine's and the classic model's phase
// centres beside it.
FrequencyFeed horn_feed(const horn::Horn& horn, float frequency, models::Model model);

// The feed of the band's horn at one frequency in a model that describes
// walls (models::describes_walls: the mode-matching engine, and any engine
// after it), through the engine interface, with its least-squares centre
// (and the classic model's, for a cone); a std::runtime_error saying why
// where the engine cannot radiate it.
FrequencyFeed wall_feed(models::Model model, const modal::Band& band, const std::optional<horn::Horn>& cone,
                        float frequency);

// The columns of a row, each once: veskal-feed's CSV columns and JSON keys
// and the Python module's. Every numeric column, in order; the text column
// "reflector" (reflector_kind: given or optimum) stands second, after
// frequency_ghz.
using Value = std::optional<double>;
struct Column {
  const char* name;
  const char* unit;  // "" for a ratio; "length" for the designer's unit
  std::function<Value(const Row&)> value;
};
const std::vector<Column>& columns();
const char* reflector_kind(const Row& row);

// 10 log10 of a ratio; none for a ratio that is not positive.
std::optional<double> decibels(double ratio);

// A run's bounds: frequencies, reflectors an option lists, and rows (each
// frequency's reflectors and its optimum).
inline constexpr std::size_t max_frequencies = 1000, max_reflectors = 10000, max_rows = 100000;
// The half-angle (radians) of a reflector given by its f/D (--f-over-d) or
// its half-angle in degrees (--half-angle); numerics::InvalidRequest naming the
// option outside f/D 0.022 ... or 0 ... 170 degrees.
double half_angle_of_f_over_d(double f_over_d);
double half_angle_of_degrees(double degrees);
// numerics::LimitExceeded when `option` lists more than max_reflectors, or the rows
// of `frequencies` and `reflectors` exceed max_rows.
void require_reflectors(const std::string& option, double count);
void require_rows(std::int64_t frequencies, std::size_t reflectors);

}  // namespace feed
