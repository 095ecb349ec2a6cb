// A frequency sweep of one horn as veskal-sweep tabulates it, one row at a
// time: for every frequency the classic row of the report (bit for bit what
// veskal prints), its wavelength and phase error, and optionally the aperture
// engine's or the mode-matching engine's figures with the classic figures that
// fall outside the accuracy limits. Rows are computed and written one by one, so that memory does not
// grow with their number.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "aperture/figures.hpp"
#include "aperture/limits.hpp"
#include "horn/characteristics.hpp"
#include "horn/geometry.hpp"
#include "modal/band.hpp"
#include "models/domain.hpp"
#include "models/registry.hpp"
#include "text/frequency_list.hpp"

namespace sweep {

// The figures every engine gives.
struct EngineFigures : farfield::BeamFigures {
  double directivity_db;
};

// The engine's figures of one row, lengths in the horn's unit.
struct Check {
  std::string model;                     // the registry's name of the model checked
  std::optional<EngineFigures> figures;  // none when the engine refused the row
  std::string error;                     // why it did
  std::optional<double> e_phase_centre_length, h_phase_centre_length;
  std::vector<std::string> outside_limits;  // names of classic figures outside the limits
  // The mode-matching engine's input match (at every ka, so also where it
  // gives no radiation figures) and cross-polar peak.
  std::optional<double> return_loss_db, vswr, peak_cross_polar_db;
  // The return loss's uncertainty (dB) from the settled change; infinite
  // where only a lower bound is known (the change exceeds the reflection).
  std::optional<double> return_loss_uncertainty_db, te11_return_loss_db;
  std::optional<double> return_loss_lower_bound_db;  // where only that is known
  std::optional<double> unsettled;                   // the settled change, where it missed the target
  std::size_t guide_modes = 1;                       // propagating in the feeding guide
  // Each of them with its return loss, "TE-11:32.28;TM-11:20.14" (0.01 dB).
  std::string guide_return_losses;
  std::optional<double> front_to_back_db;  // where the model radiates backward
};

struct Row {
  float frequency;                               // GHz
  float wavelength;                              // in the horn's unit
  float phase_error;                             // s, as the gain routine forms it
  std::optional<horn::Characteristics> classic;  // none when the classic model cannot compute the row
  std::string classic_error;                     // why not
  bool beyond_tables = false;                    // s beyond the classic tables
  std::optional<Check> check;
  models::Domain domain;  // the verdicts on the row's figures' models
};

// What a run's rows said of their models, warned of once per cause when the
// run ends (text::warn), by the program and the Python module alike: the
// rows whose mode-matching steps and modes missed the target (the largest
// change), and each cause of the domain column but the classic tables' end
// (said with its largest s by the caller).
class Verdicts {
 public:
  explicit Verdicts(double target = 0.0) : target_(target) {}
  void take(const Row& row);
  void warn(std::size_t rows) const;

 private:
  double target_, largest_change_ = 0.0;
  text::FrequencyList unsettled_;
  models::CauseTally outside_;
};

// The row at `frequency`; with `check_model` (an engine's: an aperture
// model), the engine's figures too.
Row compute_row(const horn::Horn& horn, const float& frequency, std::optional<models::Model> check_model);

// The row at `frequency` checked by the mode-matching engine: the classic
// row of the cone, where the horn is one, and the engine's figures of the
// band's horn (lengths in the unit of `unit_code`).
// `model`: one that describes walls (modal, or modal-huygens).
Row compute_modal_row(const std::optional<horn::Horn>& cone, std::int32_t unit_code, const float& frequency,
                      const modal::Band& band, models::Model model = models::Model::modal);

// The rows of several frequencies the same way, in their order, on up to
// `threads` threads (the frequencies of a band are independent).
std::vector<Row> compute_modal_rows(const std::optional<horn::Horn>& cone, std::int32_t unit_code,
                                    const std::vector<float>& frequencies, const modal::Band& band,
                                    unsigned threads, models::Model model = models::Model::modal);

// The processor's cores (at least one).
unsigned cores();

// The mode-matching engine takes tens of milliseconds a frequency: a sweep
// checked by it holds at most this many (some minutes).
inline constexpr std::int64_t max_modal_rows = 10000;
// numerics::LimitExceeded beyond max_modal_rows ("{model} modal: at most ...").
void require_modal_rows(std::int64_t count);

// The engine's rows of `count` frequencies (the i-th is frequency(i)), a
// batch at a time on every core: `take` receives each row in order as its
// batch ends (so that memory does not grow with the rows), and `between`
// is called after each batch.
template <class Frequency, class Take, class Between>
void for_each_modal_row(const std::optional<horn::Horn>& cone, std::int32_t unit_code,
                        const modal::Band& band, std::int64_t count, Frequency frequency, Take take,
                        Between between, models::Model model = models::Model::modal) {
  const unsigned threads = cores();
  const std::int64_t batch = 16 * static_cast<std::int64_t>(threads);
  std::vector<float> some;
  some.reserve(static_cast<std::size_t>(batch));
  for (std::int64_t i = 0; i < count; i += batch) {
    some.clear();
    for (std::int64_t j = i; j < std::min(count, i + batch); ++j) some.push_back(frequency(j));
    for (const Row& row : compute_modal_rows(cone, unit_code, some, band, threads, model)) take(row);
    between();
  }
}

// The names of the figures that outside_limits lists.
inline constexpr const auto& figure_names = aperture::limits::figure_keys;

// The classic figures outside the accuracy limits against the engine's.
std::vector<std::string> outside_limits(const horn::Characteristics& classic, const EngineFigures& engine);

}  // namespace sweep
