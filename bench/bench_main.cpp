// varnox-bench: runs every registered benchmark, then prints the registered ratios and the
// peak memory of the conversions.

#include "bench/ratio.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string_view>
#include <vector>

namespace varnox::bench {

namespace {

struct Ratio {
    std::string label, benchmark, baseline;
    double goal = 0; // none when 0
};

std::vector<Ratio>& Ratios()
{
    static std::vector<Ratio> ratios;
    return ratios;
}

// The console output as usual, and the real time per iteration of every benchmark kept by
// name: the median when the run was repeated, else the time of the single run.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians[name] = run.GetAdjustedRealTime();
            else if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                singles[name] = run.GetAdjustedRealTime();
        }
    }
    double Time(const std::string& name) const
    {
        if (const auto m = medians.find(name); m != medians.end())
            return m->second;
        const auto s = singles.find(name);
        return s == singles.end() ? 0.0 : s->second;
    }

  private:
    std::map<std::string, double> medians, singles;
};

} // namespace

bool AddRatio(const std::string& label, const std::string& benchmark, const std::string& baseline)
{
    Ratios().push_back({label, benchmark, baseline});
    return true;
}

bool AddGoal(const std::string& label, const std::string& benchmark, const std::string& baseline, double goal)
{
    Ratios().push_back({label, benchmark, baseline, goal});
    return true;
}

namespace {

// The ratio's benchmark time over its baseline's; a baseline "A+B" is the sum of two
// benchmarks' times. 0 when either was not run.
double Measure(const RatioReporter& reporter, const Ratio& ratio)
{
    const double time = reporter.Time(ratio.benchmark);
    double baseline = 0;
    for (std::size_t from = 0; from <= ratio.baseline.size();) {
        const std::size_t plus = std::min(ratio.baseline.find('+', from), ratio.baseline.size());
        const double part = reporter.Time(ratio.baseline.substr(from, plus - from));
        baseline = part <= 0 || baseline < 0 ? -1 : baseline + part;
        from = plus + 1;
    }
    return time <= 0 || baseline <= 0 ? 0 : time / baseline;
}

// The ratios, then the goals with their verdicts.
void PrintRatios(const RatioReporter& reporter)
{
    for (const bool goals : {false, true}) {
        if (goals)
            std::printf("Goals:\n");
        for (const auto& ratio : Ratios()) {
            const double measured = Measure(reporter, ratio);
            if (measured <= 0 || (ratio.goal > 0) != goals)
                continue;
            if (goals)
                std::printf("  %s: %.3f x (goal <= %.2f x): %s\n", ratio.label.c_str(), measured, ratio.goal,
                            measured <= ratio.goal ? "met" : "not met");
            else
                std::printf("%s: %.3f x (%s / %s)\n", ratio.label.c_str(), measured, ratio.benchmark.c_str(),
                            ratio.baseline.c_str());
        }
    }
}

} // namespace

} // namespace varnox::bench

int main(int argc, char** argv)
{
    using namespace varnox::bench;
    if (argc == 4 && std::string_view(argv[1]) == "--peak-of")
        return PrintPeakOf(argv[2], argv[3]);
    // --no-memory leaves out the peak memory runs after the benchmarks.
    bool withMemory = true;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--no-memory") {
            withMemory = false;
            std::copy(argv + i + 1, argv + argc, argv + i);
            --argc;
            break;
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintRatios(reporter);
    PrintStreamSizes();
    if (withMemory) {
        PrintPeakMemory();
        PrintArchivePeakMemory();
        PrintFastPackingPeak();
    }
    return 0;
}
