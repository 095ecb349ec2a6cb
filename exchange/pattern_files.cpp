#include "exchange/pattern_files.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>

#include "numerics/fields.hpp"

namespace exchange {
namespace {

constexpr double pi = std::numbers::pi;
constexpr double degree = pi / 180.0;
// Values a pattern's sums can square and add without overflow.
constexpr double largest_field = 1e100, largest_db = 1000.0;

// Numbers in the files: nine significant digits, exponent form.
std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "% .9E", value);
  return text;
}
std::string shortest(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}
std::string angle(double degrees) {
  char text[32];
  std::snprintf(text, sizeof text, "%10.4f", degrees);
  return text;
}

// i steps of `step` from `from`: exact at whole-degree steps.
double at(double from, int i, double step) { return from + i * step; }
int steps(double span, double step) { return static_cast<int>(std::lround(span / step)); }

using numerics::lines_of;

// The numbers of a line separated by blanks (or commas); none when a field
// is not a finite number.
std::optional<std::vector<double>> numbers_of(std::string_view line, bool commas = false) {
  numerics::Fields f = numerics::number_fields(line, commas ? "," : "");
  if (!f.bad.empty()) return std::nullopt;
  return std::move(f.values);
}

std::string at_line(std::size_t index) { return "line " + std::to_string(index + 1) + ": "; }

}  // namespace

Spherical spherical_components(const PlaneFields& f, double phi) {
  return {f.e * std::cos(phi), -f.h * std::sin(phi)};
}

Ludwig3 ludwig3_components(const PlaneFields& f, double phi) {
  const double c = std::cos(phi), s = std::sin(phi);
  return {f.e * c * c + f.h * s * s, (f.e - f.h) * s * c};
}

namespace {
// A title line in ASCII, as the format's readers expect: the degree sign
// spelled out, other bytes beyond ASCII and line ends replaced.
std::string ascii(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, 2) == "\xC2\xB0") {
      out += " deg";
      ++i;
    } else {
      const auto c = static_cast<unsigned char>(text[i]);
      out += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
  }
  return out;
}
}  // namespace

void write_grasp_cut(const Sink& out, const std::vector<Source>& sources, double step,
                     const std::string& title) {
  const int count = steps(360.0, step) + 1;
  for (const Source& source : sources) {
    for (const double phi : {0.0, 45.0, 90.0, 135.0}) {
      std::string block = ascii(title) + ", " + shortest(source.frequency_ghz) +
                          " GHz, phi = " + std::to_string(static_cast<int>(phi)) + " deg\n";
      block +=
          number(-180.0) + ' ' + number(step) + ' ' + std::to_string(count) + ' ' + number(phi) + " 3 1 2\n";
      out(block);
      block.clear();
      for (int i = 0; i < count; ++i) {
        const double theta = at(-180.0, i, step);
        // A negative theta lies at |theta| in the half-plane phi + 180.
        const double p = (theta < 0.0 ? phi + 180.0 : phi) * degree;
        const Ludwig3 l = ludwig3_components(source.pattern(std::fabs(theta) * degree), p);
        const Field co = l.co * source.directivity_scale, cross = l.cross * source.directivity_scale;
        block += number(co.real()) + ' ' + number(co.imag()) + ' ' + number(cross.real()) + ' ' +
                 number(cross.imag()) + '\n';
        if (block.size() > 60000) out(block), block.clear();
      }
      out(block);
    }
  }
}

namespace {
// r E in volts for 1 W radiated, from the field scaled to sqrt(directivity).
double volts(const Source& s) { return s.directivity_scale * std::sqrt(free_space_impedance / (2.0 * pi)); }
}  // namespace

