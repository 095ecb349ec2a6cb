// A horn's pattern files for reflector programs (exchange/pattern_files.hpp),
// as veskal-pattern writes them and the Python module too: the request's
// checks, each frequency's source in its model, and the file.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "exchange/pattern_files.hpp"
#include "horn/geometry.hpp"
#include "modal/band.hpp"
#include "models/registry.hpp"

namespace pattern_files {

inline constexpr std::array<const char*, 4> formats = {"cut", "ffs", "ffd", "cassbeam"};
inline constexpr std::size_t max_samples = 2000000;  // directions, all frequencies together
inline constexpr std::size_t max_frequencies = 100;

bool is_format(const std::string& format);

// The angle step unless given, degrees: 1 for the sphere's grids (ffs, ffd),
// 0.5 for the cuts.
double default_step(const std::string& format);

// A file's request: `step` dividing 180 degrees, at most max_frequencies
// frequencies (one for cassbeam) and max_samples directions in all.
// Throws numerics::InvalidRequest naming "{step}" or "{frequency}".
void check_request(const std::string& format, double step, std::size_t frequencies);

// Each cause of `model`'s verdict on the cone at `f` but the classic
// tables' end (which has its own warning) warned of once (text::warn); the
// causes' keys joined by ';', empty within the domain.
std::string warn_of_domain(models::Model model, const horn::Horn& horn, float f);

// Each frequency's pattern scaled to the square root of its directivity:
// of a cone in the classic model or an aperture engine (warning of figures
// beyond the classic tables and of the model's domain; a horn it refuses
// throws aperture::InvalidHorn "at F GHz: ..."), and of a wall in the
// mode-matching engine (a frequency it refuses throws std::runtime_error
// "at F GHz: ...").
std::vector<exchange::Source> cone_sources(const horn::Horn& horn, const std::vector<float>& frequencies,
                                           models::Model model);
std::vector<exchange::Source> modal_sources(const modal::Band& band, const std::vector<float>& frequencies,
                                            models::Model model = models::Model::modal);

// The file of `format`; `title` heads a GRASP cut (the program and the horn).
void write(const exchange::Sink& out, const std::string& format, const std::vector<exchange::Source>& sources,
           double step, const std::string& title);

}  // namespace pattern_files
