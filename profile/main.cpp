// veskal-profile: a horn's half cross-section as a dimensioned SVG picture,
// a DXF drawing, or a STEP solid of revolution to machine.
#include "cli/options.hpp"
#include "profile/program.hpp"

int main(int argc, char** argv) { return cli::guarded_main("veskal-profile", profile::program, argc, argv); }