void write_cst_ffs(const Sink& out, const std::vector<Source>& sources, double step) {
  std::string head =
      "// CST Farfield Source File\n\n// Version:\n3.0\n\n// Data Type\nFarfield\n\n// #Frequencies\n" +
      std::to_string(sources.size()) +
      "\n\n// Position\n0.000000e+00 0.000000e+00 0.000000e+00\n\n// zAxis\n"
      "0.000000e+00 0.000000e+00 1.000000e+00\n\n// xAxis\n1.000000e+00 0.000000e+00 "
      "0.000000e+00\n\n// Radiated/Accepted/Stimulated Power , Frequency\n";
  for (const Source& s : sources)
    head += "1.000000e+00\n1.000000e+00\n1.000000e+00\n" + number(s.frequency_ghz * 1e9) + "\n\n";
  out(head);
  const int thetas = steps(180.0, step) + 1, phis = steps(360.0, step) + 1;
  for (const Source& s : sources) {
    out("\n// >> Total #phi samples, total #theta samples\n" + std::to_string(phis) + ' ' +
        std::to_string(thetas) + "\n\n// >> Phi, Theta, Re(E_Theta), Im(E_Theta), Re(E_Phi), Im(E_Phi):\n");
    // The plane patterns once per theta, then every phi from them.
    std::vector<PlaneFields> planes;
    planes.reserve(static_cast<std::size_t>(thetas));
    for (int t = 0; t < thetas; ++t) planes.push_back(s.pattern(at(0.0, t, step) * degree));
    const double scale = volts(s);
    std::string block;
    for (int p = 0; p < phis; ++p) {
      const double phi = at(0.0, p, step);
      for (int t = 0; t < thetas; ++t) {
        const Spherical c = spherical_components(planes[static_cast<std::size_t>(t)], phi * degree);
        block += angle(phi) + ' ' + angle(at(0.0, t, step)) + ' ' + number(scale * c.theta.real()) + ' ' +
                 number(scale * c.theta.imag()) + ' ' + number(scale * c.phi.real()) + ' ' +
                 number(scale * c.phi.imag()) + '\n';
        if (block.size() > 60000) out(block), block.clear();
      }
    }
    out(block);
  }
}

void write_hfss_ffd(const Sink& out, const std::vector<Source>& sources, double step) {
  const int thetas = steps(180.0, step) + 1, phis = steps(360.0, step) + 1;
  out("0 180 " + std::to_string(thetas) + "\n0 360 " + std::to_string(phis) + "\nFrequencies " +
      std::to_string(sources.size()) + "\n");
  for (const Source& s : sources) {
    out("Frequency " + shortest(s.frequency_ghz * 1e9) + "\n");
    const double scale = volts(s);
    std::string block;
    for (int t = 0; t < thetas; ++t) {
      const PlaneFields f = s.pattern(at(0.0, t, step) * degree);
      for (int p = 0; p < phis; ++p) {
        const Spherical c = spherical_components(f, at(0.0, p, step) * degree);
        block += number(scale * c.theta.real()) + ' ' + number(scale * c.theta.imag()) + ' ' +
                 number(scale * c.phi.real()) + ' ' + number(scale * c.phi.imag()) + '\n';
        if (block.size() > 60000) out(block), block.clear();
      }
    }
    out(block);
  }
}

void write_cassbeam(const Sink& out, const Source& source, double step) {
  const auto power = [&](double theta) {
    const PlaneFields f = source.pattern(theta);
    return std::norm((f.e + f.h) / 2.0) + std::norm((f.e - f.h) / 2.0);
  };
  const double axis = power(0.0);
  const int count = steps(180.0, step) - 1;
  std::string block;
  for (int i = 0; i < count; ++i) {
    const double theta = at(0.0, i, step);
    const double db = std::max(10.0 * std::log10(power(theta * degree) / axis), -300.0);
    char line[64];
    std::snprintf(line, sizeof line, "%.6f %.6f\n", theta, db);
    block += line;
  }
  out(block);
}

namespace {
std::vector<PlaneCuts> grasp_cuts(const std::vector<std::string_view>& lines, int& cuts);
}  // namespace

std::vector<PlaneCuts> read_grasp_cut(std::string_view text) {
  int cuts = 0;
  try {
    return grasp_cuts(lines_of(text), cuts);
  } catch (const FormatError& e) {
    if (cuts > 0) throw;
    // The last format read_plane_cuts tries: a file of none of them.
    throw FormatError(
        std::string("not a pattern file that can be read (a veskal-pattern table, a GRASP .cut, a "
                    "CST .ffs or an HFSS .ffd file): ") +
        e.what());
  }
}

