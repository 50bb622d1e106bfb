#pragma once
// Ratios printed after the run: the time of one benchmark over the time of its baseline,
// both measured in the same run.

#include "fileio/fileio.h"

#include <string>

namespace varnox::bench {

// Registers "label: benchmark / baseline"; call before main runs (from a static initialiser).
// A benchmark with an argument is named "name/argument".
bool AddRatio(const std::string& label, const std::string& benchmark, const std::string& baseline);

// Registers a goal: the ratio of benchmark over baseline, printed after the ratios with the
// goal it must not exceed and whether it was met.
bool AddGoal(const std::string& label, const std::string& benchmark, const std::string& baseline,
             double goal);

// Prints the stream sizes of the default and the fast packing of each picture.
void PrintStreamSizes();

// Runs each conversion once in a fresh process and prints its peak memory.
void PrintPeakMemory();

// Runs --fast packing of a 8192 x 8192 TGA in a fresh process and prints its peak memory.
void PrintFastPackingPeak();

// In that fresh process: runs one conversion ("gfp2tga", "tga2gfp") of the pictures in
// folder and prints the rise of its resident memory in bytes; 0 when it succeeded.
int PrintPeakOf(const std::string& job, const Path& folder);

// A field of /proc/self/status ("VmRSS", "VmHWM") in bytes; -1 when it cannot be read.
std::int64_t StatusBytes(const std::string& field);

// Runs varnox-bench --peak-of JOB FOLDER in a fresh process and reads the peak it found;
// -1 when the run failed.
std::int64_t PeakOfFreshRun(const std::string& job, const Path& folder);

double MiB(std::int64_t bytes);

// Runs one archive job of the memory runs ("extract-large", "pack-large") on folder; false
// for another name or when the job failed.
bool RunArchiveJob(const std::string& job, const Path& folder);

// Runs extract and pack of an archive with a 1.5 GiB item, each in a fresh process, and
// prints their peak memory.
void PrintArchivePeakMemory();

} // namespace varnox::bench
