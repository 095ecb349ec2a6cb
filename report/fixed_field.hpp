// Fixed-point fields Fw.d: the value rounded to d decimals from its exact
// stored single-precision value, right-justified in w columns, a minus sign for
// every negative value (also one that rounds to zero, and -0.0), and w
// asterisks when it does not fit. The leading zero of a value below 1 is
// dropped only when the field is one column short for it.
// NaN, Infinity and -Infinity start in the field's second column with the rest
// blank ("Inf" and "-Inf" when the long form does not fit; asterisks when
// nothing fits).
#pragma once

#include <string>

namespace report {

void append_fixed(std::string& out, float value, int width, int decimals);

}  // namespace report
