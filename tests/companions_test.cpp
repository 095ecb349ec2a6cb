// The companions' own logic, below their command lines: the accuracy
// verdicts at their thresholds, the sweep's rows and writers, the design
// solver under every constraint and model, and the pictures' small pieces.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "aperture/limits.hpp"
#include "cli/json.hpp"
#include "horn/characteristics.hpp"
#include "horn/constants.hpp"
#include "models/classic.hpp"
#include "models/domain.hpp"
#include "models/registry.hpp"
#include "plot/svg.hpp"
#include "report/blocks.hpp"
#include "solver/solver.hpp"
#include "sweep/formats.hpp"
#include "tables/sweep_table.hpp"

namespace {

namespace l = aperture::limits;

// Each limit on both sides of its threshold.
TEST(AccuracyLimits, BothSidesOfEachThreshold) {
  struct Case {
    l::Figure figure;
    double classic, engine;
    l::Verdict expected;
  };
  const Case cases[] = {
      {l::Figure::gain, 20.19, 20.0, l::Verdict::holds},
      {l::Figure::gain, 20.21, 20.0, l::Verdict::within_twice},
      {l::Figure::gain, 19.59, 20.0, l::Verdict::fails},
      {l::Figure::e_beamwidth_3db, 10.9, 10.0, l::Verdict::holds},  // 1 degree above 5 % of 10
      {l::Figure::e_beamwidth_3db, 11.1, 10.0, l::Verdict::within_twice},
      {l::Figure::h_beamwidth_10db, 41.96, 40.0, l::Verdict::holds},         // 4.9 % of 40
      {l::Figure::h_beamwidth_10db, 42.04, 40.0, l::Verdict::within_twice},  // 5.1 %
      {l::Figure::h_beamwidth_10db, 44.1, 40.0, l::Verdict::fails},
      {l::Figure::e_phase_centre, 3.09, 3.0, l::Verdict::holds},
      {l::Figure::h_phase_centre, 2.89, 3.0, l::Verdict::within_twice},
      {l::Figure::h_phase_centre, NAN, 3.0, l::Verdict::fails},
  };
  for (const Case& c : cases)
    EXPECT_EQ(l::verdict(c.figure, c.classic, c.engine), c.expected) << c.classic << " " << c.engine;
}

horn::Horn horn_of(float aperture_diameter, float slant_radius) {
  horn::Horn h;
  h.unit_code = 1;
  h.flare_type = horn::slant_radius_given;
  h.aperture_diameter = aperture_diameter;
  h.slant_radius = slant_radius;
  horn::complete_geometry(h);
  return h;
}

// A frequency at which the horn has the given ka.
float frequency_for_ka(const horn::Horn& h, double ka) {
  return static_cast<float>(ka * double(horn::speed_of_light) /
                            (std::numbers::pi * double(h.aperture_diameter)));
}

// A small horn whose classic gain truly lies outside the limit (ka 5, s near
// 0.3: the classic gain reads 0.3 dB low against the quadratic phase), and
// one whose figures all hold (ka 30, s near 0.1).
TEST(SweepRows, OutsideLimitsNamesWhatFails) {
  const horn::Horn small = horn_of(2.0f, 1.33f);
  const sweep::Row low = sweep::compute_row(small, frequency_for_ka(small, 5.0), models::Model::quadratic);
  ASSERT_TRUE(low.classic && low.check && low.check->figures);
  EXPECT_NEAR(low.phase_error, 0.3, 0.03);
  EXPECT_LT(low.classic->gain - low.check->figures->directivity_db, -l::gain_db);
  const auto& names = low.check->outside_limits;
  EXPECT_NE(std::find(names.begin(), names.end(), std::string("gain")), names.end());

  const horn::Horn large = horn_of(7.5f, 200.0f);
  const sweep::Row good = sweep::compute_row(large, frequency_for_ka(large, 30.0), models::Model::quadratic);
  ASSERT_TRUE(good.classic && good.check && good.check->figures);
  const auto& none = good.check->outside_limits;
  EXPECT_EQ(std::find(none.begin(), none.end(), std::string("gain")), none.end());
  EXPECT_EQ(std::find(none.begin(), none.end(), std::string("h_beamwidth_10db")), none.end());
}

TEST(SweepRows, ClassicFailureNamesItsCause) {
  const horn::Horn h = horn_of(7.5f, 15.0f);
  const sweep::Row beyond = sweep::compute_row(h, 100.0f, std::nullopt);  // s = 3.97
  EXPECT_FALSE(beyond.classic);
  EXPECT_TRUE(beyond.beyond_tables);
  EXPECT_NE(beyond.classic_error.find("s = 3.971"), std::string::npos) << beyond.classic_error;
  const sweep::Row small = sweep::compute_row(h, 0.5f, std::nullopt);  // ka 1.0, below the TE-11 cut-off
  EXPECT_FALSE(small.classic);
  EXPECT_NE(small.classic_error.find("below the TE-11 cut-off"), std::string::npos) << small.classic_error;
  const sweep::Row narrow = sweep::compute_row(horn_of(1.0f, 10.0f), 8.0f, std::nullopt);  // ka 2.1
  EXPECT_FALSE(narrow.classic);
  EXPECT_NE(narrow.classic_error.find("too small in wavelengths"), std::string::npos) << narrow.classic_error;
  // A row's reason leaves out its frequency, so that rows of one reason
  // share one text (the row has the frequency); a message alone names it.
  EXPECT_EQ(small.classic_error.find("GHz"), std::string::npos) << small.classic_error;
  EXPECT_EQ(models::classic_failure(h.in_inches(), 0.5f), small.classic_error + " at 0.5 GHz");
  const sweep::Row refused = sweep::compute_row(h, 2000.0f, models::Model::quadratic);
  ASSERT_TRUE(refused.check);
  EXPECT_FALSE(refused.check->figures);
  EXPECT_NE(refused.check->error.find("ka <= 600"), std::string::npos) << refused.check->error;
}

// The return loss said with its bounds: the settled change d against the
// reflection |G|.
TEST(SweepRows, ReturnLossSaysItsBounds) {
  modal::Match m{};
  m.return_loss_db = 20.0;  // |G| = 0.1
  m.uncertainty = 0.001;
  EXPECT_EQ(models::return_loss_text(m), "20.0 \xC2\xB1 0.1 dB");
  m.uncertainty = 1e-5;
  EXPECT_EQ(models::return_loss_text(m), "20.0 dB");
  m.uncertainty = 0.2;  // beyond |G|: |G| <= 0.3, the return loss >= 10.5 dB
  EXPECT_FALSE(std::isfinite(models::return_loss_uncertainty_db(m)));
  EXPECT_EQ(models::return_loss_text(m), "\xE2\x89\xA5 10.5 dB");
  m.return_loss_db = 44.26;  // the rim left out: an upper bound
  m.uncertainty = 1e-4;
  EXPECT_EQ(models::return_loss_text(m), "\xE2\x89\xA4 44.3 dB");
}

std::string written(const std::function<std::unique_ptr<sweep::Writer>(sweep::Sink)>& make,
                    const std::vector<sweep::Row>& rows) {
  std::string out;
  auto writer = make([&](std::string_view text) { out += text; });
  for (const auto& r : rows) writer->row(r);
  writer->finish();
  return out;
}

TEST(SweepWriters, RowsStreamedInEveryFormat) {
  const horn::Horn h = horn_of(7.5f, 15.0f);
  std::vector<sweep::Row> rows;
  for (const float f : {8.2f, 10.0f, 12.4f})
    rows.push_back(sweep::compute_row(h, f, models::Model::quadratic));

  const sweep::Layout checked{true, true, false}, unchecked{};
  const std::string csv =
      written([&](sweep::Sink s) { return sweep::csv_writer(std::move(s), checked); }, rows);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4);
  EXPECT_EQ(csv.substr(0, csv.find("\r\n")).find("frequency_ghz,wavelength,phase_error,gain_db"), 0u);

