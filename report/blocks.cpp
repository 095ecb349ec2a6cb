#include "report/blocks.hpp"

#include <array>

#include "report/layout.hpp"

namespace report {
namespace {

using namespace layout;

constexpr std::array<Item, 3> file_banner_layout = {Break{}, Skip{4}, Text{" VESKAL"}};

// clang-format off
constexpr std::array<Item, 19> geometry_layout = {
    Break{}, Skip{4}, Text{" Characteristics of TE-11 Mode Circular Horn"}, Break{},
    Break{}, Skip{4}, Text{" Supplement to Qarendel by Orsolin"}, Break{},
    Break{}, Skip{4}, Text{" Aperture Diameter:"}, Field{8, 3}, Skip{2}, Text{" Slant Radius:"}, Field{8, 3}, Break{},
    Skip{4}, Text{" Cone Angle:"}, Field{7, 2},
};
// clang-format on

// clang-format off
constexpr std::array<Item, 10> waveguide_layout = {
    Skip{4}, Text{" Waveguide Diameter:"}, Field{8, 3}, Break{},
    Skip{4}, Text{" Axial Length:"}, Field{8, 3}, Skip{2}, Text{" Cone Length:"}, Field{8, 3},
};
// clang-format on

// clang-format off
constexpr std::array<Item, 22> column_headers_layout = {
    Break{},
    Skip{16}, Text{" Gain "}, Skip{2}, Text{" 3 dB Beamwidths  10 dB Beamwidths"}, Skip{3}, Text{" Phase Center"}, Break{},
    Skip{4}, Text{" Freq(GHz)"}, Skip{3}, Text{" dB"}, Skip{3},
    Text{" E Plane"}, Text{"  H Plane "}, Text{" E Plane"}, Text{"  H Plane "}, Text{" E Plane"}, Text{"  H Plane "},
    Break{},
};
// clang-format on

// clang-format off
constexpr std::array<Item, 16> result_row_layout = {
    Skip{4}, Field{10, 4}, Skip{1}, Field{7, 2},
    Skip{3}, Field{6, 1}, Skip{3}, Field{6, 1}, Skip{3}, Field{6, 1}, Skip{3}, Field{6, 1},
    Field{8, 3}, Field{9, 3},
};
// clang-format on

template <std::size_t N>
std::vector<std::string> records(const std::array<Item, N>& items, std::span<const float> values = {}) {
  return compose(items, values);
}

}  // namespace

std::vector<std::string> file_banner() { return records(file_banner_layout); }

std::vector<std::string> geometry_block(const horn::Horn& horn) {
  const float values[] = {horn.aperture_diameter, horn.slant_radius, horn.cone_angle};
  return records(geometry_layout, values);
}

std::vector<std::string> waveguide_block(const horn::Horn& horn) {
  const float lengths[] = {horn.waveguide_diameter, horn.axial_length, horn.cone_length};
  return records(waveguide_layout, lengths);
}

std::vector<std::string> column_headers() { return records(column_headers_layout); }

std::string result_row(const horn::Characteristics& row) {
  const float fields[] = {row.frequency,
                          row.gain,
                          row.e_beamwidth_3db,
                          row.h_beamwidth_3db,
                          row.e_beamwidth_10db,
                          row.h_beamwidth_10db,
                          row.e_phase_centre_length,
                          row.h_phase_centre_length};
  return records(result_row_layout, fields).front();
}

}  // namespace report
