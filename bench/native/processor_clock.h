// The processor time of the calling thread, user and system (CLOCK_THREAD_CPUTIME_ID):
// the native benchmark's clock.  On a machine shared with other work it leaves out the
// time others hold the processor, which the wall clock counts; a read of a file in the
// page cache waits for no device, so the thread's time off the processor is only that.
#pragma once
#include <time.h>

inline double ThreadProcessorSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
