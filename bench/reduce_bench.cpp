// The one-pass reducer of thumbnails and previews: a 4096 x 4096 picture's rows, already in
// memory as red, green and blue, averaged into a 256 x 256 box.

#include "formats/reduce.h"

#include <benchmark/benchmark.h>

namespace varnox::bench {

namespace {

void ReduceRows(benchmark::State& state)
{
    const auto side = static_cast<std::int32_t>(state.range(0));
    // A few different rows, so that the sums are not all alike.
    std::vector<Bytes> rows(7, Bytes(static_cast<std::size_t>(side) * 3));
    for (std::size_t k = 0; k < rows.size(); ++k)
        for (std::size_t at = 0; at < rows[k].size(); ++at)
            rows[k][at] = static_cast<std::uint8_t>(at * 7 + k * 31);
    for (auto _ : state) {
        BoxReducer reducer(256);
        if (!reducer.Start(side, side).ok())
            state.SkipWithError("Start refused");
        for (std::int32_t y = 0; y < side; ++y)
            (void)reducer.WriteRow(rows[static_cast<std::size_t>(y) % rows.size()]);
        (void)reducer.Finish();
        benchmark::DoNotOptimize(reducer.Pixels().data());
    }
    state.SetBytesProcessed(state.iterations() * side * side * 3);
}

} // namespace

BENCHMARK(ReduceRows)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace varnox::bench
