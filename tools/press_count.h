// The press count that crs-drive and crs-snapshot take on their command lines: a plain whole
// number of Up-arrow presses, 0 to the largest 32-bit value.
#pragma once

#include <cstdint>

constexpr long long kMaxPresses = INT32_MAX;

// Parses `text`; returns null on success, otherwise the reason, leaving `presses` alone.
const char* ParsePresses(const char* text, std::int32_t& presses);