  const std::string json = written(
      [&](sweep::Sink s) {
        return sweep::json_writer(std::move(s), nlohmann::ordered_json{{"horn", cli::horn_json(h)}}, "in",
                                  nlohmann::ordered_json::object(), checked);
      },
      rows);
  const auto document = nlohmann::json::parse(json);
  ASSERT_EQ(document["rows"].size(), 3u);
  EXPECT_EQ(document["rows"][1]["frequency_ghz"], 10.0);
  EXPECT_FLOAT_EQ(document["rows"][2]["gain_db"].get<float>(), rows[2].classic->gain);
  EXPECT_EQ(nlohmann::json::parse(written(
                [&](sweep::Sink s) {
                  return sweep::json_writer(std::move(s), nlohmann::ordered_json{{"horn", cli::horn_json(h)}},
                                            "in", nlohmann::ordered_json::object(), unchecked);
                },
                {}))["rows"]
                .size(),
            0u);

  // The report: the same blocks, in the same order, as veskal's file.
  const std::string report =
      written([&](sweep::Sink s) { return sweep::report_writer(std::move(s), h, true); }, rows);
  std::string expected;
  for (const auto& r : report::file_banner()) expected += r + "\r\n";
  report::range_heads(h, [&](report::Block, const std::vector<std::string>& records) {
    for (const auto& r : records) expected += r + "\r\n";
  });
  for (const auto& r : rows) expected += report::result_row(*r.classic) + "\r\n";
  EXPECT_EQ(report, expected);
}

