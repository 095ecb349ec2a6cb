// veskal-feed as a function: the command line in, the output written, the
// exit status out (the fuzz target calls it without a process of its own).
#pragma once

namespace feed {

// Parses the command line, computes and writes; throws what the program's
// main turns into one line and an exit status (cli::guarded_main).
int program(int argc, char** argv);

}  // namespace feed
