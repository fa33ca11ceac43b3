// What every benchmark program shares: its command line (--brief for the short run of the
// 32-bit build), the banner that says where it ran, and the apartment it runs in.
#pragma once

class BenchRun {
public:
    BenchRun(int argc, char** argv, const char* title);
    BenchRun(const BenchRun&) = delete;
    BenchRun& operator=(const BenchRun&) = delete;
    ~BenchRun();

    bool Brief() const { return brief_; }
    // The full count, or the brief one.
    int Pick(int full, int brief) const { return brief_ ? brief : full; }

private:
    bool brief_ = false;
};

// Prints a section heading.
void PrintSection(const char* title);
