// veskal-feed: what a TE-11 conical horn does to a paraboloid.
#include "cli/options.hpp"
#include "feed/program.hpp"

int main(int argc, char** argv) { return cli::guarded_main("veskal-feed", feed::program, argc, argv); }
