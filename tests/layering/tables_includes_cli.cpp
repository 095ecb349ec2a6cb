// Must not compile: the shared libraries are free of the command line.
#include <CLI/CLI.hpp>
