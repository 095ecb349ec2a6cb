// Compiles: the control case, so that the two above fail for their include alone.
#include "horn/gain.hpp"
#include "numerics/interpolation.hpp"
