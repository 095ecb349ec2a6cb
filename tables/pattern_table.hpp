// The far-field pattern of a horn over a range of angles, as veskal-pattern
// tabulates and draws it: the amplitudes and phases of the classic model
// (CHP11), of the aperture engine or of the mode-matching engine, the
// amplitudes relative to the axis, and optionally the phases referred to the
// model's phase centres (CHPCE's, or the engine's least-squares fit). The
// mode-matching engine adds the cross-polar field of the 45-degree plane.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "aperture/figures.hpp"
#include "horn/geometry.hpp"
#include "modal/band.hpp"
#include "modal/figures.hpp"
#include "models/registry.hpp"

namespace pattern {

enum class PhaseReference { aperture, phase_centre };

using models::Model;

struct PatternRow {
  float angle;                     // degrees
  float e_amplitude, h_amplitude;  // dB, as CHP11 gives them (the engine: 20 log10 |F|)
  float e_relative, h_relative;    // dB below the on-axis value
  float e_phase, h_phase;          // degrees
  float cross_relative;            // modal: |C_E - C_H| / 2 in dB below the co-polar axis value
};

struct Beamwidths {
  float e_3db, h_3db, e_10db, h_10db;  // full widths, degrees
};

struct Pattern {
  std::vector<PatternRow> rows;
  PhaseReference reference = PhaseReference::aperture;
  Model model = Model::classic;
  float e_phase_centre = 0.0f, h_phase_centre = 0.0f;  // the model's, wavelengths behind the aperture
  // The classic beamwidths and phase centres (wavelengths), where the classic
  // model can give them.
  bool has_beamwidths = false;
  Beamwidths beamwidths{};
  float classic_e_phase_centre = 0.0f, classic_h_phase_centre = 0.0f;
  std::optional<farfield::BeamFigures> engine;  // the engine's figures, for the engine models
  std::optional<modal::Figures> modal;          // and the mode-matching engine's own
};

// The phase reference asks for a phase centre that the engine cannot fit (no
// 10 dB point in the forward half-space).
struct NoPhaseCentre : std::runtime_error {
  NoPhaseCentre()
      : std::runtime_error(
            "--phase-reference phase-centre: the engine finds no 10 dB point within 90 degrees of the axis, "
            "so no "
            "phase centre") {}
};

// The columns of a pattern's table, in the order of PatternRow: angle, the
// two amplitudes, the two relative levels and the two phases (named for the
// phase reference), and the 45-degree cross-polar level with the
// mode-matching engine. veskal-pattern's CSV and the Python module's arrays
// take these names.
std::vector<std::string> column_names(const Pattern& pattern);

// Angles from `from` to `to` (degrees) by `step`: from + i step while not
// beyond `to` (a thousandth of a step of rounding allowed).
std::vector<float> angles(double from, double to, double step);

// Classic model: throws numerics::DomainError when it cannot describe the
// horn. Engine models: the classic beamwidths are added where the classic
// model gives them; aperture::InvalidHorn for a horn the engine refuses.
Pattern compute_pattern(const float& frequency, const horn::HornInInches& horn,
                        const std::vector<float>& angles, PhaseReference reference, bool with_beamwidths,
                        Model model = Model::classic);

// The pattern of a band's horn at `frequency` (GHz) by a model that
// describes walls (modal, with the outside, to 180 degrees; modal-huygens):
// std::domain_error with the engine's reason where it refuses (below its ka,
// below the feeding guide's cut-off).
Pattern compute_modal_pattern(const modal::Band& band, double frequency, const std::vector<float>& angles,
                              PhaseReference reference, bool with_figures, Model model = Model::modal);

// The phase change of a point source `centre` wavelengths behind the
// reference point, between the axis and `angle` (degrees): 360 centre (1 - cos).
double phase_centre_correction(double centre, double angle);

}  // namespace pattern
