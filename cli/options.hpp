// The command-line pieces that every companion program shares, so that the
// same thing has the same option everywhere: numbers read as veskal reads
// them, the horn in any of the dialogue's four descriptions and its unit, the
// frequencies, the model, and the parse with its one-line messages and exit
// statuses.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "aperture/field.hpp"
#include "cli/model.hpp"
#include "cli/usage.hpp"
#include "horn/geometry.hpp"
#include "text/numbers.hpp"

namespace cli {

inline constexpr int usage_status = 2;  // a bad command line
inline constexpr int failure_status = 1;

// Numeric options read by the shared number grammar (cli/text.hpp): a float
// for the classic model's inputs, a double for the others; a list separated
// by commas. The option's value is set once it is read.
CLI::Option* add_number(CLI::App& app, const std::string& name, std::optional<float>& target,
                        const std::string& description);
CLI::Option* add_number(CLI::App& app, const std::string& name, std::optional<double>& target,
                        const std::string& description);
// A list "a,b,c", or "@FILE": a file of one number a line ('#' comments),
// for lists longer than a command line holds.
CLI::Option* add_numbers(CLI::App& app, const std::string& name, std::vector<float>& target,
                         const std::string& description);

// --aperture-diameter with one of --slant-radius, --cone-angle,
// --waveguide-diameter and --axial-length, --waveguide-diameter and
// --cone-length; --unit in|cm|mm|m.
struct HornOptions {
  std::optional<float> aperture_diameter, slant_radius, cone_angle, waveguide_diameter, axial_length,
      cone_length;
  std::string unit = "in";
  std::string profile;  // a wall profile file instead (cli/wall.hpp)
  // The horn's outside (cli/wall.hpp): a wall this thick, a flange this wide.
  std::optional<float> wall_thickness, flange_diameter;
};
// `required`: the aperture diameter must be given (a program that can take
// a pattern instead checks for itself).
void add_horn_options(CLI::App& app, HornOptions& options, bool required = true);
// --wall-thickness and --flange-diameter alone (part of the horn options).
void add_outside_options(CLI::App& app, std::optional<float>& wall_thickness,
                         std::optional<float>& flange_diameter);
// The completed geometry, as the dialogue completes it. UsageError for a
// missing, conflicting or impossible description.
horn::Horn horn_from(const HornOptions& options);

// --start, --stop, --step (GHz, the report's row rule) or --frequencies a,b,c.
struct FrequencyOptions {
  std::optional<float> start, stop, step;
  std::vector<float> list;
};
void add_frequency_options(CLI::App& app, FrequencyOptions& options);
// The frequencies of a sweep without holding them: a range by the report's
// row rule, or a list.
struct Frequencies {
  std::int64_t count = 0;
  float start = 0.0f, step = 0.0f;             // a range
  std::vector<float> list;                     // or a list
  float operator[](std::int64_t index) const;  // 0-based
  std::vector<float> all() const;
  float highest() const;
};
// At most `limit` frequencies, each positive. UsageError when none or too many.
Frequencies frequencies(const FrequencyOptions& options, std::size_t limit);

// --model, taking exactly `choices` by name, its help from the registry:
// `lead`, then each choice's description and the default rule. Left empty
// by the parse, the model is chosen by settle_model (cli/wall.hpp).
void add_model_option(CLI::App& app, std::string& model, const std::vector<Model>& choices,
                      const std::string& description);

// --unit in|cm|mm|m.
void add_unit_option(CLI::App& app, std::string& unit);

// Parses the command line, then runs `validate`. Returns the exit status to
// end with at once: 0 after --help or --version, usage_status after a one-line
// message on standard error; nothing when the program goes on.
std::optional<int> parse(CLI::App& app, int argc, char** argv, const std::function<void()>& validate);

// The code (1 ... 4) of a unit's name (in, cm, mm, m); UsageError for another.
std::int32_t unit_code(const std::string& name);

// Runs a program's `run` and turns every error that escapes it into one line
// on standard error: a UsageError into usage_status; an output, engine or
// other failure, and running out of memory, into failure_status.
int guarded_main(const char* name, int (*run)(int, char**), int argc, char** argv);

// Usage error unless every pair of the non-empty output paths names two
// different files.
void require_distinct_outputs(const std::vector<std::pair<std::string, std::string>>& options_and_paths);
// Usage error when a non-empty output path names one of the run's input
// files (links followed, as for two outputs): writing it would replace the
// input the run reads.
void require_outputs_apart_from_inputs(const std::vector<std::pair<std::string, std::string>>& outputs,
                                       const std::vector<std::pair<std::string, std::string>>& inputs);

}  // namespace cli
