#include "models/registry.hpp"

#include <algorithm>
#include <array>

#include "models/engines.hpp"

namespace models {
namespace {

// Initialised at compile time, so that the registry may be read by any
// static initialiser.
constinit const ApertureEngine quadratic_engine(aperture::Phase::quadratic);
constinit const ApertureEngine spherical_engine(aperture::Phase::spherical);
constinit const ModalEngine modal_engine(true);
constinit const ModalEngine huygens_engine(false);

// The domains are those measured in doc/accuracy.md and doc/modal.md.
constinit const std::array<ModelInfo, 5> models = {{
    {Model::classic, "classic", "the report's routines (single precision, as veskal prints them)",
     "classic model", smooth_cone | cone_with_waveguide,
     "the phase error s within the tables (s <= 0.8); each figure where the accuracy map says it holds",
     std::nullopt, nullptr},
    {Model::quadratic, "quadratic",
     "the aperture engine with the flare's quadratic aperture phase (the classic model's approximation)",
     "aperture engine, quadratic aperture phase", smooth_cone | cone_with_waveguide,
     "ka from the TE-11 cut-off up to 600, s up to 4; against mode matching as doc/accuracy.md maps it",
     aperture::Phase::quadratic, &quadratic_engine},
    {Model::spherical, "spherical",
     "the aperture engine with the exact spherical aperture phase from the apex",
     "aperture engine, spherical aperture phase", smooth_cone | cone_with_waveguide,
     "ka from the TE-11 cut-off up to 600; within 0.15 dB and 1 degree of a full-wave simulation from ka 8",
     aperture::Phase::spherical, &spherical_engine},
    {Model::modal, "modal",
     "the mode-matching engine inside, the method of moments on the horn's outside (rim, wall, flange, "
     "chokes): any horn of revolution, over the whole sphere",
     "mode-matching engine with its outside", cone_with_waveguide | wall_profile | with_outside,
     "every ka from the aperture's TE-11 cut-off; the input match including the rim, the pattern to 180 "
     "degrees",
     std::nullopt, &modal_engine},
    {Model::modal_huygens, "modal-huygens",
     "the mode-matching engine with a matched Huygens aperture (no rim, no outside), for comparison",
     "mode-matching engine, Huygens aperture", cone_with_waveguide | wall_profile,
     "the input match at every ka; the radiation from ka 8 (the rim and the outside are not modelled)",
     std::nullopt, &huygens_engine},
}};

}  // namespace

std::span<const ModelInfo> registry() { return models; }

const ModelInfo& info(Model model) { return models[static_cast<std::size_t>(model)]; }

std::optional<Model> find(std::string_view name) {
  for (const ModelInfo& m : models)
    if (m.name == name) return m.model;
  return std::nullopt;
}

std::vector<Model> all_models() {
  std::vector<Model> out;
  out.reserve(models.size());
  for (const ModelInfo& m : models) out.push_back(m.model);
  return out;
}

std::vector<Model> engine_models() {
  std::vector<Model> out;
  for (const ModelInfo& m : models)
    if (m.engine != nullptr) out.push_back(m.model);
  return out;
}

std::vector<Model> describing(unsigned horn, std::span<const Model> all) {
  std::vector<Model> out;
  for (const ModelInfo& m : models)
    if ((m.horns & horn) != 0 && (all.empty() || std::ranges::find(all, m.model) != all.end()))
      out.push_back(m.model);
  return out;
}

std::string horns_text(unsigned horns) {
  std::vector<std::string> words;
  if ((horns & smooth_cone) != 0)
    words.emplace_back("cone");
  else if ((horns & cone_with_waveguide) != 0)
    words.emplace_back("cone with its waveguide");
  if ((horns & wall_profile) != 0) words.emplace_back("wall profile");
  if ((horns & with_outside) != 0) words.emplace_back("wall with its outside");
  std::string text;
  for (const std::string& w : words) {
    if (!text.empty()) text += ", ";
    text += w;
  }
  return text;
}

std::string names_joined(std::span<const Model> list, std::string_view last) {
  std::string text;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (i > 0 && i + 1 == list.size()) {
      text += ' ';
      text += last;
      text += ' ';
    } else if (i > 0) {
      text += ", ";
    }
    text += info(list[i]).name;
  }
  return text;
}

Model default_model(bool wall_profile) { return wall_profile ? Model::modal : Model::spherical; }

}  // namespace models
