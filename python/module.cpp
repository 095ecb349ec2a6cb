// The Python module `veskal`: a horn from any of its descriptions, the
// classic characteristics and the engines' figures of a sweep, the pattern of
// every model, the design solver and the feed efficiencies, computed by the
// libraries the programs use and named as the programs name them (keys are
// the CSV columns, arguments the options). Long computations run without the
// GIL and stop at Ctrl-C between batches of frequencies.
#include <pybind11/eval.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <complex>
#include <filesystem>
#include <mutex>
#include <numbers>
#include <unordered_map>

#include "cli/family.hpp"
#include "cli/options.hpp"
#include "cli/output.hpp"
#include "cli/usage.hpp"
#include "cli/wall.hpp"
#include "horn/units.hpp"
#include "models/classic.hpp"
#include "models/registry.hpp"
#include "numerics/checked_math.hpp"
#include "numerics/parallel.hpp"
#include "python/arguments.hpp"
#include "solver/request.hpp"
#include "synthesis/synthesis.hpp"
#include "tables/feed_table.hpp"
#include "tables/pattern_files.hpp"
#include "tables/pattern_table.hpp"
#include "tables/sweep_columns.hpp"
#include "tables/sweep_table.hpp"
#include "text/numbers.hpp"
#include "text/warnings.hpp"

namespace py = pybind11;
using python::choice;
using python::double_option;
using python::double_values;
using python::float_option;
using python::float_values;

namespace {

// The most frequencies of one call: the classic model's and the aperture
// engine's rows (about 200 MB of arrays with every column), the
// mode-matching engine's (as veskal-sweep), a feed's frequencies and rows
// (as veskal-feed), a pattern's angles (as veskal-pattern).
constexpr std::size_t max_rows = 1000000;
constexpr std::size_t max_angles = 1000000;
// Rows computed between two looks for Ctrl-C: at most this many, and no
// longer than about this (an engine's row takes a millisecond or more).
constexpr std::size_t batch_rows = 4096;
constexpr std::chrono::milliseconds batch_time{50};

// The names of some models, as model= takes them.
std::vector<std::string> names_of(const std::vector<models::Model>& list) {
  std::vector<std::string> names;
  names.reserve(list.size());
  for (const models::Model m : list) names.push_back(models::name(m));
  return names;
}

// The docstrings' words for model=: each choice with its registry
// description, and the default rule.
std::string model_help(const std::vector<models::Model>& list) {
  std::string text;
  for (const models::Model m : list)
    text += "'" + models::name(m) + "' (" + std::string(models::info(m).description) + "), ";
  return text + "None: the " + std::string(models::default_rule) + ".";
}

// The library's warnings (text::warn) arrive on any thread, without the
// GIL: kept here, then issued as Python RuntimeWarnings when the call that
// raised them returns, so that a script can catch or filter them.
std::mutex pending_mutex;
std::vector<std::string> pending;

void keep_warning(const std::string& message) {
  const std::lock_guard<std::mutex> hold(pending_mutex);
  pending.push_back(message);
}

// With the GIL held.
void issue_warnings() {
  std::vector<std::string> issued;
  {
    const std::lock_guard<std::mutex> hold(pending_mutex);
    issued.swap(pending);
  }
  for (const std::string& message : issued)
    if (PyErr_WarnEx(PyExc_RuntimeWarning, message.c_str(), 1) < 0) throw py::error_already_set();
}

// Ctrl-C (or another signal's handler raising) ends the call with its
// exception; called with the GIL held.
void check_signals() {
  if (PyErr_CheckSignals() != 0) throw py::error_already_set();
}

struct Horn {
  cli::HornOptions options;
  std::optional<horn::Horn> cone;  // a smooth cone's completed geometry
  std::optional<cli::Wall> wall;   // a profile's wall (a cone's is made when asked)

