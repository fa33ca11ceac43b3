// How many times this process has called operator new, the reader's and TagLib's calls
// alike: the program replaces the global operator new (allocation_counter.cpp), which the
// shared libraries it loads then call too.
#pragma once
#include <cstdint>

uint64_t AllocationCount() noexcept;
