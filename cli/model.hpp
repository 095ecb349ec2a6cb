// The pattern models a designer chooses with --model: the classic routines,
// or the aperture engine with a quadratic or a spherical aperture phase.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "aperture/field.hpp"
#include "cli/text.hpp"

namespace cli {

enum class Model { classic, quadratic, spherical };
inline constexpr std::array<std::string_view, 3> model_names = {"classic", "quadratic", "spherical"};

inline std::string model_name(Model model) {
  return std::string(model_names[static_cast<std::size_t>(model)]);
}

// UsageError for a name that is not a model's.
inline Model model_from(std::string_view name) {
  for (std::size_t m = 0; m < model_names.size(); ++m)
    if (name == model_names[m]) return static_cast<Model>(m);
  throw UsageError("--model: must be classic, quadratic or spherical");
}

// The engine's aperture phase of an engine model; none for classic.
inline std::optional<aperture::Phase> engine_phase(Model model) {
  if (model == Model::quadratic) return aperture::Phase::quadratic;
  if (model == Model::spherical) return aperture::Phase::spherical;
  return std::nullopt;
}

}  // namespace cli