namespace {
// The frequency a cut's title names as veskal-pattern writes it ("..., 10
// GHz, phi = 0 deg"); none in any other title.
std::optional<double> title_frequency(std::string_view title) {
  const std::size_t end = title.find(" GHz, phi = ");
  if (end == std::string_view::npos) return std::nullopt;
  const std::size_t begin = title.rfind(", ", end);
  if (begin == std::string_view::npos) return std::nullopt;
  const auto v = numbers_of(title.substr(begin + 2, end - begin - 2));
  return v && v->size() == 1 ? std::optional((*v)[0]) : std::nullopt;
}

std::vector<PlaneCuts> grasp_cuts(const std::vector<std::string_view>& lines, int& cuts) {
  std::vector<PlaneCuts> sets;
  std::optional<PlaneCuts> pending_e;  // a phi = 0 cut waiting for its phi = 90 cut
  std::size_t i = 0;
  while (i < lines.size()) {
    if (lines[i].find_first_not_of(" \t") == std::string_view::npos) {
      ++i;
      continue;
    }
    // A title line, then the cut's parameters.
    if (i + 1 >= lines.size()) throw FormatError(at_line(i) + "a cut title without the cut's parameter line");
    const auto head = numbers_of(lines[i + 1]);
    if (!head || head->size() < 6)
      throw FormatError(at_line(i + 1) + "not a cut's parameter line (V_INI V_INC V_NUM C ICOMP ICUT NCOMP)");
    const double start = (*head)[0], inc = (*head)[1], num = (*head)[2], phi = (*head)[3];
    // The codes are small whole numbers; anything else matches none of them.
    const auto code = [&](std::size_t k, int otherwise) {
      if (k >= head->size()) return otherwise;
      const double v = (*head)[k];
      return v >= 0.0 && v <= 100.0 && v == std::floor(v) ? static_cast<int>(v) : -1;
    };
    const int icomp = code(4, -1), icut = code(5, -1), ncomp = code(6, 2);
    if (!(num >= 1 && num <= 1e7 && num == std::floor(num)) || !(inc > 0.0))
      throw FormatError(at_line(i + 1) + "V_NUM must be a whole number of samples and V_INC positive");
    if (icut != 1)
      throw FormatError(at_line(i + 1) + "only polar cuts (ICUT 1) hold a pattern against theta");
    if (icomp != 1 && icomp != 3)
      throw FormatError(at_line(i + 1) +
                        "components must be theta/phi (ICOMP 1) or Ludwig's third co/cross (ICOMP 3)");
    if (ncomp < 2) throw FormatError(at_line(i + 1) + "NCOMP must be 2 or 3");
    const auto n = static_cast<std::size_t>(num);
    if (i + 2 + n > lines.size())
      throw FormatError(at_line(lines.size() - 1) + "the cut ends before its V_NUM samples");
    std::vector<double> angles;
    std::vector<Field> values;
    for (std::size_t k = 0; k < n; ++k) {
      const auto row = numbers_of(lines[i + 2 + k]);
      if (!row || row->size() < 4) throw FormatError(at_line(i + 2 + k) + "a sample needs four numbers");
      const double theta = start + static_cast<double>(k) * inc;
      if (theta < -1e-9 || theta > 180.0 + 1e-9) continue;
      for (std::size_t c = 0; c < 4; ++c)
        if (!(std::fabs((*row)[c]) <= largest_field))
          throw FormatError(at_line(i + 2 + k) + "a field value beyond 1e100");
      const Field first((*row)[0], (*row)[1]), second((*row)[2], (*row)[3]);
      angles.push_back(std::max(theta, 0.0) * degree);
      values.push_back(icomp == 3 ? first : (phi == 0.0 ? first : -second));
    }
    i += 2 + n;
    ++cuts;
    const bool e_plane = std::fabs(phi) < 1e-9, h_plane = std::fabs(phi - 90.0) < 1e-9;
    if (!e_plane && !h_plane) continue;
    if (angles.empty() || angles.front() != 0.0)
      throw FormatError(at_line(i - 1) + "the cut at phi = " + shortest(phi) + " has no sample at theta = 0");
    if (e_plane) {
      if (pending_e)
        throw FormatError(at_line(i - 1) + "two phi = 0 cuts without a phi = 90 cut between them");
      pending_e = PlaneCuts{angles, values, {}, title_frequency(lines[i - 2 - n])};
    } else {
      if (!pending_e) throw FormatError(at_line(i - 1) + "a phi = 90 cut before its phi = 0 cut");
      if (pending_e->angles != angles)
        throw FormatError(at_line(i - 1) + "the phi = 0 and phi = 90 cuts have different angles");
      pending_e->h = values;
      sets.push_back(std::move(*pending_e));
      pending_e.reset();
    }
  }
  if (cuts == 0) throw FormatError("no cut (a title line, then V_INI V_INC V_NUM C ICOMP ICUT NCOMP)");
  if (sets.empty() || pending_e) throw FormatError("no pair of polar cuts at phi = 0 and phi = 90 degrees");
  return sets;
}
}  // namespace

