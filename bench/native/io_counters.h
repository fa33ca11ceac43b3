// What the kernel counts of this process's reading (/proc/self/io): the bytes its read
// calls returned (read, pread, readv: rchar) and how many such calls it made (syscr).
// Counting the difference around a pass needs no tracer and serves every reader alike.
#pragma once
#include <cstdint>

struct IoCounts {
    uint64_t BytesRead = 0;
    uint64_t ReadCalls = 0;
};

// Zeros when the counters cannot be read.
IoCounts ReadIoCounts();
