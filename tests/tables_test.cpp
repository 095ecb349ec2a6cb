// The tables below the front ends: a feed's rows on paraboloids (the
// optimum, the reflector's own relations, the given centre, the bounds), and
// how each front end words the libraries' typed errors.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>
#include <string>

#include "cli/usage.hpp"
#include "horn/geometry.hpp"
#include "numerics/errors.hpp"
#include "reflector/feed.hpp"
#include "tables/feed_table.hpp"

namespace {

horn::Horn readme_horn() {
  horn::Horn h{};
  h.unit_code = 1;
  h.aperture_diameter = 7.5f;
  h.flare_type = horn::slant_radius_given;
  h.slant_radius = 15.0f;
  horn::complete_geometry(h);
  return h;
}

// The optimum row is the best reflector: a degree either side loses
// efficiency; its f/D and half-angle agree; the gain follows from the
// diameter; the given centre is placed where asked.
TEST(FeedTable, OptimumIsTheBestReflectorAndRowsAgree) {
  const horn::Horn h = readme_horn();
  for (const models::Model model : {models::Model::classic, models::Model::spherical}) {
    feed::FrequencyFeed f = feed::horn_feed(h, 10.0f, model);
    ASSERT_TRUE(f.centres.engine && f.centres.classic);
    f.centres.given = *f.centres.engine + 0.5;
    const double units_per_metre = 1.0 / 0.0254;
    const feed::Row best = feed::optimum_row(f, 1.2, units_per_metre);
    EXPECT_TRUE(best.optimum);
    EXPECT_STREQ(feed::reflector_kind(best), "optimum");
    for (const double side : {-1.0, 1.0}) {
      const feed::Row other =
          feed::reflector_row(f, best.figures.half_angle + side * reflector::degree, 1.2, units_per_metre);
      EXPECT_FALSE(other.optimum);
      EXPECT_LT(other.figures.eta.aperture(), best.figures.eta.aperture());
    }
    EXPECT_NEAR(feed::half_angle_of_f_over_d(best.f_over_d()), best.figures.half_angle, 1e-12);
    EXPECT_NEAR(best.edge_illumination_db(), best.edge_taper_db() + best.space_attenuation_db(), 1e-12);
    const double lambda = f.wavelength_m;
    EXPECT_NEAR(*best.gain_dbi,
                10.0 * std::log10(best.figures.eta.aperture() * std::pow(std::numbers::pi * 1.2 / lambda, 2)),
                1e-9);
    // The row's centre is the best: every candidate centre does no better.
    for (const auto& eta : {best.eta_phase_given, best.eta_phase_engine, best.eta_phase_classic})
      EXPECT_LE(*eta, best.figures.eta.phase + 1e-12);
    // A centre given at the row's own gives its phase efficiency.
    f.centres.given = best.figures.phase_centre;
    EXPECT_NEAR(*feed::optimum_row(f, std::nullopt, units_per_metre).eta_phase_given, best.figures.eta.phase,
                1e-9);
    EXPECT_NEAR(best.wavelength, lambda * units_per_metre, 1e-12);
  }
}

// Every column once, frequency first; each numeric cell of a sound row is a
// number, the given centre's only where a centre was given.
TEST(FeedTable, ColumnsOnceAndFilled) {
  feed::FrequencyFeed f = feed::horn_feed(readme_horn(), 10.0f, models::Model::spherical);
  const feed::Row row = feed::reflector_row(f, 60.0 * reflector::degree, std::nullopt, 1.0);
  std::set<std::string> names;
  for (const feed::Column& c : feed::columns()) {
    EXPECT_TRUE(names.insert(c.name).second) << c.name;
    const feed::Value v = c.value(row);
    const std::string name = c.name;
    if (name.find("given") != std::string::npos || name == "reflector_gain_dbi") {
      EXPECT_FALSE(v) << name;
    } else if (name.find("cross_polar") == std::string::npos) {
      EXPECT_TRUE(v && std::isfinite(*v)) << name;
    }
  }
  EXPECT_EQ(std::string(feed::columns().front().name), "frequency_ghz");
  EXPECT_NEAR(row.half_angle_deg(), 60.0, 1e-12);
}

// The bounds, as typed errors: the limit with its quantity, value and limit;
// each front end words the parameter its own way.
TEST(FeedTable, BoundsAreTypedAndWordedByEachFrontEnd) {
  EXPECT_NEAR(feed::half_angle_of_f_over_d(0.25), std::numbers::pi / 2.0, 1e-12);
  try {
    feed::half_angle_of_f_over_d(0.02);
    FAIL();
  } catch (const numerics::InvalidRequest& e) {
    EXPECT_EQ(cli::option_words(e.what()),
              "--f-over-d: must be at least 0.022 (a half-angle of 170 degrees at most)");
    EXPECT_EQ(numerics::worded(e.what(), [](const std::string& n) { return n; }),
              "f_over_d: must be at least 0.022 (a half-angle of 170 degrees at most)");
  }
  EXPECT_THROW(feed::half_angle_of_degrees(171.0), numerics::InvalidRequest);
  try {
    feed::require_rows(1000, 100);
    FAIL();
  } catch (const numerics::LimitExceeded& e) {
    EXPECT_EQ(e.quantity(), "rows");
    EXPECT_EQ(e.value(), 101000.0);
    EXPECT_EQ(e.limit(), double(feed::max_rows));
  }
  EXPECT_NO_THROW(feed::require_rows(1000, 99));
}

TEST(Wording, OnlyParameterNamesInBracesAreWorded) {
  const auto python = [](const std::string& n) { return n; };
  EXPECT_EQ(cli::option_words("{f_over_d} excludes {half_angle}"), "--f-over-d excludes --half-angle");
  EXPECT_EQ(numerics::worded("{f_over_d} excludes {half_angle}", python), "f_over_d excludes half_angle");
  // Not a parameter: left as it is.
  for (const char* kept : {"{", "{}", "{Mixed}", "a {b c}", "end {", "set {1, 2}"})
    EXPECT_EQ(cli::option_words(kept), kept);
  EXPECT_EQ(cli::option_words("{model} modal: at most 10000"), "--model modal: at most 10000");
}

}  // namespace
