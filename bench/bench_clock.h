// Wall-clock time: the performance counter on Windows, the monotonic clock elsewhere.
#pragma once
#ifdef _WIN32
#include <windows.h>

class Stopwatch {
public:
    Stopwatch() noexcept { QueryPerformanceCounter(&start_); }
    double Seconds() const noexcept {
        LARGE_INTEGER now;
        LARGE_INTEGER frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency.QuadPart);
    }

private:
    LARGE_INTEGER start_;
};
#else
#include <chrono>

class Stopwatch {
public:
    double Seconds() const noexcept {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};
#endif
