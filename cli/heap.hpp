// The heap of a program that runs the mode-matching engine, set by its own
// main (a library leaves the process's allocator alone).
#pragma once

namespace cli {

// glibc gives the top of its heap back to the system whenever more than
// 128 kB of it lies free. A wave frees all its matrices (megabytes) when it
// is done, and the next frequency's faulted them in again page by page: a
// third of a band's time in the kernel. The freed heap is kept up to the
// engine's own bound (modal::max_kept_bytes). Setting that ends glibc's own
// adjustment of the size above which a block is mapped on its own (and
// unmapped when freed, to be faulted in afresh: 128 kB, a matrix of 90
// modes); that size is set to 32 MB, above any one matrix. Elsewhere than
// glibc, nothing.
void keep_freed_heap();

}  // namespace cli
