// A frequency sweep of one horn as veskal-sweep tabulates it: for every
// frequency the classic row of the report (bit for bit what veskal prints),
// its wavelength and phase error, and optionally the aperture engine's
// figures with the classic figures that fall outside the accuracy limits.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "aperture/figures.hpp"
#include "horn/characteristics.hpp"
#include "horn/geometry.hpp"

namespace sweep {

// The engine's figures of one row, lengths in the horn's unit.
struct Check {
  aperture::Figures figures;
  std::optional<double> e_phase_centre_length, h_phase_centre_length;  // unweighted fit
  std::vector<std::string> outside_limits;  // names of classic figures outside the limits
};

struct Row {
  float frequency;                               // GHz
  float wavelength;                              // in the horn's unit
  float phase_error;                             // s, as the gain routine forms it
  std::optional<horn::Characteristics> classic;  // none when the classic model cannot compute the row
  std::string classic_error;                     // why not
  std::optional<Check> check;
};

struct Table {
  horn::Horn horn;
  std::vector<Row> rows;
  std::optional<aperture::Phase> check_phase;  // the engine's aperture phase, with --check
  std::size_t incomplete() const;
};

// The rows of `frequencies`; with `check_phase`, the engine's figures too.
Table compute(const horn::Horn& horn, const std::vector<float>& frequencies,
              std::optional<aperture::Phase> check_phase);

// The names of the figures that outside_limits lists.
inline constexpr const char* figure_names[] = {
    "gain",           "e_beamwidth_3db", "h_beamwidth_3db", "e_beamwidth_10db", "h_beamwidth_10db",
    "e_phase_centre", "h_phase_centre"};

}  // namespace sweep
