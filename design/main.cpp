// veskal-design: the conical horn for a requirement (a gain, or a 3 dB or
// 10 dB beamwidth, at one frequency), with the answers that make veskal
// report it.
#include "cli/options.hpp"
#include "design/program.hpp"

int main(int argc, char** argv) { return cli::guarded_main("veskal-design", design::program, argc, argv); }
