#include "cli/options.hpp"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <new>
#include <type_traits>

#include "cli/output.hpp"
#include "cli/wall.hpp"
#include "horn/characteristics.hpp"
#include "numerics/checked_math.hpp"
#include "numerics/fields.hpp"
#include "text/warnings.hpp"

namespace cli {

using text::fixed;
using text::read_double;
using text::read_float;
using text::shortened;
namespace {

bool positive(const std::optional<float>& v) { return v && std::isfinite(*v) && *v > 0.0f; }

template <class T>
CLI::Option* add_number_of(CLI::App& app, const std::string& name, std::optional<T>& target,
                           const std::string& description) {
  auto* option = app.add_option_function<std::string>(
      name,
      [&target, name](const std::string& text) {
        if constexpr (std::is_same_v<T, float>)
          target = read_float(name, text);
        else
          target = read_double(name, text);
      },
      description);
  return option->type_name("NUMBER");
}

}  // namespace

CLI::Option* add_number(CLI::App& app, const std::string& name, std::optional<float>& target,
                        const std::string& description) {
  return add_number_of(app, name, target, description);
}

CLI::Option* add_number(CLI::App& app, const std::string& name, std::optional<double>& target,
                        const std::string& description) {
  return add_number_of(app, name, target, description);
}

namespace {

// The numbers of a file, one a line ('#' starts a comment, blank lines
// passed over), read as the option reads each.
std::vector<float> numbers_from_file(const std::string& name, const std::string& path) {
  constexpr std::uintmax_t max_bytes = 64u << 20;
  const std::string text = read_text_file(name, path, max_bytes);
  std::vector<float> out;
  const auto lines = numerics::lines_of(text);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    std::string_view line = lines[k];
    if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) continue;
    line = line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
    try {
      out.push_back(read_float(name, line));
    } catch (const numerics::InvalidRequest& e) {
      throw UsageError(name + ": " + text::shortened(path) + ": line " + std::to_string(k + 1) + ": '" +
                       text::shortened(std::string(line)) + "' is not a number");
    }
  }
  if (out.empty()) throw UsageError(name + ": " + text::shortened(path) + ": no numbers in the file");
  return out;
}

}  // namespace

CLI::Option* add_numbers(CLI::App& app, const std::string& name, std::vector<float>& target,
                         const std::string& description) {
  auto* option = app.add_option_function<std::string>(
      name,
      [&target, name](const std::string& text) {
        target.clear();
        if (text.rfind('@', 0) == 0) {
          target = numbers_from_file(name, text.substr(1));
          return;
        }
        std::size_t start = 0;
        for (;;) {
          const std::size_t comma = text.find(',', start);
          target.push_back(read_float(name, std::string_view(text).substr(start, comma - start)));
          if (comma == std::string::npos) break;
          start = comma + 1;
        }
      },
      description);
  return option->type_name("NUMBER,...");
}

void add_horn_options(CLI::App& app, HornOptions& o, bool required) {
  auto* aperture = add_number(app, "--aperture-diameter", o.aperture_diameter,
                              "inner diameter of the aperture, in --unit");
  if (required) aperture->required();
  add_number(app, "--slant-radius", o.slant_radius, "cone apex to aperture rim along the wall, in --unit");
  add_number(app, "--cone-angle", o.cone_angle, "half angle of the cone, degrees");
  add_number(app, "--waveguide-diameter", o.waveguide_diameter,
             "inner diameter of the feeding waveguide, in --unit (with --axial-length or --cone-length)");
  add_number(app, "--axial-length", o.axial_length, "waveguide junction to aperture plane, in --unit");
  add_number(app, "--cone-length", o.cone_length,
             "waveguide junction to aperture rim along the wall, in --unit");
  add_outside_options(app, o.wall_thickness, o.flange_diameter);
  add_unit_option(app, o.unit);
}

void add_outside_options(CLI::App& app, std::optional<float>& wall_thickness,
                         std::optional<float>& flange_diameter) {
  add_number(app, "--wall-thickness", wall_thickness,
             "the wall's thickness, in --unit: an outer surface parallel to the inner wall, a flat rim "
             "face, the feeding guide's outside behind (the modal model; default a thin wall)");
  add_number(app, "--flange-diameter", flange_diameter,
             "a flat flange of the wall's thickness in the aperture plane, this wide, in --unit");
}

void add_unit_option(CLI::App& app, std::string& unit) {
  app.add_option("--unit", unit, "unit of the lengths: " + text::unit_list())
      ->check(CLI::IsMember(text::unit_choices()))
      ->capture_default_str();
}

