// The --model option's words for the registry's models (models/registry.hpp):
// a name the user typed, and the aperture phase of the aperture models.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "aperture/field.hpp"
#include "cli/usage.hpp"
#include "models/registry.hpp"
#include "text/numbers.hpp"

namespace cli {

using models::Model;

inline std::string model_name(Model model) { return models::name(model); }

// UsageError for a name that is not a model's.
inline Model model_from(std::string_view name) {
  if (const auto m = models::find(name)) return *m;
  throw UsageError("--model: must be " + models::names_joined(models::all_models()));
}

// The aperture engine's aperture phase of its models; none for classic.
// The modal model has no aperture phase: asking is a logic error, never
// the classic model by default.
inline std::optional<aperture::Phase> engine_phase(Model model) {
  const models::ModelInfo& m = models::info(model);
  if (m.aperture_phase) return m.aperture_phase;
  if (m.engine != nullptr)
    throw std::logic_error("the " + std::string(m.name) + " model has no aperture phase");
  return std::nullopt;
}

}  // namespace cli
