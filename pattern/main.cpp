// veskal-pattern: the E- and H-plane far-field pattern of a TE-11 conical
// horn as a CSV table or an SVG picture.
#include "cli/heap.hpp"
#include "cli/options.hpp"
#include "pattern/program.hpp"

int main(int argc, char** argv) {
  cli::keep_freed_heap();  // the engine's matrices kept between frequencies
  return cli::guarded_main("veskal-pattern", pattern::program, argc, argv);
}
