#pragma once

#include <cstddef>

namespace kartevo {

// Prepares the allocator's heap for a run that builds much data in memory (an import of a
// large file): the next `reserve` bytes of the heap are backed by large pages where the
// system offers them on request, and memory given back stays in the process to be used again.
// A page of fresh memory costs a fault when first touched, which on a virtual machine costs
// more than filling it; a large page takes one fault instead of 512. Does nothing where the
// allocator or the system lacks the means (and under the address sanitizer).
void PrepareLargeHeap(std::size_t reserve);

} // namespace kartevo
