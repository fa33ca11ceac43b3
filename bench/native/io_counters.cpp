#include "io_counters.h"

#include <fcntl.h>

#include <cstdio>
#include <cstring>

#include "common/unique_descriptor.h"

namespace {

uint64_t ValueOf(const char* text, const char* name) {
    const char* at = std::strstr(text, name);
    unsigned long long value = 0;
    if (at != nullptr) std::sscanf(at + std::strlen(name), "%llu", &value);
    return value;
}

}  // namespace

IoCounts ReadIoCounts() {
    // One read call, whose own count lands in the figures: one in a pass of thousands of files.
    char text[512] = {};
    const UniqueDescriptor file(open("/proc/self/io", O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0 || read(file.Get(), text, sizeof text - 1) <= 0) return {};
    return {ValueOf(text, "rchar:"), ValueOf(text, "syscr:")};
}
