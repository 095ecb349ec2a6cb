// The command-line pieces that every companion program shares, so that the
// same thing has the same option everywhere: the horn in any of the dialogue's
// four descriptions and its unit, the frequencies, the model, the parse with
// its one-line messages and exit statuses, shortest round-trip numbers, and
// output written whole or not at all.
#pragma once

#include <CLI/CLI.hpp>

#include <nlohmann/json.hpp>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "aperture/field.hpp"
#include "horn/geometry.hpp"

namespace cli {

inline constexpr int usage_status = 2;  // a bad command line
inline constexpr int failure_status = 1;

// A bad command line, found after parsing: one line naming the option.
struct UsageError {
  std::string message;
};
void require(bool ok, const std::string& message);

// --aperture-diameter with one of --slant-radius, --cone-angle,
// --waveguide-diameter and --axial-length, --waveguide-diameter and
// --cone-length; --unit in|cm|mm|m.
struct HornOptions {
  std::optional<float> aperture_diameter, slant_radius, cone_angle, waveguide_diameter, axial_length,
      cone_length;
  std::string unit = "in";
};
void add_horn_options(CLI::App& app, HornOptions& options);
// The completed geometry, as the dialogue completes it. UsageError for a
// missing, conflicting or impossible description.
horn::Horn horn_from(const HornOptions& options);

// --start, --stop, --step (GHz, the report's row rule) or --frequencies a,b,c.
struct FrequencyOptions {
  std::optional<float> start, stop, step;
  std::vector<float> list;
};
void add_frequency_options(CLI::App& app, FrequencyOptions& options);
// At most `limit` frequencies. UsageError when none or too many.
std::vector<float> frequencies(const FrequencyOptions& options, std::size_t limit);

// --model: `choices` from classic, quadratic, spherical.
void add_model_option(CLI::App& app, std::string& model, const std::vector<std::string>& choices);
aperture::Phase phase_of(const std::string& model);  // quadratic or spherical

// Parses the command line, then runs `validate`. Returns the exit status to
// end with at once: 0 after --help or --version, usage_status after a one-line
// message on standard error; nothing when the program goes on.
std::optional<int> parse(CLI::App& app, int argc, char** argv, const std::function<void()>& validate);

// Shortest decimal text that reads back to the same value.
std::string shortest(float value);
std::string shortest(double value);

// The unit's name as the options spell it (in, cm, mm, m), and its code (1 ... 4).
std::string unit_name(const horn::Horn& horn);
std::int32_t unit_code(const std::string& name);

// "aperture 7.5 in, slant radius 15 in, cone angle 14.48°" (and the waveguide).
std::string horn_description(const horn::Horn& horn);

// A float as a JSON number that prints with the float's shortest digits; the
// horn's geometry with its unit, for the top of a JSON document.
double json_number(float value);
nlohmann::ordered_json horn_json(const horn::Horn& horn);

// Runs a program's `run`, turning an escaped exception (out of memory, an
// engine refusal) into one line on standard error and failure_status.
int guarded_main(const char* name, int (*run)(int, char**), int argc, char** argv);

// Writes the whole text to standard output (empty path), or to a temporary
// file beside `path` that is renamed into place, so that a failed run leaves
// nothing half-written and an existing file as it was. False on failure.
bool write_output(const std::string& path, const std::string& text);

}  // namespace cli
