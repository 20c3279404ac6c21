// The walk's cost per record must not grow with the number of records: a folder with many
// streams must not stall the Properties dialog.
#include <benchmark/benchmark.h>

#include "RecordBuilder.h"
#include "StreamWalk.h"

namespace {

void BM_Walk(benchmark::State& state) {
    std::vector<tessaline::testing::Record> records{{u"::$DATA", 4096}};
    for (int64_t i = 0; i < state.range(0); ++i)
        records.push_back({u":stream-" + tessaline::ToDecimal(i) + u":$DATA", i * 37});
    const auto chain = tessaline::testing::BuildRecords(records);
    for (auto _ : state) {
        auto entries = tessaline::WalkStreamRecords(chain.data(), chain.size());
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_Walk)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
