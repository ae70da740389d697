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
