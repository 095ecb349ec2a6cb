#include "console/sweep.hpp"

#include <array>

#include "console/layout.hpp"
#include "horn/beamwidth.hpp"
#include "horn/gain.hpp"
#include "horn/phase_centre.hpp"
#include "numerics/real_to_int.hpp"

namespace console {
namespace {

using namespace layout;

constexpr std::array<Item, 3> file_banner_layout = {Break{}, Skip{4}, Text{" VESKAL"}};

constexpr std::array<Item, 19> geometry_layout = {
    Break{}, Skip{4}, Text{" Characteristics of TE-11 Mode Circular Horn"}, Break{},
    Break{}, Skip{4}, Text{" Supplement to Qarendel by Orsolin"}, Break{},
    Break{}, Skip{4}, Text{" Aperture Diameter:"}, Field{8, 3}, Skip{2}, Text{" Slant Radius:"}, Field{8, 3}, Break{},
    Skip{4}, Text{" Cone Angle:"}, Field{7, 2},
};

constexpr std::array<Item, 10> waveguide_layout = {
    Skip{4}, Text{" Waveguide Diameter:"}, Field{8, 3}, Break{},
    Skip{4}, Text{" Axial Length:"}, Field{8, 3}, Skip{2}, Text{" Cone Length:"}, Field{8, 3},
};

constexpr std::array<Item, 22> column_headers_layout = {
    Break{},
    Skip{16}, Text{" Gain "}, Skip{2}, Text{" 3 dB Beamwidths  10 dB Beamwidths"}, Skip{3}, Text{" Phase Center"}, Break{},
    Skip{4}, Text{" Freq(GHz)"}, Skip{3}, Text{" dB"}, Skip{3},
    Text{" E Plane"}, Text{"  H Plane "}, Text{" E Plane"}, Text{"  H Plane "}, Text{" E Plane"}, Text{"  H Plane "},
    Break{},
};

constexpr std::array<Item, 16> result_row_layout = {
    Skip{4}, Field{10, 4}, Skip{1}, Field{7, 2},
    Skip{3}, Field{6, 1}, Skip{3}, Field{6, 1}, Skip{3}, Field{6, 1}, Skip{3}, Field{6, 1},
    Field{8, 3}, Field{9, 3},
};

constexpr std::string_view frequency_prompt = " Enter Freq(GHz) Start, Stop, Step (0 terminate) ";
constexpr std::string_view end_of_run = " Stop - Program terminated.";

template <std::size_t N>
std::vector<std::string> records(const std::array<Item, N>& items, std::span<const float> values = {}) {
  return compose(items, values);
}

void to_terminal(Terminal& terminal, const std::vector<std::string>& lines) {
  for (const auto& line : lines) terminal.record(line);
}

void to_report(ReportFile& report, const std::vector<std::string>& lines) {
  for (const auto& line : lines) report.write_record(line);
}

}  // namespace

std::int32_t frequency_count(const float& start, const float& stop, const float& step) {
  constexpr float count_offset = 1.4f;
  return numerics::trunc_to_int32((double(stop) - double(start)) / double(step) + double(count_offset));
}

float row_frequency(std::int64_t index, const float& start, const float& step) {
  const float offset = static_cast<float>(index - 1);
  return double(offset) * double(step) + double(start);
}

std::vector<float> row_values(const Horn& horn, const float& frequency) {
  constexpr float speed_of_light = 11.80285f;
  const float units_per_inch = horn.units_per_inch();
  const float aperture_radius = double(horn.half_aperture) / double(units_per_inch);
  const float slant_radius_inches = double(horn.slant_radius) / double(units_per_inch);

  float e_3db = 0.0f, h_3db = 0.0f, e_10db = 0.0f, h_10db = 0.0f;
  horn::HCWBW(frequency, aperture_radius, slant_radius_inches, e_3db, h_3db, e_10db, h_10db);
  float gain = 0.0f;
  horn::CHNGN(frequency, aperture_radius, slant_radius_inches, gain);
  float e_centre = 0.0f, h_centre = 0.0f;
  horn::CHPCE(frequency, aperture_radius, slant_radius_inches, e_10db, e_centre, h_10db, h_centre);

  // Phase centres as lengths in the chosen unit: wavelengths times the
  // wavelength in inches times the unit factor.
  const float wavelength = double(speed_of_light) / double(frequency);
  const float e_length = double(e_centre) * double(wavelength) * double(units_per_inch);
  const float h_length = double(h_centre) * double(wavelength) * double(units_per_inch);
  return {frequency, gain, e_3db, h_3db, e_10db, h_10db, e_length, h_length};
}

std::vector<std::string> file_banner() { return records(file_banner_layout); }

std::vector<std::string> geometry_block(const Horn& horn) {
  const float values[] = {horn.aperture_diameter, horn.slant_radius, horn.cone_angle};
  return records(geometry_layout, values);
}

std::vector<std::string> waveguide_block(const Horn& horn) {
  const float lengths[] = {horn.waveguide_diameter, horn.axial_length, horn.cone_length};
  return records(waveguide_layout, lengths);
}

std::vector<std::string> column_headers() { return records(column_headers_layout); }

std::string result_row(const std::vector<float>& values) {
  return records(result_row_layout, values).front();
}

void run_sweeps(const Horn& horn, Terminal& terminal, Input& input, ReportFile& report,
                std::int64_t row_limit) {
  float start = 0.0f, stop = 0.0f, step = 0.0f;
  bool banner_written = false;
  for (;;) {
    terminal.prompt(frequency_prompt);
    terminal.flush();
    const ListItem items[] = {&start, &stop, &step};
    input.read_list(items);
    if (step == 0.0f) {
      terminal.record(end_of_run);
      return;
    }
    const std::int32_t count = frequency_count(start, stop, step);
    if (!banner_written) {
      to_report(report, file_banner());
      banner_written = true;
    }
    const auto geometry = geometry_block(horn);
    to_terminal(terminal, geometry);
    to_report(report, geometry);
    if (horn.has_waveguide()) {
      const auto waveguide = waveguide_block(horn);
      to_report(report, waveguide);
      to_terminal(terminal, waveguide);
    }
    const auto headers = column_headers();
    to_terminal(terminal, headers);
    to_report(report, headers);
    for (std::int64_t i = 1; i <= count; ++i) {
      if (row_limit-- <= 0) {
        terminal.record(end_of_run);
        return;
      }
      const std::string row = result_row(row_values(horn, row_frequency(i, start, step)));
      report.write_record(row);
      terminal.record(row);
    }
  }
}

}  // namespace console
