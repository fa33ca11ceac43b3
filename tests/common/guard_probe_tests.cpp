// A test program that misbehaves on request, so that the suite proves its guard
// (tools/guard-test.sh) fails such runs: TARVIK_GUARD_PROBE=crash faults in the second of
// three tests, =exit leaves the process there with status 0.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

const char* Probe() {
    const char* probe = std::getenv("TARVIK_GUARD_PROBE");
    return probe != nullptr ? probe : "";
}

}  // namespace

TEST(GuardProbe, First) { SUCCEED(); }

TEST(GuardProbe, Second) {
    if (std::strcmp(Probe(), "crash") == 0) {
        volatile int* nowhere = nullptr;
        *nowhere = 1;
    }
    if (std::strcmp(Probe(), "exit") == 0) std::exit(0);
}

TEST(GuardProbe, Third) { SUCCEED(); }