// The picture's curves run in frequency order whatever the order of the rows.
TEST(SweepWriters, PictureDrawsInFrequencyOrder) {
  const horn::Horn h = horn_of(7.5f, 15.0f);
  std::vector<sweep::Row> rows;
  for (const float f : {18.0f, 6.0f, 12.0f}) rows.push_back(sweep::compute_row(h, f, std::nullopt));
  const std::string svg = written(
      [&](sweep::Sink s) {
        return sweep::svg_writer(std::move(s), {"title", "", "in", {}}, 3);
      },
      rows);
  const std::size_t start = svg.find("points=\"") + 8;
  std::istringstream points(svg.substr(start, svg.find('"', start) - start));
  std::vector<double> xs;
  for (std::string point; points >> point;) xs.push_back(std::stod(point.substr(0, point.find(','))));
  ASSERT_EQ(xs.size(), 3u);
  EXPECT_TRUE(std::is_sorted(xs.begin(), xs.end()));
  EXPECT_NE(svg.find("markers: the computed frequencies"), std::string::npos);
  // The classic H-plane centre behind the apex at 18 GHz, named once.
  EXPECT_NE(svg.find(">phase_centre_behind_apex<"), std::string::npos);
}

// Rows outside their model's domain are shaded and their causes named.
TEST(SweepWriters, PictureMarksTheVerdicts) {
  const horn::Horn small = horn_of(1.2f, 3.0f);  // ka 1.92 at 6 GHz, 3.8 at 12 GHz
  std::vector<sweep::Row> rows;
  for (const float f : {6.0f, 12.0f, 18.0f})
    rows.push_back(sweep::compute_row(small, f, models::Model::spherical));
  const std::string svg = written(
      [&](sweep::Sink s) {
        return sweep::svg_writer(std::move(s), {"title", "engine", "in", {}}, 3);
      },
      rows);
  EXPECT_NE(svg.find("outside the model's"), std::string::npos);
  EXPECT_NE(svg.find(">small_aperture<"), std::string::npos);
  EXPECT_NE(svg.find(">near_cut_off<"), std::string::npos);
  EXPECT_NE(svg.find("#fbe3a6"), std::string::npos);
}