  // The wall the mode-matching engine analyses.
  cli::Wall modal_wall() const { return wall ? *wall : cli::wall_from(options); }
  std::string description() const {
    return cone ? "TE-11 conical horn, " + text::horn_description(*cone)
                : wall->kind + ", " + wall->description;
  }
};

// A path argument: str, bytes or os.PathLike, as the file system names it.
std::string path_of(const char* name, const py::object& path) {
  if (!py::isinstance<py::str>(path) && !py::isinstance<py::bytes>(path) && !py::hasattr(path, "__fspath__"))
    throw py::type_error(std::string(name) + ": must be a path (str, bytes or os.PathLike), not " +
                         std::string(py::str(path.get_type().attr("__name__"))));
  std::string out = py::module_::import("os").attr("fsdecode")(path).cast<std::string>();
  cli::require(!out.empty(), "{" + std::string(name) + "}: a file name is needed");
  return out;
}

Horn make_horn(const py::object& aperture_diameter, const py::object& slant_radius,
               const py::object& cone_angle, const py::object& waveguide_diameter,
               const py::object& axial_length, const py::object& cone_length, const py::object& unit,
               const py::object& profile, const py::object& wall_thickness,
               const py::object& flange_diameter) {
  Horn h;
  cli::HornOptions& o = h.options;
  o.unit = choice("{unit}", unit, text::unit_choices());
  o.aperture_diameter = float_option("{aperture_diameter}", aperture_diameter);
  o.slant_radius = float_option("{slant_radius}", slant_radius);
  o.cone_angle = float_option("{cone_angle}", cone_angle);
  o.waveguide_diameter = float_option("{waveguide_diameter}", waveguide_diameter);
  o.axial_length = float_option("{axial_length}", axial_length);
  o.cone_length = float_option("{cone_length}", cone_length);
  o.wall_thickness = float_option("{wall_thickness}", wall_thickness);
  o.flange_diameter = float_option("{flange_diameter}", flange_diameter);
  if (!profile.is_none()) {
    o.profile = path_of("profile", profile);
    for (const auto& [name, given] : {std::pair{"{aperture_diameter}", o.aperture_diameter.has_value()},
                                      {"{slant_radius}", o.slant_radius.has_value()},
                                      {"{cone_angle}", o.cone_angle.has_value()},
                                      {"{waveguide_diameter}", o.waveguide_diameter.has_value()},
                                      {"{axial_length}", o.axial_length.has_value()},
                                      {"{cone_length}", o.cone_length.has_value()}})
      cli::require(!given, std::string("{profile} excludes ") + name);
    py::gil_scoped_release free;
    h.wall = cli::wall_from(o);
  } else {
    cli::require(o.aperture_diameter.has_value(), "{aperture_diameter} or {profile}: a horn is needed");
    h.cone = cli::horn_from(o);
    // The outside's options are checked at once, with the wall when the
    // cone has its waveguide.
    cli::require_outside_options(o);
    if ((o.wall_thickness || o.flange_diameter) && o.waveguide_diameter) (void)cli::wall_from(o);
  }
  return h;
}

std::optional<float> length_of(const Horn& h, float horn::Horn::*length, bool waveguide) {
  if (!h.cone || (waveguide && !h.cone->has_waveguide())) return std::nullopt;
  return (*h.cone).*length;
}

// The model a call runs: `model` among `choices`, or (None) the registry's
// default for the horn; modal for a profile.
std::string model_of(const Horn& h, const py::object& model, const std::vector<models::Model>& choices) {
  std::string named = model.is_none() ? "" : choice("{model}", model, names_of(choices));
  cli::settle_model(h.options, !model.is_none(), named);
  return named;
}

// A 1-D array of `values`.
template <class T>
py::array_t<T> array_of(const std::vector<T>& values) {
  py::array_t<T> out(static_cast<py::ssize_t>(values.size()));
  std::copy(values.begin(), values.end(), out.mutable_data());
  return out;
}

// A text column kept compactly: each distinct text once, the rows as codes
// into them (a table's texts are mostly empty or repeat: a verdict, a model,
// an error's reason). Given to Python as a numpy object array whose equal
// cells are one shared str, so that a million rows of one reason cost a
// pointer each, as a million empty cells do.
class TextColumn {
 public:
  void reserve(std::size_t n) { codes_.reserve(n); }
  void add(const std::string& text) {
    const auto [at, fresh] = index_.try_emplace(text, std::uint32_t(distinct_.size()));
    if (fresh) distinct_.push_back(text);
    codes_.push_back(at->second);
  }
  py::array array() const {
    py::list texts(distinct_.size());
    for (std::size_t i = 0; i < distinct_.size(); ++i) texts[i] = py::str(distinct_[i]);
    const py::module_ np = py::module_::import("numpy");
    return np.attr("take")(np.attr("array")(texts, py::arg("dtype") = "O"), array_of(codes_));
  }

 private:
  std::unordered_map<std::string, std::uint32_t> index_;
  std::vector<std::string> distinct_;  // the keys of index_ in order of appearance (copies: the
                                       // column may be copied)
  std::vector<std::uint32_t> codes_;
};

// A column of `n` equal texts.
py::array repeated_text(const std::string& text, std::size_t n) {
  TextColumn c;
  c.reserve(n);
  for (std::size_t i = 0; i < n; ++i) c.add(text);
  return c.array();
}

// ---- characteristics -----------------------------------------------------

// One column's values: floats (classic), doubles (engine) or text; an empty
// cell is NaN or "".
struct ColumnValues {
  sweep::Column column;
  std::vector<float> floats;
  std::vector<double> doubles;
  TextColumn texts;

