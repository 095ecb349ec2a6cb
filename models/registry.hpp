// The models of the toolkit, in one list: each model's name (as --model and
// the Python module's model= take it), a one-line description, the horns it
// can describe, its measured domain, and the engine that computes it. The
// programs' --model choices and help, the Python module's docstrings, the
// accuracy map and the README's table of models are read from here.
//
// Adding a model: a folder for its engine (an implementation of
// models::Engine, models/engine.hpp), an enumerator of Model and one entry
// of `registry` below (models/registry.cpp). Nothing else names the models.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "aperture/field.hpp"

namespace models {

class Engine;

enum class Model { classic, quadratic, spherical, modal, modal_huygens };

// The horns a model can describe, as a set of flags.
enum Horns : unsigned {
  smooth_cone = 1u,          // a cone given by its aperture and flare (no waveguide needed)
  cone_with_waveguide = 2u,  // a cone with its feeding waveguide
  wall_profile = 4u,         // any horn of revolution by its inner wall
  with_outside = 8u,         // a wall with its outer surface, rim and flange
};

struct ModelInfo {
  Model model;
  std::string_view name;
  std::string_view description;  // one line, for --help and the docstrings
  std::string_view title;        // as pictures and headers name it: "classic model"
  unsigned horns;                // Horns flags
  std::string_view domain;       // where it has been measured to hold
  // The aperture engine's phase of the aperture models; none for the others.
  std::optional<aperture::Phase> aperture_phase;
  // Its engine; nullptr for the classic routines, which compute in the
  // report's single precision outside any engine.
  const Engine* engine;
};

// Every model, in the order the options list them.
std::span<const ModelInfo> registry();
const ModelInfo& info(Model model);
inline std::string name(Model model) { return std::string(info(model).name); }
std::optional<Model> find(std::string_view name);

// Every model; those computed by an engine (all but the classic routines).
std::vector<Model> all_models();
std::vector<Model> engine_models();

// The models among `all` (every model when empty) that describe `horn` (one
// Horns flag).
std::vector<Model> describing(unsigned horn, std::span<const Model> all = {});

// The horns of a set of Horns flags in words: "cone", "cone with its
// waveguide, wall profile".
std::string horns_text(unsigned horns);

// "a, b or c" of the models' names.
std::string names_joined(std::span<const Model> models, std::string_view last = "or");

// The default model rule, one for every program: the most accurate model
// that describes the horn asked at every frequency from its TE-11 cut-off
// up, among those the program offers: the mode-matching engine for a wall
// profile, the aperture engine with the exact spherical phase for a cone.
// (veskal itself, and the report format that reproduces it, keep the
// classic routines.)
inline constexpr std::string_view default_rule =
    "default: modal for a wall profile, spherical for a cone (the most accurate model that "
    "describes the horn)";
Model default_model(bool wall_profile);

// Whether the model describes a horn by its wall: its engine is given the
// wall's band (models::HornInput::band), not the cone.
inline bool describes_walls(Model model) { return (info(model).horns & wall_profile) != 0; }

// Whether the model radiates over the whole sphere (0 to 180 degrees): the
// horn's outside is part of it.
inline bool whole_sphere(Model model) { return (info(model).horns & with_outside) != 0; }

// Whether the model's engine is the aperture engine (quadratic, spherical).
inline bool is_aperture(Model model) { return info(model).aperture_phase.has_value(); }

}  // namespace models
