// Figures as the tables print them.
#pragma once
#include <cstdint>
#include <string>

// 1234567 as "1,234,567".
std::string Grouped(uint64_t value);
// value with the given number of decimals.
std::string Fixed(double value, int decimals);