  void add(const sweep::Row& row) {
    const sweep::Cell cell = column.cell(row);
    switch (column.kind) {
      case sweep::ColumnKind::classic: {
        const auto* v = std::get_if<float>(&cell);
        floats.push_back(v ? *v : std::numeric_limits<float>::quiet_NaN());
        break;
      }
      case sweep::ColumnKind::engine: {
        const auto* v = std::get_if<double>(&cell);
        doubles.push_back(v ? *v : std::numeric_limits<double>::quiet_NaN());
        break;
      }
      case sweep::ColumnKind::text: {
        const auto* v = std::get_if<std::string>(&cell);
        texts.add(v ? *v : std::string());
        break;
      }
    }
  }
  py::object array() const {
    switch (column.kind) {
      case sweep::ColumnKind::classic: return array_of(floats);
      case sweep::ColumnKind::engine: return array_of(doubles);
      case sweep::ColumnKind::text: break;
    }
    return texts.array();
  }
};

py::dict characteristics(const Horn& h, const py::object& frequencies, bool check,
                         const py::object& model_arg) {
  const std::string model = model_of(h, model_arg, models::engine_models());
  if (!h.options.profile.empty()) check = true;  // a wall's figures are the engine's alone
  cli::require(check || model_arg.is_none(), "{model} requires {check}");
  cli::FrequencyOptions fo;
  fo.list = float_values("{frequencies}", frequencies);
  const cli::Frequencies list = cli::frequencies(fo, max_rows);
  const bool modal = check && models::describes_walls(cli::model_from(model));
  std::optional<cli::Wall> wall;
  if (modal) {
    wall = h.modal_wall();
    cli::require_wall_above_cut_off(*wall, list.highest());
    sweep::require_modal_rows(list.count);
  }
  const sweep::Layout layout{!wall || wall->cone.has_value(), check, modal};
  std::vector<ColumnValues> columns;
  for (const sweep::Column& c : sweep::columns(layout)) {
    columns.push_back({c, {}, {}, {}});
    ColumnValues& v = columns.back();
    const auto n = static_cast<std::size_t>(list.count);
    if (c.kind == sweep::ColumnKind::classic) v.floats.reserve(n);
    if (c.kind == sweep::ColumnKind::engine) v.doubles.reserve(n);
    if (c.kind == sweep::ColumnKind::text) v.texts.reserve(n);
  }
  sweep::Verdicts verdicts;
  const auto take = [&](const sweep::Row& row) {
    for (ColumnValues& c : columns) c.add(row);
    verdicts.take(row);
  };

  if (modal) {
    std::optional<modal::Band> band;
    {
      py::gil_scoped_release free;
      band.emplace(cli::settled_band(*wall, list.highest()));
    }
    verdicts = sweep::Verdicts(band->target());
    const std::int32_t unit = cli::unit_code(h.options.unit);
    // Without the GIL but between batches, where Ctrl-C is looked for.
    py::gil_scoped_release free;
    sweep::for_each_modal_row(
        wall->cone, unit, *band, list.count, [&](std::int64_t j) { return list.list[std::size_t(j)]; }, take,
        [] {
          py::gil_scoped_acquire hold;
          check_signals();
        },
        cli::model_from(model));
  } else {
    const auto checked = check ? std::optional(cli::model_from(model)) : std::nullopt;
    for (std::size_t i = 0; i < list.list.size();) {
      {
        py::gil_scoped_release free;
        const auto end = std::chrono::steady_clock::now() + batch_time;
        for (const std::size_t last = std::min(list.list.size(), i + batch_rows);
             i < last && (i % 16 != 0 || std::chrono::steady_clock::now() < end); ++i)
          take(sweep::compute_row(*h.cone, list.list[i], checked));
      }
      check_signals();
    }
  }
  verdicts.warn(list.list.size());
  py::dict out;
  for (const ColumnValues& c : columns) out[c.column.name] = c.array();
  issue_warnings();
  return out;
}

// ---- pattern -------------------------------------------------------------

py::dict pattern_arrays(const Horn& h, const py::object& frequency_arg, const py::object& angles_arg,
                        const py::object& model_arg, const py::object& reference_arg) {
  const std::string model = model_of(h, model_arg, models::all_models());
  const auto reference =
      choice("{phase_reference}", reference_arg, {"aperture", "phase-centre"}) == "aperture"
          ? pattern::PhaseReference::aperture
          : pattern::PhaseReference::phase_centre;
  const std::optional<float> frequency = float_option("{frequency}", frequency_arg);
  cli::require(frequency && *frequency > 0.0f, "{frequency}: must be a positive number of GHz");
  const std::vector<float> angles = float_values("angles", angles_arg);
  cli::require(!angles.empty(), "angles: at least one angle is needed");
  cli::require(angles.size() <= max_angles, "angles: a million at most");
  if (models::whole_sphere(cli::model_from(model)))
    for (const float a : angles)
      cli::require(a >= -180.0f && a <= 180.0f, "angles: must lie within -180 ... 180 degrees");
  else
    for (const float a : angles)
      cli::require(
          a >= -90.0f && a <= 90.0f,
          "angles: must lie within -90 ... 90 degrees (the model describes the forward half-space only)");

  pattern::Pattern result;
  if (models::describes_walls(cli::model_from(model))) {
    const cli::Wall wall = h.modal_wall();
    cli::require_wall_above_cut_off(wall, *frequency);
    py::gil_scoped_release free;
    const modal::Band band = cli::settled_band(wall, *frequency);
    try {
      result =
          pattern::compute_modal_pattern(band, *frequency, angles, reference, false, cli::model_from(model));
    } catch (const pattern::NoPhaseCentre&) {
      throw;
    } catch (const std::exception& e) {
      throw std::runtime_error("at " + text::shortest(*frequency) + " GHz: " + e.what());
    }
  } else {
    py::gil_scoped_release free;
    try {
      result = pattern::compute_pattern(*frequency, h.cone->in_inches(), angles, reference, false,
                                        cli::model_from(model));
    } catch (const numerics::DomainError&) {
      throw std::runtime_error(models::classic_failure(h.cone->in_inches(), *frequency));
    }
  }
  const std::vector<std::string> names = pattern::column_names(result);
  const std::size_t n = result.rows.size();
  std::vector<std::vector<float>> values(names.size(), std::vector<float>(n));
  std::vector<std::complex<double>> e(n), hf(n);
  for (std::size_t i = 0; i < n; ++i) {
    const pattern::PatternRow& r = result.rows[i];
    const float row[] = {r.angle,      r.e_amplitude, r.h_amplitude, r.e_relative,
                         r.h_relative, r.e_phase,     r.h_phase,     r.cross_relative};
    for (std::size_t c = 0; c < names.size(); ++c) values[c][i] = row[c];
    const auto field = [](float db, float degrees) {
      return std::polar(std::pow(10.0, double(db) / 20.0), double(degrees) * std::numbers::pi / 180.0);
    };
    e[i] = field(r.e_amplitude, r.e_phase);
    hf[i] = field(r.h_amplitude, r.h_phase);
  }
  py::dict out;
  for (std::size_t c = 0; c < names.size(); ++c) out[py::str(names[c])] = array_of(values[c]);
  out["e_field"] = array_of(e);
  out["h_field"] = array_of(hf);
  issue_warnings();
  return out;
}

// ---- pattern files ---------------------------------------------------------

// The pattern file veskal-pattern writes for the horn (its checks, sources
// and writers), into `path` as the programs write their outputs.
void write_pattern_file(const Horn& h, const py::object& path_arg, const py::object& frequency_arg,
                        const py::object& format_arg, const py::object& step_arg,
                        const py::object& model_arg) {
  const std::string path = path_of("path", path_arg);
  std::string format;
  if (format_arg.is_none()) {
    const std::string suffix = std::filesystem::path(path).extension().string();
    for (const char* f : pattern_files::formats)
      if (suffix == std::string(".") + f) format = f;
    cli::require(!format.empty(),
                 "{format}: not known from the file's suffix; give cut, ffs, ffd or cassbeam");
  } else {
    format = choice("{format}", format_arg, {"cut", "ffs", "ffd", "cassbeam"});
  }
  const std::string model = model_of(h, model_arg, models::all_models());
  const std::vector<float> frequencies = float_values("{frequency}", frequency_arg);
  for (const float f : frequencies) cli::require(f > 0.0f, "{frequency}: must be a positive number of GHz");
  const std::optional<double> step = double_option("{step}", step_arg);
  const double angle_step = step ? *step : pattern_files::default_step(format);
  pattern_files::check_request(format, angle_step, frequencies.size());
  cli::require_outputs_apart_from_inputs({{"{path}", path}}, {{"{profile}", h.options.profile}});
  const std::string title = "veskal " VESKAL_VERSION " (Python), ";
  std::vector<exchange::Source> sources;
  std::string horn;
  {
    py::gil_scoped_release free;
    if (models::describes_walls(cli::model_from(model))) {
      const cli::Wall wall = h.modal_wall();
      cli::require_wall_above_cut_off(wall, *std::max_element(frequencies.begin(), frequencies.end()));
      const modal::Band band =
          cli::settled_band(wall, *std::max_element(frequencies.begin(), frequencies.end()));
      sources = pattern_files::modal_sources(band, frequencies, cli::model_from(model));
      horn = wall.kind + ", " + wall.description + ", " + model + " model";
    } else {
      sources = pattern_files::cone_sources(*h.cone, frequencies, cli::model_from(model));
      horn = "TE-11 conical horn, " + text::horn_description(*h.cone) + ", " + model + " model";
    }
    cli::Transaction transaction;
    cli::OutputStream& out = transaction.open(path);
    pattern_files::write([&out](std::string_view text) { out.write(text); }, format, sources, angle_step,
                         title + horn);
    transaction.commit();
  }
  issue_warnings();
}

// The E- and H-plane cuts of a pattern file, one dict per frequency.
py::list read_pattern_file(const py::object& path_arg) {
  const std::string path = path_of("path", path_arg);
  std::vector<exchange::PlaneCuts> cuts;
  {
    py::gil_scoped_release free;
    const std::string text = cli::read_text_file("{path}", path, exchange::max_file_bytes);
    try {
      cuts = exchange::read_plane_cuts(text);
    } catch (const exchange::FormatError& e) {
      throw numerics::InvalidRequest("{path}: " + text::shortened(path) + ": " + e.what());
    }
  }
  py::list out;
  for (const exchange::PlaneCuts& c : cuts) {
    std::vector<double> degrees(c.angles.size());
    std::transform(c.angles.begin(), c.angles.end(), degrees.begin(),
                   [](double a) { return a * 180.0 / std::numbers::pi; });
    py::dict d;
    d["frequency_ghz"] = c.frequency_ghz ? py::object(py::float_(*c.frequency_ghz)) : py::none();
    d["angle_deg"] = array_of(degrees);
    d["e_field"] = array_of(c.e);
    d["h_field"] = array_of(c.h);
    out.append(d);
  }
  return out;
}

// ---- design --------------------------------------------------------------

// A family's request from design()'s arguments; `request` (a dict of
// them, kept in the design's dict) is what tolerance() rebuilds it from.
cli::FamilyArguments family_arguments_of(const py::dict& a) {
  auto get = [&](const char* key) { return a.contains(key) ? py::object(a[key]) : py::object(py::none()); };
  cli::FamilyArguments arguments;
  arguments.family = choice("{family}", get("family"), [] {
    std::vector<std::string> names;
    for (const synthesis::FamilyInfo& f : synthesis::families()) names.emplace_back(f.name);
    return names;
  }());
  arguments.frequency = float_option("{frequency}", get("frequency"));
  if (!get("frequencies").is_none()) arguments.band.list = float_values("{frequencies}", get("frequencies"));
  arguments.gain = double_option("{gain}", get("gain"));
  arguments.beamwidth_10db = double_option("{beamwidth_10db}", get("beamwidth_10db"));
  arguments.edge_taper = double_option("{edge_taper}", get("edge_taper"));
  arguments.half_angle = double_option("{half_angle}", get("half_angle"));
  arguments.f_over_d = double_option("{f_over_d}", get("f_over_d"));
  arguments.over_band = !get("over_band").is_none() && get("over_band").cast<bool>();
  arguments.return_loss = double_option("{return_loss}", get("return_loss"));
  arguments.cross_polar = double_option("{cross_polar}", get("cross_polar"));
  arguments.phase_centre_spread = float_option("{phase_centre_spread}", get("phase_centre_spread"));
  arguments.max_length = float_option("{max_length}", get("max_length"));
  arguments.max_aperture_diameter = float_option("{max_aperture_diameter}", get("max_aperture_diameter"));
  arguments.min_ridge = float_option("{min_ridge}", get("min_ridge"));
  arguments.waveguide_diameter = float_option("{waveguide_diameter}", get("waveguide_diameter"));
  arguments.wall_thickness = float_option("{wall_thickness}", get("wall_thickness"));
  arguments.flange_diameter = float_option("{flange_diameter}", get("flange_diameter"));
  arguments.unit = choice("{unit}", get("unit"), text::unit_choices());
  if (!get("model").is_none())
    arguments.model = choice("{model}", get("model"), names_of(models::engine_models()));
  if (!get("evaluations").is_none()) arguments.evaluations = get("evaluations").cast<int>();
  return arguments;
}

// The JSON of the programs as Python objects.
py::object from_json(const nlohmann::ordered_json& j) {
  return py::module_::import("json").attr("loads")(j.dump());
}

py::object family_design(const py::dict& request) {
  const cli::FamilyProblem asked = cli::family_problem(family_arguments_of(request));
  cli::FamilyDesign d;
  {
    py::gil_scoped_release free;
    try {
      d = cli::design_family(asked);
    } catch (const synthesis::Unfit& e) {
      throw std::runtime_error(cli::unfit_message(e, asked));
    }
  }
  py::dict out = from_json(cli::family_json(d));
  out["profile_text"] = d.profile;
  out["request"] = request;
  if (const std::string why = cli::shortfall_message(d); !why.empty()) text::warn(why);
  issue_warnings();
  return out;
}

// One chunk of a tolerance study: samples first ... first + count - 1 of
// the seed, each [worst return loss, worst cross-polar peak, largest width
// error] (NaN where the engine refused it). What a cluster's workers run.
std::vector<std::array<double, 3>> tolerance_samples(const py::dict& design, double tolerance,
                                                     std::uint64_t seed, std::uint64_t first,
                                                     std::uint64_t count, unsigned threads) {
  const cli::FamilyProblem asked = cli::family_problem(family_arguments_of(design["request"]));
  const std::string profile = design["profile_text"].cast<std::string>();
  std::vector<std::array<double, 3>> out;
  py::gil_scoped_release free;
  const auto wall = modal::read_profile(profile, asked.metres_per_unit);
  const auto outside = modal::read_outside(profile, asked.metres_per_unit);
  const synthesis::Evaluation nominal = synthesis::evaluate_wall(asked.problem, wall, outside);
  std::vector<synthesis::SampleFigures> figures(count);
  numerics::parallel_for(count, std::max(1u, threads), [&](std::size_t i) {
    // A length as the programs read it: a float in the unit.
    figures[i] = synthesis::sample_figures(asked.problem, wall, outside, nominal,
                                           double(static_cast<float>(tolerance)) * asked.metres_per_unit,
                                           seed, first + i);
  });
  out.reserve(figures.size());
  for (const synthesis::SampleFigures& f : figures)
    out.push_back({f.worst_return_loss, f.worst_cross_polar, f.beamwidth_error});
  return out;
}

py::dict tolerance_summary(const std::vector<std::array<double, 3>>& samples, double tolerance,
                           std::uint64_t seed) {
  std::vector<synthesis::SampleFigures> figures;
  figures.reserve(samples.size());
  for (const auto& s : samples) figures.push_back({s[0], s[1], s[2]});
  const synthesis::ToleranceStudy study = synthesis::summarise(figures);
  py::dict out = from_json(cli::tolerance_json(study, static_cast<float>(tolerance), seed));
  out["worst_return_loss_db"]["samples"] = study.worst_return_loss;
  out["worst_cross_polar_db"]["samples"] = study.worst_cross_polar;
  out["beamwidth_error_deg"]["samples"] = study.beamwidth_errors;
  return out;
}

Horn designed_horn(const py::object& frequency, const py::object& gain, const py::object& beamwidth_3db,
                   const py::object& beamwidth_10db, const py::object& f_over_d, const py::object& half_angle,
                   const py::object& edge_taper, const py::object& plane, const py::object& model,
                   const py::object& aperture_diameter, const py::object& slant_radius,
                   const py::object& waveguide_diameter, const py::object& unit,
                   const py::object& wall_thickness, const py::object& flange_diameter) {
  design::Request r;
  const std::optional<float> f = float_option("{frequency}", frequency);
  cli::require(f.has_value(), "{frequency}: the design frequency is needed");
  r.frequency = *f;
  r.gain = double_option("{gain}", gain);
  r.beamwidth_3db = double_option("{beamwidth_3db}", beamwidth_3db);
  r.beamwidth_10db = double_option("{beamwidth_10db}", beamwidth_10db);
  r.f_over_d = double_option("{f_over_d}", f_over_d);
  r.half_angle = double_option("{half_angle}", half_angle);
  r.edge_taper = double_option("{edge_taper}", edge_taper);
  r.plane = choice("{plane}", plane, {"e", "h", "mean"});
  if (!model.is_none()) r.model = choice("{model}", model, names_of(design::design_models()));
  r.aperture_diameter = float_option("{aperture_diameter}", aperture_diameter);
  r.slant_radius = float_option("{slant_radius}", slant_radius);
  r.waveguide_diameter = float_option("{waveguide_diameter}", waveguide_diameter);
  r.unit = choice("{unit}", unit, text::unit_choices());
  r.wall_thickness = float_option("{wall_thickness}", wall_thickness);
  r.flange_diameter = float_option("{flange_diameter}", flange_diameter);
  horn::Horn designed;
  {
    py::gil_scoped_release free;
    designed = design::design(r);
  }
  // The horn as the answers describe it to veskal.
  Horn h;
  h.options.unit = r.unit;
  h.options.aperture_diameter = designed.aperture_diameter;
  if (designed.has_waveguide()) {
    h.options.waveguide_diameter = designed.waveguide_diameter;
    h.options.axial_length = designed.axial_length;
  } else {
    h.options.slant_radius = designed.slant_radius;
  }
  h.options.wall_thickness = r.wall_thickness;  // the outside designed with, for the modal model
  h.options.flange_diameter = r.flange_diameter;
  h.cone = designed;
  return h;
}

// ---- feed ----------------------------------------------------------------

py::dict feed_arrays(const Horn& h, const py::object& frequencies, const py::object& f_over_d,
                     const py::object& half_angle, const py::object& model_arg,
                     const py::object& phase_centre, const py::object& reflector_diameter) {
  using cli::require;
  const std::string model = model_of(h, model_arg, models::all_models());
  cli::FrequencyOptions fo;
  fo.list = float_values("{frequencies}", frequencies);
  const cli::Frequencies list = cli::frequencies(fo, feed::max_frequencies);
  require(f_over_d.is_none() || half_angle.is_none(), "{f_over_d} excludes {half_angle}");
  std::vector<double> half_angles;  // radians
  for (const auto& [option, given] :
       {std::pair{"{f_over_d}", &f_over_d}, std::pair{"{half_angle}", &half_angle}}) {
    if (given->is_none()) continue;
    const std::vector<double> values = double_values(option, *given);
    feed::require_reflectors(option, double(values.size()));
    for (const double v : values)
      half_angles.push_back(given == &f_over_d ? feed::half_angle_of_f_over_d(v)
                                               : feed::half_angle_of_degrees(v));
  }
  feed::require_rows(list.count, half_angles.size());
  const std::optional<double> centre = double_option("{phase_centre}", phase_centre);
  const std::optional<double> diameter = double_option("{reflector_diameter}", reflector_diameter);
  if (diameter) require(*diameter > 0.0, "{reflector_diameter}: must be a positive length");
  const double units_per_metre = horn::units_per_metre(cli::unit_code(h.options.unit));
  const std::optional<double> diameter_m =
      diameter ? std::optional<double>(*diameter / units_per_metre) : std::nullopt;

  std::optional<cli::Wall> wall;
  std::optional<modal::Band> band;
  if (models::describes_walls(cli::model_from(model))) {
    wall = h.modal_wall();
    cli::require_wall_above_cut_off(*wall, list.highest());
    py::gil_scoped_release free;
    band.emplace(cli::settled_band(*wall, list.highest()));
  }
  // The given reflectors' rows and the optimum's, each a table.
  struct Table {
    std::vector<std::vector<double>> values = std::vector<std::vector<double>>(feed::columns().size());
    TextColumn domains, errors;

    void add(const feed::Row& row, const std::string& domain) {
      const std::vector<feed::Column>& columns = feed::columns();
      for (std::size_t c = 0; c < columns.size(); ++c) {
        const feed::Value v = columns[c].value(row);
        values[c].push_back(v && std::isfinite(*v) ? text::nine_digits(*v)
                                                   : std::numeric_limits<double>::quiet_NaN());
      }
      domains.add(domain);
      errors.add(row.error);
    }
    py::dict dict(const std::string& model) const {
      const std::vector<feed::Column>& columns = feed::columns();
      py::dict out;
      for (std::size_t c = 0; c < columns.size(); ++c) out[columns[c].name] = array_of(values[c]);
      out["model"] = repeated_text(model, values.front().size());  // as veskal-feed's
      out["domain"] = domains.array();
      out["error"] = errors.array();
      return out;
    }
  };
  Table given, optimum;
  feed::Tally tally;
  const std::optional<double> centre_m =
      centre ? std::optional<double>(*centre / units_per_metre) : std::nullopt;
  for (const float frequency : list.list) {
    {
      py::gil_scoped_release free;
      const feed::FrequencyRows done = feed::frequency_rows(
          frequency,
          [&] {
            return band ? feed::wall_feed(cli::model_from(model), *band, wall->cone, frequency)
                        : feed::horn_feed(*h.cone, frequency, cli::model_from(model));
          },
          half_angles, centre_m, diameter_m, units_per_metre);
      tally.take(frequency, done, true);
      for (const feed::Row& row : done.rows)
        (row.optimum ? optimum : given).add(row, row.error.empty() ? row.domain.cell() : "");
    }
    check_signals();
  }
  if (const std::string failures = tally.finish(list.count); !failures.empty()) text::warn(failures);
  py::dict out;
  out["given"] = given.dict(model);
  out["optimum"] = optimum.dict(model);
  issue_warnings();
  return out;
}

py::array_t<float> frequency_range(const py::object& start, const py::object& stop, const py::object& step) {
  cli::FrequencyOptions fo;
  fo.start = float_option("{start}", start);
  fo.stop = float_option("{stop}", stop);
  fo.step = float_option("{step}", step);
  return array_of(cli::frequencies(fo, max_rows).all());
}

}  // namespace