horn::Horn horn_from(const HornOptions& o) {
  require(positive(o.aperture_diameter), "{aperture_diameter}: must be a positive length");
  const int given = int(o.slant_radius.has_value()) + int(o.cone_angle.has_value()) +
                    int(o.axial_length.has_value()) + int(o.cone_length.has_value());
  require(given == 1,
          "{slant_radius}, {cone_angle}, {axial_length} or {cone_length}: exactly one flare description is "
          "needed");
  const float D = *o.aperture_diameter;
  const bool waveguide_needed = o.axial_length || o.cone_length;
  require(waveguide_needed == o.waveguide_diameter.has_value(),
          "{waveguide_diameter}: goes with {axial_length} or {cone_length}, and only with them");

  horn::Horn h;
  h.unit_code = unit_code(o.unit);
  h.aperture_diameter = D;
  if (o.slant_radius) {
    require(std::isfinite(*o.slant_radius) && *o.slant_radius * 2.0f >= D,
            "{slant_radius}: must be at least half the aperture diameter");
    h.flare_type = horn::slant_radius_given;
    h.slant_radius = *o.slant_radius;
  } else if (o.cone_angle) {
    require(std::isfinite(*o.cone_angle) && *o.cone_angle > 0.0f && *o.cone_angle < 90.0f,
            "{cone_angle}: must lie between 0 and 90 degrees");
    h.flare_type = horn::cone_angle_given;
    h.cone_angle = *o.cone_angle;
  } else {
    require(positive(o.waveguide_diameter) && *o.waveguide_diameter < D,
            "{waveguide_diameter}: must be a positive length below the aperture diameter");
    h.waveguide_diameter = *o.waveguide_diameter;
    if (o.axial_length) {
      require(positive(o.axial_length), "{axial_length}: must be a positive length");
      h.flare_type = horn::axial_length_given;
      h.axial_length = *o.axial_length;
    } else {
      require(positive(o.cone_length) &&
                  double(*o.cone_length) > (double(D) - double(h.waveguide_diameter)) / 2.0,
              "{cone_length}: must exceed half the difference of the two diameters");
      h.flare_type = horn::cone_length_given;
      h.cone_length = *o.cone_length;
    }
  }
  try {
    horn::complete_geometry(h);
  } catch (const numerics::DomainError&) {
    throw UsageError("the flare description gives no real cone");
  }
  require(std::isfinite(h.slant_radius) && std::isfinite(h.cone_angle),
          "the flare description gives no real cone");
  return h;
}

void add_frequency_options(CLI::App& app, FrequencyOptions& o) {
  auto* start = add_number(app, "--start", o.start, "first frequency, GHz");
  auto* stop = add_number(app, "--stop", o.stop, "last frequency, GHz");
  auto* step = add_number(app, "--step", o.step, "frequency step, GHz");
  auto* list = add_numbers(app, "--frequencies", o.list,
                           "frequencies, GHz, separated by commas, or @FILE: one a line");
  for (auto* option : {start, stop, step}) option->excludes(list);
}

float Frequencies::operator[](std::int64_t index) const {
  if (!list.empty()) return list[static_cast<std::size_t>(index)];
  return horn::row_frequency(index + 1, start, step);
}

float Frequencies::highest() const {
  if (!list.empty()) return *std::max_element(list.begin(), list.end());
  return count == 0 ? 0.0f : std::max((*this)[0], (*this)[count - 1]);  // a range is monotonic
}

std::vector<float> Frequencies::all() const {
  std::vector<float> out;
  for (std::int64_t i = 0; i < count; ++i) out.push_back((*this)[i]);
  return out;
}

Frequencies frequencies(const FrequencyOptions& o, std::size_t limit) {
  Frequencies out;
  if (!o.list.empty()) {
    for (const float f : o.list) require(f > 0.0f, "{frequencies}: each must be a positive number of GHz");
    require(o.list.size() <= limit, "{frequencies}: too many (at most " + std::to_string(limit) + ")");
    out.list = o.list;
    out.count = static_cast<std::int64_t>(o.list.size());
    return out;
  }
  require(o.start && o.stop && o.step,
          "{start}, {stop} and {step} (or {frequencies}): the frequencies are needed");
  require(*o.step != 0.0f, "{step}: must not be 0");
  // Steps in the range, first in double, so that a tiny step cannot overflow
  // the row count's 32 bits.
  const double steps = (double(*o.stop) - double(*o.start)) / double(*o.step);
  require(!(steps > double(limit)),
          "{step}: too many rows (about " + fixed(steps, 0) + "; at most " + std::to_string(limit) + ")");
  const std::int32_t count = horn::frequency_count(*o.start, *o.stop, *o.step);
  require(count > 0, "{step}: the range has no rows (a step of the wrong sign?)");
  require(static_cast<std::size_t>(count) <= limit,
          "{step}: too many rows (at most " + std::to_string(limit) + ")");
  out.count = count;
  out.start = *o.start;
  out.step = *o.step;
  // The frequencies change monotonically, so the first and the last decide.
  require(out[0] > 0.0f && out[count - 1] > 0.0f, "{start}, {step}: every frequency must be positive");
  return out;
}

