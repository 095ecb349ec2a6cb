#include "tables/sweep_columns.hpp"

#include <cmath>

#include "text/numbers.hpp"

namespace sweep {
namespace {

// Engine values to nine significant digits: far below the engine's accuracy
// limits, and short to read.
Cell engine_value(const std::optional<double>& v) {
  return v && std::isfinite(*v) ? Cell(text::nine_digits(*v)) : Cell();
}

// A return loss to the hundredth of a dB: its accuracy supports no more
// (the uncertainty stands beside it).
Cell hundredths(const std::optional<double>& v) {
  return v && std::isfinite(*v) ? Cell(std::round(*v * 100.0) / 100.0) : Cell();
}

// An uncertainty to three digits; infinite (written inf) where only a
// bound is known.
Cell uncertainty(const std::optional<double>& v) {
  if (!v) return Cell();
  return std::isinf(*v) ? Cell(*v) : Cell(text::nine_digits(std::ceil(*v * 1000.0) / 1000.0));
}

// An engine figure of a row, none where the engine refused the row.
template <class Get>
Cell engine_cell(const Row& r, Get get) {
  if (!r.check || !r.check->figures) return Cell();
  return engine_value(get(*r.check->figures));
}

std::optional<double> centre(const std::optional<farfield::PhaseCentreFit>& fit) {
  return fit ? std::optional(fit->wavelengths) : std::nullopt;
}

// Whether the row's classic figures are written: computed, and finite.
bool classic_ok(const Row& r) { return r.classic && r.classic_error.empty(); }

std::string joined(const std::vector<std::string>& names) {
  std::string out;
  for (const auto& n : names) out += (out.empty() ? "" : ";") + n;
  return out;
}

// clang-format off
constexpr Column classic_columns[] = {
    {"frequency_ghz", "GHz", ColumnKind::classic, [](const Row& r) { return Cell(r.frequency); }},
    {"wavelength", "length", ColumnKind::classic, [](const Row& r) { return Cell(r.wavelength); }},
    {"phase_error", "", ColumnKind::classic, [](const Row& r) { return Cell(r.phase_error); }},
    {"gain_db", "dB", ColumnKind::classic, [](const Row& r) { return classic_ok(r) ? Cell(r.classic->gain) : Cell(); }},
    {"e_beamwidth_3db_deg", "degrees", ColumnKind::classic, [](const Row& r) { return classic_ok(r) ? Cell(r.classic->e_beamwidth_3db) : Cell(); }},
    {"h_beamwidth_3db_deg", "degrees", ColumnKind::classic, [](const Row& r) { return classic_ok(r) ? Cell(r.classic->h_beamwidth_3db) : Cell(); }},
    {"e_beamwidth_10db_deg", "degrees", ColumnKind::classic, [](const Row& r) { return classic_ok(r) ? Cell(r.classic->e_beamwidth_10db) : Cell(); }},
    {"h_beamwidth_10db_deg", "degrees", ColumnKind::classic, [](const Row& r) { return classic_ok(r) ? Cell(r.classic->h_beamwidth_10db) : Cell(); }},
    {"e_phase_centre_wavelengths", "wavelengths", ColumnKind::classic, [](const Row& r) { return classic_ok(r) ? Cell(r.classic->e_phase_centre_wavelengths) : Cell(); }},
    {"h_phase_centre_wavelengths", "wavelengths", ColumnKind::classic, [](const Row& r) { return classic_ok(r) ? Cell(r.classic->h_phase_centre_wavelengths) : Cell(); }},
    {"e_phase_centre", "length", ColumnKind::classic, [](const Row& r) { return classic_ok(r) ? Cell(r.classic->e_phase_centre_length) : Cell(); }},
    {"h_phase_centre", "length", ColumnKind::classic, [](const Row& r) { return classic_ok(r) ? Cell(r.classic->h_phase_centre_length) : Cell(); }},
    {"classic_error", "", ColumnKind::text, [](const Row& r) { return r.classic_error.empty() ? Cell() : Cell(r.classic_error); }},
};
constexpr Column check_columns[] = {
    {"engine_directivity_db", "dB", ColumnKind::engine, [](const Row& r) { return engine_cell(r, [](const EngineFigures& f) { return std::optional(f.directivity_db); }); }},
    {"engine_e_beamwidth_3db_deg", "degrees", ColumnKind::engine, [](const Row& r) { return engine_cell(r, [](const EngineFigures& f) { return f.e_beamwidth_3db; }); }},
    {"engine_h_beamwidth_3db_deg", "degrees", ColumnKind::engine, [](const Row& r) { return engine_cell(r, [](const EngineFigures& f) { return f.h_beamwidth_3db; }); }},
    {"engine_e_beamwidth_10db_deg", "degrees", ColumnKind::engine, [](const Row& r) { return engine_cell(r, [](const EngineFigures& f) { return f.e_beamwidth_10db; }); }},
    {"engine_h_beamwidth_10db_deg", "degrees", ColumnKind::engine, [](const Row& r) { return engine_cell(r, [](const EngineFigures& f) { return f.h_beamwidth_10db; }); }},
    {"engine_e_phase_centre_wavelengths", "wavelengths", ColumnKind::engine, [](const Row& r) { return engine_cell(r, [](const EngineFigures& f) { return centre(f.e_phase_centre); }); }},
    {"engine_h_phase_centre_wavelengths", "wavelengths", ColumnKind::engine, [](const Row& r) { return engine_cell(r, [](const EngineFigures& f) { return centre(f.h_phase_centre); }); }},
    {"engine_e_phase_centre", "length", ColumnKind::engine, [](const Row& r) { return engine_value(r.check->e_phase_centre_length); }},
    {"engine_h_phase_centre", "length", ColumnKind::engine, [](const Row& r) { return engine_value(r.check->h_phase_centre_length); }},
    {"outside_limits", "", ColumnKind::text, [](const Row& r) { return r.classic && r.check->figures ? Cell(joined(r.check->outside_limits)) : Cell(); }},
    {"engine_error", "", ColumnKind::text, [](const Row& r) { return r.check->figures ? Cell() : Cell(r.check->error); }},
};
constexpr Column modal_columns[] = {
    {"engine_return_loss_db", "dB", ColumnKind::engine, [](const Row& r) { return hundredths(r.check->return_loss_db); }},
    {"engine_vswr", "", ColumnKind::engine, [](const Row& r) { return engine_value(r.check->vswr); }},
    {"engine_peak_cross_polar_db", "dB", ColumnKind::engine, [](const Row& r) { return engine_value(r.check->peak_cross_polar_db); }},
    {"engine_return_loss_uncertainty_db", "dB", ColumnKind::engine, [](const Row& r) { return uncertainty(r.check->return_loss_uncertainty_db); }},
    {"engine_te11_return_loss_db", "dB", ColumnKind::engine, [](const Row& r) { return hundredths(r.check->te11_return_loss_db); }},
    // Each mode propagating in the feeding guide, MODE:dB joined by ';'.
    {"engine_guide_return_losses_db", "", ColumnKind::text, [](const Row& r) { return r.check->guide_return_losses.empty() ? Cell() : Cell(r.check->guide_return_losses); }},
    // The axis against the back axis, where the model radiates backward.
    {"engine_front_to_back_db", "dB", ColumnKind::engine, [](const Row& r) { return engine_value(r.check->front_to_back_db); }},
};
// The model that made the engine's figures, last so that the columns before
// it keep their places.
constexpr Column model_column = {"engine_model", "", ColumnKind::text, [](const Row& r) { return Cell(r.check->model); }};
// The verdicts on the row's models, last of all: "ok" or the causes; empty
// where the row has no figure to judge.
constexpr Column domain_column = {"domain", "", ColumnKind::text, [](const Row& r) {
  const bool judged = classic_ok(r) || (r.check && (r.check->figures || r.check->return_loss_db));
  return judged ? Cell(r.domain.cell()) : Cell();
}};
// clang-format on

}  // namespace

std::vector<Column> columns(const Layout& layout) {
  // Without a cone: frequency and wavelength, no classic figures and no
  // limits to check them against.
  const std::size_t classic = layout.classic ? std::size(classic_columns) : 2;
  std::vector<Column> all(std::begin(classic_columns), std::begin(classic_columns) + classic);
  if (layout.checked)
    for (const Column& c : check_columns)
      if (layout.classic || std::string_view(c.name) != "outside_limits") all.push_back(c);
  if (layout.modal) all.insert(all.end(), std::begin(modal_columns), std::end(modal_columns));
  if (layout.checked) all.push_back(model_column);
  all.push_back(domain_column);
  return all;
}

std::vector<std::string> column_names(const Layout& layout) {
  std::vector<std::string> names;
  for (const Column& c : columns(layout)) names.emplace_back(c.name);
  return names;
}

}  // namespace sweep
