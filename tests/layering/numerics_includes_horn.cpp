// Must not compile: the numerical routines know nothing of the horn model.
#include "horn/gain.hpp"
