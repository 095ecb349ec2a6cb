// The math-library calls whose domain errors end a run. The numerical code
// calls these instead of std::sqrt and std::log; a domain error is thrown as
// DomainError, and the console program decides what the run does with it.
//
//   checked_sqrt(x): x < 0 (not NaN, not -0.0) is a domain error; otherwise std::sqrt.
//   checked_log(x):  x < 0 is a domain error; log(+-0) = -inf; NaN gives NaN.
#pragma once

#include <stdexcept>
#include <string>

namespace numerics {

struct DomainError : std::domain_error {
  explicit DomainError(const char* name)
      : std::domain_error(std::string(name) + " of a negative number"), function(name) {}
  const char* function;  // "sqrt" or "log"
};

double checked_sqrt(double x);
double checked_log(double x);

}  // namespace numerics