PlaneCuts read_pattern_csv(std::string_view text) {
  const auto lines = lines_of(text);
  constexpr std::string_view head = "angle_deg,e_amplitude_db,h_amplitude_db,e_relative_db,h_relative_db,";
  if (lines.empty() || lines[0].substr(0, head.size()) != head)
    throw FormatError("line 1: not a pattern table (its header is not veskal-pattern's)");
  if (lines[0].find("phase_centre") != std::string_view::npos)
    throw FormatError(
        "line 1: phases referred to each plane's own phase centre do not combine into one pattern; write the "
        "table with --phase-reference aperture");
  PlaneCuts cuts;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    // The eighth column, the 45-degree plane's cross-polar level (-inf on
    // the axis), is not needed: the E and H planes make the pattern.
    std::string_view line = lines[i];
    if (std::count(line.begin(), line.end(), ',') == 7) line = line.substr(0, line.rfind(','));
    const auto row = numbers_of(line, true);
    if (!row || row->size() != 7) throw FormatError(at_line(i) + "a row needs seven numbers (or eight)");
    const double theta = (*row)[0];
    if (!(std::fabs((*row)[1]) <= largest_db && std::fabs((*row)[2]) <= largest_db))
      throw FormatError(at_line(i) + "an amplitude beyond 1000 dB");
    if (theta > 180.0) throw FormatError(at_line(i) + "an angle beyond 180 degrees");
    if (theta < 0.0) continue;
    if (!cuts.angles.empty() && !(theta * degree > cuts.angles.back()))
      throw FormatError(at_line(i) + "the angles do not ascend");
    cuts.angles.push_back(theta * degree);
    cuts.e.push_back(std::polar(std::pow(10.0, (*row)[1] / 20.0), (*row)[5] * degree));
    cuts.h.push_back(std::polar(std::pow(10.0, (*row)[2] / 20.0), (*row)[6] * degree));
  }
  if (cuts.angles.empty() || cuts.angles.front() != 0.0) throw FormatError("no row at angle 0");
  if (cuts.angles.size() < 2) throw FormatError("fewer than two angles from 0 on");
  return cuts;
}

