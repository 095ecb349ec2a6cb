// veskal-feed: what a TE-11 conical horn does to a paraboloid.
#include "cli/heap.hpp"
#include "cli/options.hpp"
#include "feed/program.hpp"

int main(int argc, char** argv) {
  cli::keep_freed_heap();  // the engine's matrices kept between frequencies
  return cli::guarded_main("veskal-feed", feed::program, argc, argv);
}