TEST(Plot, TickLabelsNeverRepeat) {
  for (const double span : {1e-4, 0.05, 3.0, 250.0})
    for (const double from : {0.0, 9.9, 10000.05}) {
      const double step = plot::nice_step(span, 10);
      std::string previous;
      for (int i = 0; i < 10; ++i) {
        const std::string label = plot::tick_label(std::ceil(from / step) * step + i * step, step);
        EXPECT_NE(label, previous) << span << " " << from;
        previous = label;
      }
    }
}

TEST(Plot, TitlesWrapAndShortenWithinTheirWidth) {
  const auto one = plot::title_lines("short title", 40);
  EXPECT_EQ(one, std::vector<std::string>{"short title"});
  const auto two = plot::title_lines(
      "TE-11 conical horn, aperture 7.5 in, slant radius 15 in, cone angle 14.48\xC2\xB0", 40);
  ASSERT_EQ(two.size(), 2u);
  for (const auto& line : two) EXPECT_LE(line.size(), 40u);
  const auto cut = plot::title_lines(std::string(500, 'x') + ", " + std::string(30, '\xC2'), 40);
  ASSERT_LE(cut.size(), 2u);
  for (const auto& line : cut) EXPECT_LE(line.size(), 40u);
}

// Every constraint in every model meets its requirement; the engine's gain
// designs through their aperture-formula stand-in included.
TEST(DesignSolver, EveryConstraintAndModel) {
  using design::Constraint;
  using design::Quantity;
  for (const models::Model model :
       {models::Model::classic, models::Model::quadratic, models::Model::spherical})
    for (const Quantity quantity : {Quantity::gain, Quantity::beamwidth_3db, Quantity::beamwidth_10db})
      for (const Constraint constraint :
           {Constraint::shortest, Constraint::aperture, Constraint::slant_radius}) {
        design::Problem p{};
        p.frequency = 10.0f;
        p.quantity = quantity;
        p.value = quantity == Quantity::gain ? 20.0 : quantity == Quantity::beamwidth_3db ? 15.0 : 30.0;
        p.model = model;
        p.constraint = constraint;
        p.aperture_radius = 3.0;  // inches, for Constraint::aperture
        p.slant_radius = 12.0;    // inches, for Constraint::slant_radius
        const std::string what = models::name(model) + " " + std::to_string(static_cast<int>(quantity)) +
                                 " " + std::to_string(static_cast<int>(constraint));
        const design::Solution s = design::solve(p);
        const auto achieved = design::figure(p, s.aperture_radius, s.slant_radius);
        ASSERT_TRUE(achieved.has_value()) << what;
        // The classic routines compute in float from float lengths: a few
        // units in the last place; the engine in double.
        const double tolerance = model == models::Model::classic ? 1e-5 : 1e-6;
        EXPECT_NEAR(*achieved, p.value, tolerance * std::abs(p.value)) << what;
        const double lambda = double(horn::wavelength(p.frequency));
        EXPECT_LE(s.aperture_radius * s.aperture_radius / (2.0 * lambda * s.slant_radius),
                  design::max_phase_error + 1e-9)
            << what;
        if (constraint == Constraint::aperture) {
          EXPECT_DOUBLE_EQ(s.aperture_radius, 3.0) << what;
        }
        if (constraint == Constraint::slant_radius) {
          EXPECT_DOUBLE_EQ(s.slant_radius, 12.0) << what;
        }
      }
}

TEST(DesignSolver, InfeasibleRequirementsNameTheLimit) {
  design::Problem p{};
  p.frequency = 10.0f;
  p.quantity = design::Quantity::gain;
  p.value = 40.0;
  p.constraint = design::Constraint::slant_radius;
  p.slant_radius = 12.0;
  try {
    (void)design::solve(p);
    ADD_FAILURE();
  } catch (const design::Infeasible& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find("with this slant radius"), std::string::npos) << message;
    EXPECT_NE(message.find("the nearest it reaches is"), std::string::npos) << message;
  }
}

}  // namespace