namespace {

// The cut pairs of a whole-sphere file, sampled at theta from 0 and phi.
class SphereCuts {
 public:
  SphereCuts(double frequency_ghz) { cuts_.frequency_ghz = frequency_ghz; }
  // A sample at (theta, phi) in degrees: kept where phi is 0 or 90.
  void take(std::size_t line, double theta, double phi, const Field& e_theta, const Field& e_phi) {
    for (const double v : {e_theta.real(), e_theta.imag(), e_phi.real(), e_phi.imag()})
      if (!(std::fabs(v) <= largest_field)) throw FormatError(at_line(line) + "a field value beyond 1e100");
    const bool e_plane = std::fabs(phi) < 1e-9, h_plane = std::fabs(phi - 90.0) < 1e-9;
    if (!e_plane && !h_plane) return;
    auto& [angles, values] = e_plane ? e_ : h_;
    if (!angles.empty() && !(theta > angles.back()))
      throw FormatError(at_line(line) + "the angles theta do not ascend");
    angles.push_back(theta);
    values.push_back(e_plane ? e_theta : -e_phi);
  }
  PlaneCuts done(std::size_t line) {
    if (e_.first.empty() || h_.first.empty())
      throw FormatError(at_line(line) + "no samples at phi = 0 and phi = 90 degrees");
    if (e_.first != h_.first)
      throw FormatError(at_line(line) + "the phi = 0 and 90 cuts have different angles");
    if (std::fabs(e_.first.front()) > 1e-9) throw FormatError(at_line(line) + "no sample at theta = 0");
    if (e_.first.size() < 2) throw FormatError(at_line(line) + "fewer than two angles from theta = 0 on");
    for (const double t : e_.first) cuts_.angles.push_back(std::max(t, 0.0) * degree);
    cuts_.e = std::move(e_.second);
    cuts_.h = std::move(h_.second);
    return std::move(cuts_);
  }

 private:
  PlaneCuts cuts_;
  std::pair<std::vector<double>, std::vector<Field>> e_, h_;
};

// The numbers of line i, which must be `count` of them (0: any).
std::vector<double> numbers_at(const std::vector<std::string_view>& lines, std::size_t i, std::size_t count,
                               const char* what) {
  const auto row = i < lines.size() ? numbers_of(lines[i]) : std::nullopt;
  if (!row || (count > 0 && row->size() != count) || row->empty())
    throw FormatError(at_line(std::min(i, lines.size())) + what);
  return *row;
}

bool blank(std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; }

// The next line at or after i that is neither blank nor a comment.
std::size_t next_data(const std::vector<std::string_view>& lines, std::size_t i) {
  while (i < lines.size() && (blank(lines[i]) || lines[i].rfind("//", 0) == 0)) ++i;
  return i;
}

// The line after the comment that begins with `marker`, from i on.
std::size_t after_marker(const std::vector<std::string_view>& lines, std::size_t i, std::string_view marker) {
  while (i < lines.size() && lines[i].rfind(marker, 0) != 0) ++i;
  if (i == lines.size()) throw FormatError("no \"" + std::string(marker) + "\" block");
  return i + 1;
}

// A sample count from a file, bounded.
std::size_t count_of(double v, std::size_t line, const char* what) {
  if (!(v >= 1.0 && v <= 1e7 && v == std::floor(v))) throw FormatError(at_line(line) + what);
  return static_cast<std::size_t>(v);
}

}  // namespace

std::vector<PlaneCuts> read_cst_ffs(std::string_view text) {
  const auto lines = lines_of(text);
  std::size_t i = next_data(lines, after_marker(lines, 0, "// #Frequencies"));
  const std::size_t count = count_of(numbers_at(lines, i, 1, "the number of frequencies")[0], i,
                                     "the number of frequencies must be a whole number from 1");
  const std::vector<double> z = numbers_at(lines, next_data(lines, after_marker(lines, i, "// zAxis")), 3,
                                           "the z axis needs three numbers");
  const std::vector<double> x = numbers_at(lines, next_data(lines, after_marker(lines, i, "// xAxis")), 3,
                                           "the x axis needs three numbers");
  if (z != std::vector<double>{0.0, 0.0, 1.0} || x != std::vector<double>{1.0, 0.0, 0.0})
    throw FormatError(
        "the file's axes must be z = (0 0 1) along the feed's axis and x = (1 0 0) its polarisation");
  i = after_marker(lines, i, "// Radiated/Accepted/Stimulated Power");
  std::vector<double> frequencies;
  for (std::size_t f = 0; f < count; ++f) {
    for (int k = 0; k < 4; ++k) {
      i = next_data(lines, i);
      const double v = numbers_at(lines, i, 1, "the powers and frequency need one number a line")[0];
      if (k == 3) frequencies.push_back(v / 1e9);
      ++i;
    }
  }
  std::vector<PlaneCuts> out;
  for (const double f : frequencies) {
    i = next_data(lines, after_marker(lines, i, "// >> Total #phi samples"));
    const std::vector<double> n = numbers_at(lines, i, 2, "the phi and theta sample counts need two numbers");
    const std::size_t samples = count_of(n[0], i, "the sample counts must be whole numbers from 1") *
                                count_of(n[1], i, "the sample counts must be whole numbers from 1");
    SphereCuts cuts(f);
    i = next_data(lines, i + 1);
    for (std::size_t k = 0; k < samples; ++k, ++i) {
      const std::vector<double> v =
          numbers_at(lines, i, 6, "a sample needs six numbers (phi theta E_theta E_phi)");
      cuts.take(i, v[1], v[0], {v[2], v[3]}, {v[4], v[5]});
    }
    out.push_back(cuts.done(i - 1));
  }
  return out;
}

