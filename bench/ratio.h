#pragma once
// Ratios printed after the run: the time of one benchmark over the time of its baseline,
// both measured in the same run.

#include <string>

namespace varnox::bench {

// Registers "label: benchmark / baseline"; call before main runs (from a static initialiser).
// A benchmark with an argument is named "name/argument".
bool AddRatio(const std::string& label, const std::string& benchmark, const std::string& baseline);

// Runs each conversion once through varnox-cli and prints its peak memory.
void PrintPeakMemory();

}  // namespace varnox::bench
