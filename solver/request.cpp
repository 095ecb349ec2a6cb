#include "solver/request.hpp"

#include <cmath>
#include <stdexcept>

#include "aperture/field.hpp"
#include "bor/horn.hpp"
#include "horn/units.hpp"
#include "models/domain.hpp"
#include "numerics/errors.hpp"
#include "numerics/units.hpp"
#include "reflector/feed.hpp"
#include "text/numbers.hpp"

namespace design {

std::vector<Model> design_models() { return models::describing(models::cone_with_waveguide); }

Problem problem_from(const Request& o) {
  using numerics::require;
  Problem p{};
  require(o.frequency > 0.0f, "{frequency}: must be a positive number of GHz");
  const bool on_reflector = o.f_over_d || o.half_angle;
  require(!(o.f_over_d && o.half_angle), "{f_over_d} excludes {half_angle}");
  require(int(o.gain.has_value()) + int(o.beamwidth_3db.has_value()) + int(o.beamwidth_10db.has_value()) +
                  int(o.edge_taper.has_value()) <=
              1,
          "{gain}, {beamwidth_3db}, {beamwidth_10db} and {edge_taper} exclude one another");
  require(!((o.gain || o.beamwidth_3db || o.beamwidth_10db) && on_reflector),
          "{gain}, {beamwidth_3db} and {beamwidth_10db} exclude {f_over_d} and {half_angle}");
  require(!o.edge_taper || on_reflector, "{edge_taper}: needs the reflector, {f_over_d} or {half_angle}");
  require(o.gain || o.beamwidth_3db || o.beamwidth_10db || on_reflector,
          "{gain}, {beamwidth_3db}, {beamwidth_10db}, {f_over_d} or {half_angle}: one requirement is needed");
  require(o.plane == "e" || o.plane == "h" || o.plane == "mean", "{plane}: must be e, h or mean");
  require(!(o.aperture_diameter && o.slant_radius), "{aperture_diameter} excludes {slant_radius}");
  p.frequency = o.frequency;
  if (on_reflector) {
    if (o.f_over_d) {
      require(*o.f_over_d > 0.0 && reflector::half_angle_for(*o.f_over_d) <= reflector::largest_half_angle,
              "{f_over_d}: must be at least 0.022 (a half-angle of 170 degrees at most)");
      p.half_angle = reflector::half_angle_for(*o.f_over_d);
    } else {
      require(*o.half_angle > 0.0 && *o.half_angle <= 170.0,
              "{half_angle}: must lie within 0 ... 170 degrees");
      p.half_angle = *o.half_angle * reflector::degree;
    }
    p.quantity = Quantity::aperture_efficiency;
    if (o.edge_taper) {
      require(std::fabs(*o.edge_taper) > 0.0 && std::fabs(*o.edge_taper) <= 60.0,
              "{edge_taper}: must lie within 0 ... 60 dB below the axis");
      p.quantity = Quantity::edge_taper;
      p.value = std::fabs(*o.edge_taper);  // below the axis, whichever sign is typed
    }
  } else if (o.gain) {
    require(std::isfinite(*o.gain), "{gain}: must be a number of dB");
    p.quantity = Quantity::gain, p.value = *o.gain;
  } else {
    const auto& bw = o.beamwidth_3db ? o.beamwidth_3db : o.beamwidth_10db;
    require(*bw > 0.0 && *bw < 180.0, std::string(o.beamwidth_3db ? "{beamwidth_3db}" : "{beamwidth_10db}") +
                                          ": must lie between 0 and 180 degrees");
    p.quantity = o.beamwidth_3db ? Quantity::beamwidth_3db : Quantity::beamwidth_10db;
    p.value = *bw;
    p.plane = o.plane == "e" ? Plane::e : o.plane == "h" ? Plane::h : Plane::mean;
  }
  const std::vector<Model> cones = design_models();
  const std::optional<Model> named = models::find(o.model);
  require(o.model.empty() || named, "{model}: must be " + models::names_joined(cones));
  p.model = o.model.empty() ? models::default_model(false) : *named;
  require(std::ranges::find(cones, p.model) != cones.end(),
          "{model}: must be " + models::names_joined(cones));
  const std::optional<std::int32_t> unit = horn::unit_code_of(o.unit);
  require(unit.has_value(), "{unit}: must be " + text::unit_list());
  const double factor = horn::unit_factor[static_cast<std::size_t>(*unit - 1)];
  auto positive = [](const std::optional<float>& v) { return *v > 0.0f; };
  if (o.aperture_diameter) {
    require(positive(o.aperture_diameter), "{aperture_diameter}: must be a positive length");
    p.constraint = Constraint::aperture;
    p.aperture_radius = double(*o.aperture_diameter) / 2.0 / factor;
  }
  if (o.slant_radius) {
    require(positive(o.slant_radius), "{slant_radius}: must be a positive length");
    p.constraint = Constraint::slant_radius;
    p.slant_radius = double(*o.slant_radius) / factor;
  }
  if (o.waveguide_diameter) {
    require(positive(o.waveguide_diameter), "{waveguide_diameter}: must be a positive length");
    require(!o.aperture_diameter || *o.waveguide_diameter < *o.aperture_diameter,
            "{waveguide_diameter}: must be below the aperture diameter");
    p.waveguide_radius = double(*o.waveguide_diameter) / 2.0 / factor;
  }
  if (models::describes_walls(p.model))
    require(o.waveguide_diameter.has_value(),
            "{waveguide_diameter}: the " + models::name(p.model) + " model starts at the feeding waveguide");
  bor::require_outside_lengths(o.wall_thickness, o.flange_diameter);
  if (o.flange_diameter && o.wall_thickness) {
    const std::optional<float>& inner = o.aperture_diameter ? o.aperture_diameter : o.waveguide_diameter;
    require(!inner || double(*o.flange_diameter) > double(*inner) + 2.0 * double(*o.wall_thickness),
            "{flange_diameter}: must be wider than the rim (the " +
                std::string(o.aperture_diameter ? "aperture" : "waveguide") + " and twice the wall)");
  }
  // The outside counts where the model has it (the program warns otherwise).
  if (o.wall_thickness && models::whole_sphere(p.model)) {
    p.wall_thickness = double(*o.wall_thickness) / factor;
    if (o.flange_diameter) p.flange_diameter = double(*o.flange_diameter) / factor;
  }
  return p;
}

horn::Horn horn_of(const Solution& s, const Problem& p, const Request& o) {
  horn::Horn h;
  h.unit_code = *horn::unit_code_of(o.unit);
  const double factor = horn::unit_factor[static_cast<std::size_t>(h.unit_code - 1)];
  h.aperture_diameter =
      o.aperture_diameter ? *o.aperture_diameter : static_cast<float>(2.0 * s.aperture_radius * factor);
  if (p.waveguide_radius) {
    h.flare_type = horn::axial_length_given;
    h.waveguide_diameter = *o.waveguide_diameter;
    h.axial_length =
        static_cast<float>(axial_length(s.aperture_radius, s.slant_radius, *p.waveguide_radius) * factor);
  } else {
    h.flare_type = horn::slant_radius_given;
    h.slant_radius = o.slant_radius ? *o.slant_radius : static_cast<float>(s.slant_radius * factor);
  }
  horn::complete_geometry(h);
  return h;
}

namespace {

// std::runtime_error unless a guide of this diameter (in the horn's unit)
// carries TE-11 at `lowest` GHz with the design's margin.
void require_te11(const horn::Horn& horn, const char* what, float diameter, float lowest) {
  const double cut_off = aperture::te11_cut_off(double(diameter) / 2.0 / double(horn.units_per_inch()) *
                                                numerics::metres_per_inch);
  if (double(lowest) >= models::cut_off_margin * cut_off) return;
  const std::string where = double(lowest) > cut_off ? " is less than 5 % above its TE-11 cut-off at "
                                                     : " is below the TE-11 cut-off at ";
  throw std::runtime_error(std::string("the horn's ") + what + " (" + text::shortest(diameter) + " " +
                           text::unit_name(horn) + ")" + where + text::shortest(lowest) +
                           " GHz (its cut-off is " + text::fixed(cut_off, 3) + " GHz; a design needs " +
                           text::fixed(models::cut_off_margin * cut_off, 3) + " GHz or more)");
}

}  // namespace

void require_propagating(const horn::Horn& horn, float lowest) {
  require_te11(horn, "aperture", horn.aperture_diameter, lowest);
  if (horn.has_waveguide()) require_te11(horn, "waveguide", horn.waveguide_diameter, lowest);
}

void require_waveguide_propagating(const Request& request, float lowest) {
  if (!request.waveguide_diameter) return;
  horn::Horn h;
  h.unit_code = *horn::unit_code_of(request.unit);
  require_te11(h, "waveguide", *request.waveguide_diameter, lowest);
}

std::optional<std::string> unmet(const Problem& p, const horn::Horn& horn) {
  if (p.quantity == Quantity::aperture_efficiency) return std::nullopt;  // no value to meet
  const horn::HornInInches inches = horn.in_inches();
  const auto achieved = figure(p, inches.aperture_radius, inches.slant_radius);
  const double tolerance = p.quantity == Quantity::gain ? 0.005 : 0.05;
  if (achieved && std::abs(*achieved - p.value) < tolerance) return std::nullopt;
  return "the horn found gives " + text::fixed(achieved, 3) + " instead of " + text::fixed(p.value, 3) +
         " once its lengths are rounded; no design is written";
}

horn::Horn design(const Request& request) {
  const Problem p = problem_from(request);
  require_waveguide_propagating(request, request.frequency);
  const horn::Horn h = horn_of(solve(p), p, request);
  require_propagating(h, request.frequency);
  if (const auto why = unmet(p, h)) throw std::runtime_error(*why);
  return h;
}

}  // namespace design
