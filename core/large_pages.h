#pragma once
// Asks the system to back a large, long-lived region with large pages where
// it can (Linux's transparent huge pages; elsewhere nothing is done). A run
// touches some 40 MB of fresh workspace, and in 4 KiB pages handing it over
// costs some 10,000 page faults, a tenth of a short run. Only for regions
// touched nearly whole: each large page touched at all is handed over
// whole. Takes the region's start and size; the region need not be aligned
// (only the whole large pages inside it are asked for) and must not have
// been touched yet for the request to take effect at once.
#include <cstddef>

void PreferLargePages(void* begin, std::size_t bytes);

// Asks the C library to keep the memory the run frees for its later
// allocations, in one pool for all its threads, instead of handing it back
// to the system, and grows that pool at once on large pages where it can: a
// run allocates and frees megabytes of picture buffers on two threads (the
// trial encode's, then the composed pictures' and the encoders'), and in
// small pages each fresh page costs a page fault (this saves some 3,000 of
// the 4,200 of a short run). Call it first thing, before any thread starts.
// With glibc only; elsewhere nothing is done.
void ReuseFreedMemory();
