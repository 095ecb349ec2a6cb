#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "console/dialogue.hpp"
#include "console/input.hpp"
#include "console/severe.hpp"
#include "console/sweep.hpp"
#include "numerics/checked_math.hpp"
#include "numerics/real_to_int.hpp"
#include "report/fixed_field.hpp"

namespace {

using namespace console;
using namespace report;

std::string fixed(float value, int width, int decimals) {
  std::string out;
  append_fixed(out, value, width, decimals);
  return out;
}

TEST(FixedField, RoundingSignsAndWidths) {
  struct Case {
    float value;
    int w, d;
    const char* expected;
  };
  // clang-format off
  const Case cases[] = {
      {22.345f, 7, 2, "  22.34"},     // stored as 22.3449993...
      {-0.0004f, 8, 3, "  -0.000"},
      {-0.0f, 6, 1, "  -0.0"},
      {0.0f, 6, 1, "   0.0"},
      {0.5f, 6, 1, "   0.5"},
      {12.5f, 10, 4, "   12.5000"},
      {-0.5f, 9, 3, "   -0.500"},
      {99999.9999f, 10, 4, "**********"},  // rounds beyond the field in single precision
      {9999.9f, 6, 1, "9999.9"},
      {9999.96f, 6, 1, "******"},
      {-999.9f, 6, 1, "-999.9"},
      {-999.96f, 6, 1, "******"},
      {9999.99f, 7, 2, "9999.99"},
      {10000.0f, 7, 2, "*******"},
      {-999.99f, 7, 2, "-999.99"},
      {-1000.0f, 7, 2, "*******"},
      {9999.999f, 8, 3, "9999.999"},
      {-999.999f, 8, 3, "-999.999"},
      {0.5f, 4, 3, ".500"},    // one column short: the leading zero goes
      {-0.5f, 5, 3, "-.500"},
      {0.5f, 3, 3, "***"},
      {12.0f, 5, 0, "  12."},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(fixed(c.value, c.w, c.d), c.expected) << c.value;
}

TEST(FixedField, NotANumberAndInfinities) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float value;
    int w;
    const char* expected;
  };
  // clang-format off
  const Case cases[] = {
      {nan, 6, " NaN  "}, {nan, 4, " NaN"}, {nan, 3, "***"},
      {inf, 9, " Infinity"}, {inf, 10, " Infinity "}, {inf, 8, " Inf    "}, {inf, 3, "***"},
      {-inf, 10, " -Infinity"}, {-inf, 9, " -Inf    "}, {-inf, 4, "****"},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(fixed(c.value, c.w, 3), c.expected) << c.w;
}

// Runs a free-form read of `text` into the items and returns the error number (0 if none).
int read(const std::string& text, std::span<const ListItem> items, std::string* rest = nullptr) {
  std::FILE* stream = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
  int number = 0;
  {
    Input input(stream);
    try {
      input.read_list(items);
      if (rest) *rest = input.read_text();
    } catch (const Severe& e) {
      number = e.number;
    }
  }
  std::fclose(stream);
  return number;
}

struct Three {
  float a = -1.0f, b = -1.0f, c = -1.0f;
};

TEST(FreeForm, ThreeReals) {
  struct Case {
    const char* input;
    float a, b, c;
  };
  // clang-format off
  const Case cases[] = {
      {"1 2 0.5\n", 1.0f, 2.0f, 0.5f},
      {"1 2\n0.5\n", 1.0f, 2.0f, 0.5f},
      {"1,2,0.5\n", 1.0f, 2.0f, 0.5f},
      {"1 , 2 , 0.5\n", 1.0f, 2.0f, 0.5f},
      {"\t1\t2\t0.5\n", 1.0f, 2.0f, 0.5f},
      {"\n  \n1\n\n2\n0.5\n", 1.0f, 2.0f, 0.5f},
      {"3*0\n", 0.0f, 0.0f, 0.0f},
      {"2*2.5 7\n", 2.5f, 2.5f, 7.0f},
      {"/\n", -1.0f, -1.0f, -1.0f},
      {"5 /\n", 5.0f, -1.0f, -1.0f},
      {"5/\n", 5.0f, -1.0f, -1.0f},
      {",5\n9\n", -1.0f, 5.0f, 9.0f},
      {"5,,6\n", 5.0f, -1.0f, 6.0f},
      {"5 , , 6\n", 5.0f, -1.0f, 6.0f},
      {"2*,8\n", -1.0f, -1.0f, 8.0f},
      {"1 2*/\n", 1.0f, -1.0f, -1.0f},
      {"5\n,6\n7\n", 5.0f, 6.0f, 7.0f},   // a comma that begins a line separates the value before
      {"5,\n,6\n", 5.0f, -1.0f, 6.0f},    // after a line ending in a comma it is a null value
      {"1 2 3 4 5\n", 1.0f, 2.0f, 3.0f},
      {"1e1 1D1 1q-1\n", 10.0f, 10.0f, 0.1f},
      {"1.E1 .5d0 -2.\n", 10.0f, 0.5f, -2.0f},
      {"+1 1e+1 1E39\n", 1.0f, 10.0f, INFINITY},
      {"1 2 3\r\n", 1.0f, 2.0f, 3.0f},
      {"1 2 3", 1.0f, 2.0f, 3.0f},
  };
  // clang-format on
  for (const auto& c : cases) {
    Three t;
    const ListItem items[] = {&t.a, &t.b, &t.c};
    EXPECT_EQ(read(c.input, items), 0) << c.input;
    EXPECT_EQ(t.a, c.a) << c.input;
    EXPECT_EQ(t.b, c.b) << c.input;
    EXPECT_EQ(t.c, c.c) << c.input;
  }
}

TEST(FreeForm, UnderflowKeepsItsSignAndRealsRoundOnce) {
  float x = 1.0f;
  const ListItem items[] = {&x};
  EXPECT_EQ(read("-1e-50\n", items), 0);
  EXPECT_EQ(x, 0.0f);
  EXPECT_TRUE(std::signbit(x));
  // Halfway between two floats in decimal, but not after a detour through double.
  EXPECT_EQ(read("1.00000005960464477539062500001\n", items), 0);
  EXPECT_EQ(x, std::nextafter(1.0f, 2.0f));
}

TEST(FreeForm, Integers) {
  struct Case {
    const char* input;
    std::int32_t expected;
  };
  // clang-format off
  const Case cases[] = {
      {"2\n", 2}, {"2.7\n", 2}, {"-2.9\n", -2}, {"0.5\n", 0}, {"1e1\n", 10},
      {"2147483647\n", 2147483647}, {"-2147483648\n", std::numeric_limits<std::int32_t>::min()},
      {"2147483648\n", numerics::invalid_integer}, {"99999999999999999999\n", numerics::invalid_integer},
      {"16777217.0\n", 16777216}, {"2147483647.0\n", numerics::invalid_integer}, {"-0\n", 0},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::int32_t value = 99;
    const ListItem items[] = {&value};
    EXPECT_EQ(read(c.input, items), 0) << c.input;
    EXPECT_EQ(value, c.expected) << c.input;
  }
}

TEST(FreeForm, SyntaxErrorsAndEndOfInput) {
  struct Case {
    const char* input;
    int error;
  };
  // clang-format off
  const Case cases[] = {
      {"abc\n", 59}, {"T\n", 59}, {"F\n", 59}, {"'1'\n", 59}, {"1e\n", 59}, {"1e+\n", 59},
      {".\n", 59}, {"+\n", 59}, {"-\n", 59}, {"0*1\n", 59}, {"+2*1\n", 59}, {"1+5\n", 59},
      {"1-5\n", 59}, {";\n", 59}, {"1..2\n", 59}, {"1e1e1\n", 59}, {"--1\n", 59},
      {"1 2 3\r", 59}, {"", 24}, {"\n\n", 24}, {"1 2\n", 24},
  };
  // clang-format on
  for (const auto& c : cases) {
    Three t;
    const ListItem items[] = {&t.a, &t.b, &t.c};
    EXPECT_EQ(read(c.input, items), c.error) << c.input;
  }
  std::int32_t value = 0;
  const ListItem one[] = {&value};
  EXPECT_EQ(read(std::string("1\0 2\n", 5), one), 59);
}

TEST(FreeForm, ReadsDropTheRestOfTheirLastLine) {
  std::int32_t value = 0;
  const ListItem items[] = {&value};
  std::string rest;
  EXPECT_EQ(read("4 5 6\nnext\n", items, &rest), 0);
  EXPECT_EQ(value, 4);
  EXPECT_EQ(rest, "next");
  EXPECT_EQ(read("4 abc\nnext\n", items, &rest), 0);  // surplus never examined
}

// A result row with the fields the report shows.
horn::Characteristics row_of(float frequency, float gain, float e3, float h3, float e10, float h10,
                             float e_centre, float h_centre) {
  horn::Characteristics c{};
  c.frequency = frequency;
  c.gain = gain;
  c.e_beamwidth_3db = e3;
  c.h_beamwidth_3db = h3;
  c.e_beamwidth_10db = e10;
  c.h_beamwidth_10db = h10;
  c.e_phase_centre_length = e_centre;
  c.h_phase_centre_length = h_centre;
  return c;
}

TEST(Report, BlockLayouts) {
  horn::Horn h;
  h.unit_code = 1;
  h.aperture_diameter = 4.0f;
  h.slant_radius = 4.0f;
  h.cone_angle = 30.0f;
  h.waveguide_diameter = 1.0f;
  h.axial_length = 9.887f;
  h.cone_length = 10.0f;
  const std::vector<std::string> geometry = {"",
                                             "     Characteristics of TE-11 Mode Circular Horn",
                                             "",
                                             "     Supplement to Qarendel by Orsolin",
                                             "",
                                             "     Aperture Diameter:   4.000   Slant Radius:   4.000",
                                             "     Cone Angle:  30.00"};
  EXPECT_EQ(geometry_block(h), geometry);
  const std::vector<std::string> waveguide = {"     Waveguide Diameter:   1.000",
                                              "     Axial Length:   9.887   Cone Length:  10.000"};
  EXPECT_EQ(waveguide_block(h), waveguide);
  const auto headers = column_headers();
  ASSERT_EQ(headers.size(), 4u);
  EXPECT_EQ(headers[0], "");
  EXPECT_EQ(headers[1], "                 Gain    3 dB Beamwidths  10 dB Beamwidths    Phase Center");
  EXPECT_EQ(headers[2].size(), 77u);
  EXPECT_EQ(headers[3], "");
  EXPECT_EQ(file_banner(), (std::vector<std::string>{"", "     VESKAL"}));
  const std::string row = result_row(row_of(12.5f, 22.34f, 15.2f, 18.0f, 27.5f, 31.0f, 1.234f, -0.5f));
  EXPECT_EQ(row, "       12.5000   22.34     15.2     18.0     27.5     31.0   1.234   -0.500");
  EXPECT_EQ(row.size(), 75u);
}

TEST(Report, OverwideValuesBecomeAsterisks) {
  const std::string row = result_row(row_of(1e6f, 1e5f, 1e4f, -1e3f, 5.0f, 5.0f, 1e5f, -1e5f));
  EXPECT_EQ(row, "    ********** *******   ******   ******      5.0      5.0*****************");
}

// Each block's two copies, in the order a reader of both sees them: the
// geometry and the headers on the console first, the waveguide block and the
// rows in the file first, the banner in the file alone.
struct Destination {
  std::vector<std::string>* log;
  const char* name;
  void record(std::string_view r) { log->push_back(std::string(name) + ":" + std::string(r)); }
  void write_record(std::string_view r) { record(r); }
};

TEST(Report, BlockWriteOrder) {
  struct Case {
    Block block;
    std::vector<std::string> expected;
  };
  // clang-format off
  const Case cases[] = {
      {Block::banner, {"file:a", "file:b"}},
      {Block::geometry, {"console:a", "console:b", "file:a", "file:b"}},
      {Block::waveguide, {"file:a", "file:b", "console:a", "console:b"}},
      {Block::headers, {"console:a", "console:b", "file:a", "file:b"}},
      {Block::row, {"file:a", "file:b", "console:a", "console:b"}},
  };
  // clang-format on
  const std::vector<std::string> records = {"a", "b"};
  for (const auto& c : cases) {
    std::vector<std::string> log;
    Destination console_side{&log, "console"}, file_side{&log, "file"};
    write_block(c.block, records, console_side, file_side);
    EXPECT_EQ(log, c.expected) << static_cast<int>(c.block);
  }
}

}  // namespace
