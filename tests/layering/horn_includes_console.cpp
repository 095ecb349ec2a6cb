// Must not compile: the horn model knows nothing of the console program.
#include "console/terminal.hpp"