void add_model_option(CLI::App& app, std::string& model, const std::vector<Model>& choices,
                      const std::string& lead) {
  std::vector<std::string> names;
  names.reserve(choices.size());
  std::string description = lead + ": ";
  for (const Model m : choices) {
    names.push_back(model_name(m));
    description += names.back() + ", " + std::string(models::info(m).description) + "; ";
  }
  description += models::default_rule;
  app.add_option("--model", model, description)->check(CLI::IsMember(names));
}

std::optional<int> parse(CLI::App& app, int argc, char** argv, const std::function<void()>& validate) {
  const std::string name = app.get_name();
  try {
    app.parse(argc, argv);
    validate();
  } catch (const CLI::CallForHelp&) {
    std::cout << app.help();
    return 0;
  } catch (const CLI::CallForVersion&) {
    std::cout << app.version() << "\n";
    return 0;
  } catch (const CLI::ParseError& e) {
    // CLI11's words for an option given twice, in the programs' own.
    std::string what = e.what();
    if (const std::size_t at = what.find(": At Most 1 required but received"); at != std::string::npos)
      what = what.substr(0, at) + ": given more than once";
    std::cerr << name << ": " << option_words(what) << " (see --help)\n";
    return usage_status;
  } catch (const UsageError& e) {
    std::cerr << name << ": " << option_words(e.what()) << "\n";
    return usage_status;
  } catch (const numerics::InputError& e) {
    std::cerr << name << ": " << e.what() << "\n";
    return usage_status;
  }
  return std::nullopt;
}

std::int32_t unit_code(const std::string& name) {
  const auto code = horn::unit_code_of(name);
  if (!code) throw UsageError("{unit}: must be " + text::unit_list());
  return *code;
}

namespace {

const char* warning_program = "veskal";

// The programs' warnings on standard error, after the program's name.
void print_warning(const std::string& message) { std::cerr << warning_program << ": " << message << "\n"; }

}  // namespace

int guarded_main(const char* name, int (*run)(int, char**), int argc, char** argv) {
  warning_program = name;
  text::set_warning_sink(&print_warning);
  try {
    return run(argc, argv);
  } catch (const UsageError& e) {
    std::cerr << name << ": " << option_words(e.what()) << "\n";
    return usage_status;
  } catch (const numerics::InputError& e) {
    std::cerr << name << ": " << e.what() << "\n";
    return usage_status;
  } catch (const std::bad_alloc&) {
    std::cerr << name << ": out of memory\n";
    return failure_status;
  } catch (const std::exception& e) {
    std::cerr << name << ": " << option_words(e.what()) << "\n";
    return failure_status;
  }
}

void require_outputs_apart_from_inputs(const std::vector<std::pair<std::string, std::string>>& outputs,
                                       const std::vector<std::pair<std::string, std::string>>& inputs) {
  for (const auto& [output, output_path] : outputs)
    for (const auto& [input, input_path] : inputs) {
      if (output_path.empty() || input_path.empty() || !same_file(output_path, input_path)) continue;
      std::string message = output;
      message += ", ";
      message += input;
      message += ": both name ";
      message += shortened(output_path);
      message += " (the output would replace the input)";
      throw UsageError(message);
    }
}

void require_distinct_outputs(const std::vector<std::pair<std::string, std::string>>& options_and_paths) {
  for (std::size_t i = 0; i < options_and_paths.size(); ++i)
    for (std::size_t j = i + 1; j < options_and_paths.size(); ++j) {
      const auto& [a, path_a] = options_and_paths[i];
      const auto& [b, path_b] = options_and_paths[j];
      if (path_a.empty() || path_b.empty()) continue;
      if (!same_file(path_a, path_b)) continue;
      std::string message = a;
      message += ", ";
      message += b;
      message += ": both name ";
      message += shortened(path_a);
      throw UsageError(message);
    }
}

}  // namespace cli
