// Variants of one measurement timed side by side: every round runs each variant once, in
// the same order (A B C D A B C D ...), so that whatever the machine does meanwhile falls
// on all of them alike.  The headline of a comparison is the paired ratio, the median of
// the ratios taken round by round, which is far steadier on a noisy machine than a ratio
// of medians.  Short passes and many rounds keep each pair close together in time.  Plain
// C++: the Windows programs and the native one (bench/native) pair their variants alike.
#pragma once
#include <functional>
#include <string>
#include <vector>

struct BenchVariant {
    std::string Name;
    std::function<void(int round)> Run;  // one timed pass; the warm-up pass is round 0 too
    double Units;                        // what one pass does (files, calls), to give a time per unit
};

// Seconds per pass, by variant, in round order.
using RoundTimes = std::vector<std::vector<double>>;

// Seconds on some clock from some start: a pass takes the difference.
using BenchClock = double (*)();
// The wall clock (bench_clock.h), the Windows programs' clock.
double WallSeconds();

// One untimed pass of each variant to warm caches, then the rounds.  A pause after each
// pass (untimed) lets the machine settle where a variant leaves work behind, as a process
// that has just ended does.
RoundTimes RunInterleaved(const std::vector<BenchVariant>& variants, int rounds, unsigned pauseMilliseconds = 0,
                          BenchClock clock = WallSeconds);

double Median(std::vector<double> values);
// The value below which the given fraction of the values lie (0.25: the lower quartile).
double Quantile(std::vector<double> values, double fraction);

// A variant's median time per unit in microseconds, and its units per second.
double MicrosecondsPerUnit(const BenchVariant& variant, const std::vector<double>& seconds);

// Prints one line per variant: the median per unit, units per second, and the spread of
// the rounds (the middle half of them, per unit).
void PrintVariantTable(const std::vector<BenchVariant>& variants, const RoundTimes& times, const char* unit);
// The paired ratio of numerator over denominator per unit, variants by index, and the
// quartiles of the per-round ratios.
struct PairedRatio {
    double Median = 0, Low = 0, High = 0;
};
PairedRatio PairedRatioOf(const std::vector<BenchVariant>& variants, const RoundTimes& times, size_t numerator,
                          size_t denominator);
// Prints "name  ratio  (middle half lo .. hi)" for numerator over denominator, variants by
// index, with the quartiles of the per-round ratios; returns the paired ratio.
double PrintPairedRatio(const char* name, const std::vector<BenchVariant>& variants, const RoundTimes& times,
                        size_t numerator, size_t denominator);
