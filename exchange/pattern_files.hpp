// Pattern files for reflector programs, written from a body-of-revolution
// feed's E- and H-plane patterns (reflector/feed.hpp), and the plane cuts read
// back from the files a designer brings.
//
// The feed's field at any (theta, phi): E_theta = C_E cos phi, E_phi =
// -C_H sin phi; in Ludwig's third definition (x the reference polarisation)
// co = C_E cos^2 phi + C_H sin^2 phi, cross = (C_E - C_H) sin phi cos phi.
// Time dependence exp(j omega t), phases referred to the feed's reference
// point (the aperture centre of a horn).
//
// Scale. The GRASP cut holds the field in the usual normalisation of that
// format: |E|^2 is the directivity (a power of 4 pi radiated). The CST and
// HFSS files hold r E in volts for 1 W radiated: |r E|^2 = 2 eta0 D / (4 pi)
// with eta0 the impedance of free space. The cassbeam feed file holds the
// power pattern averaged over phi, P = |CO|^2 + |XP|^2, in dB relative to the
// axis (cassbeam's scalar feed). The radiated power is the feed's converged
// integral of P (reflector::Feed::total_power).
//
// Formats:
//   cut  GRASP (TICRA) .cut text: per frequency, four polar cuts at phi = 0,
//        45, 90, 135 degrees, theta from -180 to 180 by the step; each cut a
//        title line, then "V_INI V_INC V_NUM C ICOMP ICUT NCOMP" with ICOMP 3
//        (Ludwig's third definition, co then cross), ICUT 1 (polar cut), NCOMP
//        2, then one line "Re(co) Im(co) Re(cross) Im(cross)" per theta. A point
//        at negative theta is the point at |theta| and phi + 180 degrees.
//   ffs  CST far-field source, ASCII version 3.0: the header blocks (version,
//        data type, frequencies, position, z and x axes, radiated / accepted /
//        stimulated power and frequency in Hz for each frequency), then per
//        frequency the sample counts and lines "phi theta Re(E_theta)
//        Im(E_theta) Re(E_phi) Im(E_phi)", theta 0 ... 180 changing fastest,
//        phi 0 ... 360 (both ends written).
//   ffd  HFSS far-field data: "theta_start theta_stop count", "phi_start
//        phi_stop count", "Frequencies N", then per frequency "Frequency f"
//        (Hz) and lines "Re(E_theta) Im(E_theta) Re(E_phi) Im(E_phi)", phi
//        changing fastest.
//   cassbeam  two columns, the angle from 0 in even steps and the power
//        pattern in dB, up to two steps short of 180 degrees (cassbeam takes
//        fewer angles than pi / step).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "reflector/feed.hpp"

namespace exchange {

using reflector::Field;
using reflector::PlaneFields;

inline constexpr double free_space_impedance = 376.730313412;  // ohm, CODATA 2018

struct Spherical {
  Field theta, phi;
};
struct Ludwig3 {
  Field co, cross;
};
// The feed's components at phi (radians).
Spherical spherical_components(const PlaneFields& f, double phi);
Ludwig3 ludwig3_components(const PlaneFields& f, double phi);

// One frequency's pattern and the factor that scales its field to
// sqrt(directivity): sqrt(2 / int P sin theta).
struct Source {
  double frequency_ghz;
  reflector::Pattern pattern;
  double directivity_scale;
};

using Sink = std::function<void(std::string_view)>;

// `step` in degrees, dividing 180 into whole steps (the caller checks).
void write_grasp_cut(const Sink& out, const std::vector<Source>& sources, double step,
                     const std::string& title);
void write_cst_ffs(const Sink& out, const std::vector<Source>& sources, double step);
void write_hfss_ffd(const Sink& out, const std::vector<Source>& sources, double step);
void write_cassbeam(const Sink& out, const Source& source, double step);

// The largest pattern file the readers are given (a sphere at 0.25 degrees
// in several frequencies stays well within it).
inline constexpr std::uintmax_t max_file_bytes = 256u << 20;

// A file that is not what its reader expects: the message names the line.
class FormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// C_E and C_H at angles from 0 (radians, ascending), and the frequency
// where the file names it.
struct PlaneCuts {
  std::vector<double> angles;
  std::vector<Field> e, h;
  std::optional<double> frequency_ghz;
};

// The phi = 0 and 90 degree polar cuts of a GRASP .cut file, one PlaneCuts per
// pair in the order of the file (one per frequency), from theta = 0 on:
// components in Ludwig's third definition (ICOMP 3: C_E is the co-polar cut at
// phi = 0, C_H at 90) or spherical (ICOMP 1: C_E = E_theta at phi = 0, C_H =
// -E_phi at 90), with x the reference polarisation.
std::vector<PlaneCuts> read_grasp_cut(std::string_view text);

// A table written by veskal-pattern --format csv with the phases referred to
// the aperture: rows from angle 0 on (seven columns, or eight with the
// 45-degree plane's cross-polar level, which is not read).
PlaneCuts read_pattern_csv(std::string_view text);

// The phi = 0 and 90 degree cuts of a CST far-field source (ASCII 3.0, the
// z axis the feed's axis and x its reference polarisation: C_E = E_theta at
// phi = 0, C_H = -E_phi at 90) and of HFSS far-field data, one PlaneCuts
// per frequency with the file's frequency.
std::vector<PlaneCuts> read_cst_ffs(std::string_view text);
std::vector<PlaneCuts> read_hfss_ffd(std::string_view text);

// Any of the files above by its content: veskal-pattern's table, a CST or
// HFSS far-field file, or a GRASP cut file.
std::vector<PlaneCuts> read_plane_cuts(std::string_view text);

}  // namespace exchange