// The library's messages name their parameters as "{name}"
// (numerics/errors.hpp): here as the module's arguments, "name". The
// exceptions map as pybind11 maps them (ValueError for a bad argument,
// RuntimeError for a run that fails).
// pybind11's translators take the pointer by value.
void translate(std::exception_ptr thrown) {  // NOLINT(performance-unnecessary-value-param)
  const auto words = [](const char* message) {
    return numerics::worded(message, [](const std::string& name) { return name; });
  };
  try {
    if (thrown) std::rethrow_exception(thrown);
  } catch (const py::builtin_exception&) {
    throw;
  } catch (const std::invalid_argument& e) {
    PyErr_SetString(PyExc_ValueError, words(e.what()).c_str());
  } catch (const std::domain_error& e) {
    PyErr_SetString(PyExc_ValueError, words(e.what()).c_str());
  } catch (const std::runtime_error& e) {
    PyErr_SetString(PyExc_RuntimeError, words(e.what()).c_str());
  }
}

namespace {

// The Horn class.
void define_horn(py::module_& m) {
  const auto none = py::none();
  py::class_<Horn>(m, "Horn", R"(A horn, completed as veskal completes it.

A smooth conical horn from one of four descriptions (lengths in `unit`):
aperture_diameter with slant_radius, or with cone_angle (degrees), or with
waveguide_diameter and axial_length, or with waveguide_diameter and
cone_length. Or a horn of revolution from a wall profile file (`profile`:
z and radius a line, in `unit`, '#' comments; a line `outside` then the
outer contour), for the modal model. wall_thickness and flange_diameter
(in `unit`) give the modal model the horn's outside, as the programs'
--wall-thickness and --flange-diameter; without them the wall is thin.
A missing, conflicting or impossible description raises ValueError with
veskal's message.)")
      .def(py::init(&make_horn), py::kw_only(), py::arg("aperture_diameter") = none,
           py::arg("slant_radius") = none, py::arg("cone_angle") = none, py::arg("waveguide_diameter") = none,
           py::arg("axial_length") = none, py::arg("cone_length") = none, py::arg("unit") = "in",
           py::arg("profile") = none, py::arg("wall_thickness") = none, py::arg("flange_diameter") = none)
      .def_property_readonly(
          "aperture_diameter",
          [](const Horn& h) { return length_of(h, &horn::Horn::aperture_diameter, false); },
          "the aperture's inner diameter, in unit (None for a profile)")
      .def_property_readonly(
          "slant_radius", [](const Horn& h) { return length_of(h, &horn::Horn::slant_radius, false); },
          "the cone's slant radius from its apex to the aperture rim, in unit")
      .def_property_readonly(
          "cone_angle", [](const Horn& h) { return length_of(h, &horn::Horn::cone_angle, false); },
          "the cone's half-angle, degrees")
      .def_property_readonly(
          "waveguide_diameter",
          [](const Horn& h) { return length_of(h, &horn::Horn::waveguide_diameter, true); },
          "the feeding waveguide's inner diameter, in unit (None when not given)")
      .def_property_readonly(
          "axial_length", [](const Horn& h) { return length_of(h, &horn::Horn::axial_length, true); },
          "the flare's length along the axis from the waveguide, in unit (None without a waveguide)")
      .def_property_readonly(
          "cone_length", [](const Horn& h) { return length_of(h, &horn::Horn::cone_length, true); },
          "the flare's length along the wall from the waveguide, in unit (None without a waveguide)")
      .def_property_readonly(
          "unit", [](const Horn& h) { return h.options.unit; },
          ("the unit of the lengths: " + text::unit_list()).c_str())
      .def_property_readonly(
          "profile",
          [](const Horn& h) {
            return h.options.profile.empty() ? py::object(py::none()) : py::str(h.options.profile);
          },
          "the wall profile's file name (None for a cone)")
      .def_property_readonly("description", &Horn::description, "what the programs' titles call the horn")
      .def("__repr__", [](const Horn& h) { return "<veskal.Horn: " + h.description() + ">"; });
}

// characteristics() and pattern().
void define_tables(py::module_& m) {
  const auto none = py::none();

  m.def(
      "characteristics", &characteristics, py::arg("horn"), py::arg("frequencies"), py::kw_only(),
      py::arg("check") = false, py::arg("model") = none,
      (std::string(
           R"(The horn's characteristics at each frequency (GHz): a dict keyed by veskal-sweep's CSV columns.

frequencies: a number, a list or a 1-D array of GHz (a float32 array is taken
as it is; other numbers as their shortest digits would be typed). The classic
columns are float32, bit for bit the values of veskal's report; the engine's
(check=True) float64, rounded to nine significant digits as in the CSV; text
columns object arrays of str, equal cells one shared str; an empty cell is
NaN (numbers) or '' (text); modal adds engine_return_loss_db,
engine_vswr and engine_peak_cross_polar_db; a profile's horn is always
modal. At most 1,000,000 frequencies (10,000 with modal). model: the engine
checked, )") +
       model_help(models::engine_models()))
          .c_str());

  m.def(
      "pattern", &pattern_arrays, py::arg("horn"), py::arg("frequency"), py::arg("angles"), py::kw_only(),
      py::arg("model") = none, py::arg("phase_reference") = "aperture",
      (std::string(
           R"(The E- and H-plane far field at `angles` (degrees from the axis, -90 ... 90) at `frequency` (GHz).

A dict keyed by veskal-pattern's CSV columns (float32: amplitudes and
relative levels in dB, phases in degrees referred to the aperture centre or,
with phase_reference='phase-centre', to the model's phase centres), with
e_field and h_field as complex128 arrays from them. model: )") +
       model_help(models::all_models()))
          .c_str());
}

// write_pattern_file() and read_pattern_file().
void define_pattern_files(py::module_& m) {
  const auto none = py::none();
  m.def("write_pattern_file", &write_pattern_file, py::arg("horn"), py::arg("path"), py::arg("frequency"),
        py::kw_only(), py::arg("format") = none, py::arg("step") = none, py::arg("model") = none,
        (std::string(R"(Write the pattern file veskal-pattern writes, over the whole sphere.

frequency: GHz, a number or a list (at most 100; cassbeam one). format: cut
(GRASP), ffs (CST far-field source), ffd (HFSS far-field data) or cassbeam;
None takes it from the path's suffix. step: degrees, dividing 180 (1 for ffs
and ffd, 0.5 otherwise). The file is written whole or not at all, as the
programs write theirs. model: )") +
         model_help(models::all_models()))
            .c_str());
  m.def("read_pattern_file", &read_pattern_file, py::arg("path"),
        R"(The E- and H-plane cuts of a pattern file, as veskal-feed --pattern reads it.

Any of veskal-pattern's CSV table, a GRASP .cut, a CST .ffs or an HFSS .ffd
file (told by its content). A list with one dict per frequency in the file's
order: frequency_ghz (None where the file names none), angle_deg from 0 up,
and e_field and h_field, complex128: C_E = E_theta at phi = 0 and C_H =
-E_phi at 90 degrees, x the reference polarisation, phases referred to the
file's reference point.)");
}

// design(), feed() and frequencies().
void define_design_and_feed(py::module_& m) {
  const auto none = py::none();
  m.def("_cone_design", &designed_horn, py::kw_only(), py::arg("frequency"), py::arg("gain") = none,
        py::arg("beamwidth_3db") = none, py::arg("beamwidth_10db") = none, py::arg("f_over_d") = none,
        py::arg("half_angle") = none, py::arg("edge_taper") = none, py::arg("plane") = "mean",
        py::arg("model") = none, py::arg("aperture_diameter") = none, py::arg("slant_radius") = none,
        py::arg("waveguide_diameter") = none, py::arg("unit") = "in", py::arg("wall_thickness") = none,
        py::arg("flange_diameter") = none,
        (std::string(R"(The horn veskal-design finds: a Horn, lengths rounded as veskal reads them.

One requirement at `frequency` (GHz): gain (dB), beamwidth_3db or
beamwidth_10db (full width, degrees, in plane 'e', 'h' or 'mean'), or a
prime-focus paraboloid by f_over_d or half_angle (degrees): the highest
aperture efficiency, or with edge_taper (dB below the axis) that taper.
Constraints in `unit`: aperture_diameter or slant_radius fixed (the shortest
horn otherwise), waveguide_diameter for the shortest axial length (the
modal models need it), wall_thickness and flange_diameter for the modal
model's horn (kept in the Horn returned).
ValueError for a bad request,
RuntimeError when no horn meets it. model: )") +
         model_help(design::design_models()))
            .c_str());

  m.def("_family_design", &family_design, py::arg("request"));
  m.def("_tolerance_samples", &tolerance_samples, py::arg("design"), py::arg("tolerance"), py::arg("seed"),
        py::arg("first"), py::arg("count"), py::arg("threads"));
  m.def("_tolerance_summary", &tolerance_summary, py::arg("samples"), py::arg("tolerance"), py::arg("seed"));
  // design() for every family, and the tolerance study on a cluster: the
  // module's own Python, over the functions above.
  py::dict scope = m.attr("__dict__");
  scope["_cores"] = numerics::cores();
  scope["_max_samples"] = cli::max_samples;
  py::exec(R"(
def design(*, family='cone', **arguments):
    family_arguments = {'frequency', 'frequencies', 'gain', 'beamwidth_10db', 'edge_taper', 'half_angle',
                        'f_over_d', 'over_band', 'return_loss', 'cross_polar', 'phase_centre_spread',
                        'max_length', 'max_aperture_diameter', 'min_ridge', 'waveguide_diameter',
                        'wall_thickness', 'flange_diameter', 'unit', 'model', 'evaluations'}
    if family == 'cone':
        return _cone_design(**arguments)
    unknown = sorted(set(arguments) - family_arguments)
    if unknown:
        raise TypeError('design(): %s not taken with family=%r' % (', '.join(unknown), family))
    return _family_design(dict(arguments, family=family))

def _tolerance_chunk(design, tolerance, seed, first, count):
    # A cluster's task: a plain function of this module, which the workers
    # import by name (the bound C++ functions do not pickle).
    import veskal
    return veskal._tolerance_samples(design, tolerance, seed, first, count, 1)

def tolerance(design, tolerance, *, samples=100, seed=1, client=None, serial=False, chunk=25):
    if not isinstance(design, dict) or 'request' not in design or 'profile_text' not in design:
        raise ValueError('design: a dict from design(family=...)')
    if not (isinstance(samples, int) and 1 <= samples <= _max_samples):
        raise ValueError('samples: must lie within 1 ... %d' % _max_samples)
    if not tolerance > 0:
        raise ValueError('tolerance: must be a positive length')
    if not (isinstance(chunk, int) and chunk >= 1):
        raise ValueError('chunk: must be a positive whole number')
    if serial:
        rows = _tolerance_samples(design, float(tolerance), seed, 0, samples, _cores)
        return _tolerance_summary(rows, float(tolerance), seed)
    own = client is None
    if own:
        from distributed import Client, LocalCluster
        cluster = LocalCluster(n_workers=_cores, threads_per_worker=1, processes=True, dashboard_address=None)
        client = Client(cluster)
    try:
        firsts = list(range(0, samples, chunk))
        counts = [min(chunk, samples - f) for f in firsts]
        futures = client.map(_tolerance_chunk, [design] * len(firsts), [float(tolerance)] * len(firsts),
                             [seed] * len(firsts), firsts, counts, pure=False)
        rows = [row for part in client.gather(futures) for row in part]
    finally:
        if own:
            client.close()
            cluster.close()
    return _tolerance_summary(rows, float(tolerance), seed)
)",
           scope);
  m.attr("design").attr("__doc__") = (std::string(R"(The horn veskal-design finds.

family='cone' (the default): the conical horn, as _cone_design describes, a
Horn. Another family ('corrugated', 'potter', 'profiled', 'choke'): the horn for a
band (frequencies=[GHz, ...] or frequency=GHz) and requirements, as
veskal-design --family does it, a dict of veskal-design's JSON keys (family,
parameters, start, profile, band, centre, meets, all_met, evaluations,
seconds) with profile_text (the profile file) and request (the arguments);
a RuntimeWarning names each requirement missed. Arguments as the program's
options: beamwidth_10db, or edge_taper with half_angle or f_over_d, or
gain; over_band; return_loss; cross_polar; phase_centre_spread;
waveguide_diameter, max_length, max_aperture_diameter, min_ridge,
wall_thickness, flange_diameter (lengths in unit); model; evaluations.

Cone: )") + py::cast<std::string>(m.attr("_cone_design").attr("__doc__")))
                                         .c_str();
  m.attr("tolerance").attr("__doc__") = R"(A tolerance study of a design(family=...) dict.

Every dimension of the drawing moved by a uniform error within +-tolerance
(in the design's unit), `samples` samples drawn from `seed`, the same numbers
as veskal-design --tolerance. On a dask.distributed `client` when one is
given, in chunks of `chunk` samples; a local cluster of one process per core
when none is; in this process with serial=True. A dict: tolerance,
distribution, samples, seed, refused, and worst_return_loss_db,
worst_cross_polar_db, beamwidth_error_deg, each with median, p90, p99 and
samples (each sample's figure).)";

  m.def("feed", &feed_arrays, py::arg("horn"), py::arg("frequencies"), py::kw_only(),
        py::arg("f_over_d") = none, py::arg("half_angle") = none, py::arg("model") = none,
        py::arg("phase_centre") = none, py::arg("reflector_diameter") = none,
        (std::string(
             R"(What the horn does to prime-focus paraboloids: two tables, 'given' and 'optimum'.

Each table is a dict keyed by veskal-feed's CSV columns (without
'reflector'): 'given' holds one row per frequency (GHz) and reflector asked
(f_over_d, or half_angle in degrees: a number or a sequence), frequency by
frequency in the order asked; 'optimum' one row per frequency, the reflector
of the highest aperture efficiency. The feed stands at its best phase
centre. phase_centre (in the horn's unit behind the aperture) adds the phase
efficiency there; reflector_diameter (in the horn's unit) the reflector's
gain. Values float64, nine significant digits as in the CSV; NaN where there
is none. 'domain' is 'ok' or the causes that put the model outside its
measured domain; a frequency the model cannot compute has NaN rows with the
reason in 'error', and a RuntimeWarning says which. model: )") +
         model_help(models::all_models()))
            .c_str());

  m.def("frequencies", &frequency_range, py::arg("start"), py::arg("stop"), py::arg("step"),
        "The frequencies (GHz, float32) from start to stop by step, by veskal's report's row rule.");
}

}  // namespace

PYBIND11_MODULE(veskal, m) {
  py::register_exception_translator(&translate);
  text::set_warning_sink(&keep_warning);
  m.doc() =
      "VESKAL from Python: TE-11 conical horns and horns of revolution, their classic characteristics, "
      "the aperture and mode-matching engines' figures, patterns, designs and feed efficiencies, computed by "
      "the same code as the programs and keyed by the names of their CSV columns and options.";
  m.attr("__version__") = VESKAL_VERSION;
  define_horn(m);
  define_tables(m);
  define_pattern_files(m);
  define_design_and_feed(m);
}
