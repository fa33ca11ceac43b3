#include "interleaved_rounds.h"

#include <algorithm>
#include <cstdio>
#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

#include "bench_clock.h"

namespace {

void Pause(unsigned milliseconds) {
#ifdef _WIN32
    Sleep(milliseconds);
#else
    if (milliseconds == 0) return;
    const timespec pause{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000};
    nanosleep(&pause, nullptr);
#endif
}

}  // namespace

double WallSeconds() {
    static const Stopwatch start;
    return start.Seconds();
}

RoundTimes RunInterleaved(const std::vector<BenchVariant>& variants, int rounds, unsigned pauseMilliseconds,
                          BenchClock clock) {
    for (const BenchVariant& variant : variants) {
        variant.Run(0);
        Pause(pauseMilliseconds);
    }
    RoundTimes times(variants.size());
    for (int round = 0; round < rounds; ++round) {
        for (size_t v = 0; v < variants.size(); ++v) {
            const double start = clock();
            variants[v].Run(round);
            times[v].push_back(clock() - start);
            Pause(pauseMilliseconds);
        }
    }
    return times;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Quantile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const double position = fraction * static_cast<double>(values.size() - 1);
    const size_t below = static_cast<size_t>(position);
    const size_t above = below + 1 < values.size() ? below + 1 : below;
    return values[below] + (values[above] - values[below]) * (position - static_cast<double>(below));
}

namespace {

std::vector<double> RoundRatios(const std::vector<double>& numerator, const std::vector<double>& denominator) {
    std::vector<double> ratios;
    for (size_t i = 0; i < numerator.size() && i < denominator.size(); ++i) {
        if (denominator[i] > 0) ratios.push_back(numerator[i] / denominator[i]);
    }
    return ratios;
}

}  // namespace

double MicrosecondsPerUnit(const BenchVariant& variant, const std::vector<double>& seconds) {
    return Median(seconds) * 1e6 / variant.Units;
}

void PrintVariantTable(const std::vector<BenchVariant>& variants, const RoundTimes& times, const char* unit) {
    for (size_t v = 0; v < variants.size(); ++v) {
        const double perUnit = MicrosecondsPerUnit(variants[v], times[v]);
        const double scale = 1e6 / variants[v].Units;
        std::printf("  %-56s %10.3f us/%s %12.0f %s/s   (middle half %.3f .. %.3f)\n", variants[v].Name.c_str(),
                    perUnit, unit, perUnit > 0 ? 1e6 / perUnit : 0.0, unit, Quantile(times[v], 0.25) * scale,
                    Quantile(times[v], 0.75) * scale);
    }
}

PairedRatio PairedRatioOf(const std::vector<BenchVariant>& variants, const RoundTimes& times, size_t numerator,
                          size_t denominator) {
    const std::vector<double> ratios = RoundRatios(times[numerator], times[denominator]);
    // Ratios of times per unit: the passes may do different amounts of work.
    const double scale = variants[denominator].Units / variants[numerator].Units;
    return {Median(ratios) * scale, Quantile(ratios, 0.25) * scale, Quantile(ratios, 0.75) * scale};
}

double PrintPairedRatio(const char* name, const std::vector<BenchVariant>& variants, const RoundTimes& times,
                        size_t numerator, size_t denominator) {
    const PairedRatio ratio = PairedRatioOf(variants, times, numerator, denominator);
    std::printf("  %-12s %8.3f   (middle half %.3f .. %.3f)\n", name, ratio.Median, ratio.Low, ratio.High);
    return ratio.Median;
}
