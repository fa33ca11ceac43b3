#include "strace_summary.h"

#include <fstream>
#include <sstream>

SyscallCounts SyscallCounts::Minus(const SyscallCounts& baseline) const {
    SyscallCounts rest;
    for (const auto& entry : ByName) {
        const auto base = baseline.ByName.find(entry.first);
        const uint64_t before = base != baseline.ByName.end() ? base->second : 0;
        if (entry.second > before) rest.ByName[entry.first] = entry.second - before;
    }
    rest.Total = Total > baseline.Total ? Total - baseline.Total : 0;
    return rest;
}

SyscallCounts ReadStraceSummary(const std::string& path) {
    SyscallCounts counts;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name;
        uint64_t calls = 0;
        // The heading and the rules have no number in second place.
        if (!(fields >> name >> calls)) continue;
        if (name == "total") {
            counts.Total = calls;
        } else {
            counts.ByName[name] = calls;
        }
    }
    return counts;
}
