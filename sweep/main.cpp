// veskal-sweep: the characteristics of one horn over a frequency sweep as a
// CSV table, a JSON document, an SVG picture or veskal's own report file,
// with the aperture engine's figures beside the classic ones on request.
#include "cli/heap.hpp"
#include "cli/options.hpp"
#include "sweep/program.hpp"

int main(int argc, char** argv) {
  cli::keep_freed_heap();  // the engine's matrices kept between frequencies
  return cli::guarded_main("veskal-sweep", sweep::program, argc, argv);
}
