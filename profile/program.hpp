// veskal-profile as a function: the command line in, the drawing or part
// written, the exit status out.
#pragma once

namespace profile {

int program(int argc, char** argv);

}  // namespace profile
