// The registry of models: the README's table is the registry's, the default
// rule, the names the options take, and the engines behind the interface
// against the engines called directly.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "aperture/figures.hpp"
#include "cli/model.hpp"
#include "models/engine.hpp"
#include "models/registry.hpp"

namespace {

std::string readme() {
  std::ifstream in(std::string(VESKAL_SOURCE_DIR) + "/README.md");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(Models, ReadmeTableIsTheRegistry) {
  const std::string text = readme();
  ASSERT_FALSE(text.empty());
  std::size_t rows = 0;
  for (const models::ModelInfo& m : models::registry()) {
    const std::string row = "| `" + std::string(m.name) + "` | " + std::string(m.description) + " | " +
                            models::horns_text(m.horns) + " | " + std::string(m.domain) + " |\n";
    EXPECT_NE(text.find(row), std::string::npos) << row;
    ++rows;
  }
  // No row for a model the registry does not have.
  const std::size_t table = text.find("| model | what it is | horns | measured domain |");
  ASSERT_NE(table, std::string::npos);
  std::size_t lines = 0;
  for (std::size_t at = text.find("\n| `", table); at != std::string::npos && at < text.find("\n\n", table);
       at = text.find("\n| `", at + 1))
    ++lines;
  EXPECT_EQ(lines, rows);
}

TEST(Models, NamesDefaultRuleAndChoices) {
  for (const models::ModelInfo& m : models::registry()) {
    EXPECT_EQ(models::find(m.name), m.model);
    EXPECT_EQ(&models::info(m.model), &m);
    EXPECT_EQ(m.engine == nullptr, m.model == models::Model::classic);
  }
  EXPECT_FALSE(models::find("exact"));
  try {
    cli::model_from("exact");
    FAIL();
  } catch (const cli::UsageError& e) {
    EXPECT_STREQ(e.what(), "--model: must be classic, quadratic, spherical, modal or modal-huygens");
  }
  // The default for each horn describes it.
  const auto cones = models::describing(models::smooth_cone);
  EXPECT_NE(std::ranges::find(cones, models::default_model(false)), cones.end());
  EXPECT_TRUE(models::info(models::default_model(true)).horns & models::wall_profile);
  EXPECT_EQ(models::names_joined(models::engine_models()), "quadratic, spherical, modal or modal-huygens");
  EXPECT_THROW(cli::engine_phase(models::Model::modal), std::logic_error);
  EXPECT_FALSE(cli::engine_phase(models::Model::classic));
}

// The interface gives the engine's own figures, and a refusal as a reason.
TEST(Models, EngineInterfaceIsTheEngine) {
  const horn::HornInInches inches{3.75f, 15.0f};
  const models::HornInput input{&inches, nullptr};
  for (const models::Model m : {models::Model::quadratic, models::Model::spherical}) {
    const models::ModelInfo& info = models::info(m);
    const models::Result r = info.engine->evaluate(input, 10.0, {});
    ASSERT_TRUE(r.refused.empty()) << r.refused;
    const aperture::Aperture direct(aperture::horn_from_inches(3.75, 15.0, 10.0), *info.aperture_phase);
    const aperture::Figures f = aperture::figures(direct);
    EXPECT_EQ(*r.directivity_db, f.directivity_db);
    EXPECT_EQ(*r.figures->h_beamwidth_10db, *f.h_beamwidth_10db);
    EXPECT_EQ(r.radiator->far_fields(0.3).e, direct.far_fields(0.3).e);
    EXPECT_TRUE(info.engine->outside_domain(input, 10.0).empty());
    // Below the TE-11 cut-off: refused with the engine's reason, not thrown.
    const models::Result below = info.engine->evaluate(input, 0.5, {});
    EXPECT_FALSE(below.refused.empty());
    EXPECT_EQ(below.refused, info.engine->outside_domain(input, 0.5));
    EXPECT_THROW(info.engine->evaluate({}, 10.0, {}), std::invalid_argument);
  }
  const models::Engine& modal = *models::info(models::Model::modal).engine;
  EXPECT_THROW(modal.evaluate(input, 10.0, {}), std::invalid_argument);
  EXPECT_FALSE(modal.outside_domain(input, 10.0).empty());
}

}  // namespace
