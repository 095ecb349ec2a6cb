// The pattern models a designer chooses with --model: the classic routines,
// the aperture engine with a quadratic or a spherical aperture phase, or the
// mode-matching engine (modal).
#pragma once

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "aperture/field.hpp"
#include "cli/text.hpp"

namespace cli {

enum class Model { classic, quadratic, spherical, modal };
inline constexpr std::array<std::string_view, 4> model_names = {"classic", "quadratic", "spherical", "modal"};

inline std::string model_name(Model model) {
  return std::string(model_names[static_cast<std::size_t>(model)]);
}

// UsageError for a name that is not a model's.
inline Model model_from(std::string_view name) {
  for (std::size_t m = 0; m < model_names.size(); ++m)
    if (name == model_names[m]) return static_cast<Model>(m);
  throw UsageError("--model: must be classic, quadratic, spherical or modal");
}

// The aperture engine's aperture phase of its models; none for classic.
// The modal model has no aperture phase: asking is a logic error, never
// the classic model by default.
inline std::optional<aperture::Phase> engine_phase(Model model) {
  if (model == Model::quadratic) return aperture::Phase::quadratic;
  if (model == Model::spherical) return aperture::Phase::spherical;
  if (model == Model::modal) throw std::logic_error("the modal model has no aperture phase");
  return std::nullopt;
}

}  // namespace cli
