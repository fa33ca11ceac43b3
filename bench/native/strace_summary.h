// The system calls strace counted over one pass of a reader (`strace -f -c -U name,calls`):
// calls by name, and in all.
#pragma once
#include <cstdint>
#include <map>
#include <string>

struct SyscallCounts {
    std::map<std::string, uint64_t> ByName;
    uint64_t Total = 0;

    bool Empty() const noexcept { return Total == 0; }
    // The calls of this pass beyond those of a baseline pass (one that reads no file).
    SyscallCounts Minus(const SyscallCounts& baseline) const;
};

// Empty when the file is missing or holds no summary.
SyscallCounts ReadStraceSummary(const std::string& path);
