#pragma once
// Asks the system to back a large, long-lived region with large pages where
// it can (Linux's transparent huge pages; elsewhere nothing is done). A run
// touches some 60 MB of fresh static storage, and in 4 KiB pages handing it
// over costs some 14,000 page faults, a tenth of a short run. Takes the
// region's start and size; the region need not be aligned (only the whole
// large pages inside it are asked for) and must not have been touched yet
// for the request to take effect at once.
#include <cstddef>

void PreferLargePages(void* begin, std::size_t bytes);
