#include "numerics/checked_math.hpp"

#include <cmath>

namespace numerics {

double checked_sqrt(double x) {
  if (x < 0.0) throw DomainError("sqrt");
  return std::sqrt(x);
}

double checked_log(double x) {
  if (x < 0.0) throw DomainError("log");
  return std::log(x);
}

}  // namespace numerics