std::vector<PlaneCuts> read_hfss_ffd(std::string_view text) {
  const auto lines = lines_of(text);
  const std::vector<double> theta =
      numbers_at(lines, 0, 3, "not HFSS far-field data (theta start, stop, count)");
  const std::vector<double> phi = numbers_at(lines, 1, 3, "phi start, stop and count");
  const std::size_t thetas = count_of(theta[2], 0, "the theta count must be a whole number from 1");
  const std::size_t phis = count_of(phi[2], 1, "the phi count must be a whole number from 1");
  const double theta_step = thetas > 1 ? (theta[1] - theta[0]) / double(thetas - 1) : 0.0;
  const double phi_step = phis > 1 ? (phi[1] - phi[0]) / double(phis - 1) : 0.0;
  if (lines.size() < 3 || lines[2].rfind("Frequencies ", 0) != 0)
    throw FormatError(at_line(2) + "\"Frequencies N\" expected");
  const auto n = numbers_of(lines[2].substr(12));
  if (!n || n->size() != 1) throw FormatError(at_line(2) + "\"Frequencies N\" expected");
  const std::size_t count = count_of((*n)[0], 2, "the number of frequencies must be a whole number from 1");
  if (double(thetas) * double(phis) * double(count) > 1e8) throw FormatError("more than 1e8 samples");
  std::vector<PlaneCuts> out;
  std::size_t i = 3;
  for (std::size_t f = 0; f < count; ++f) {
    if (i >= lines.size() || lines[i].rfind("Frequency ", 0) != 0)
      throw FormatError(at_line(i) + "\"Frequency F\" (Hz) expected");
    const auto hz = numbers_of(lines[i].substr(10));
    if (!hz || hz->size() != 1) throw FormatError(at_line(i) + "\"Frequency F\" (Hz) expected");
    SphereCuts cuts((*hz)[0] / 1e9);
    ++i;
    for (std::size_t t = 0; t < thetas; ++t)
      for (std::size_t p = 0; p < phis; ++p, ++i) {
        const std::vector<double> v = numbers_at(lines, i, 4, "a sample needs four numbers (E_theta E_phi)");
        cuts.take(i, theta[0] + double(t) * theta_step, phi[0] + double(p) * phi_step, {v[0], v[1]},
                  {v[2], v[3]});
      }
    out.push_back(cuts.done(i - 1));
  }
  return out;
}

std::vector<PlaneCuts> read_plane_cuts(std::string_view text) {
  if (text.rfind("angle_deg,", 0) == 0) return {read_pattern_csv(text)};
  if (text.rfind("// CST Farfield Source File", 0) == 0) return read_cst_ffs(text);
  const auto lines = lines_of(text);
  if (lines.size() > 2 && lines[2].rfind("Frequencies ", 0) == 0) return read_hfss_ffd(text);
  std::vector<PlaneCuts> cuts = read_grasp_cut(text);
  return cuts;
}

}  // namespace exchange
