// Cost of the walk and entry building against a plain memcpy of the same bytes; the
// walk's cost per record must not grow with the number of records.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "RecordBuilder.h"
#include "StreamWalk.h"

namespace {

std::vector<uint8_t> MakeChain(int64_t count) {
    std::vector<tessaline::testing::Record> records;
    records.push_back({u"::$DATA", 4096});
    for (int64_t i = 0; i < count; ++i)
        records.push_back({u":stream-" + tessaline::ToDecimal(i) + u":$DATA", i * 37});
    return tessaline::testing::BuildRecords(records);
}

void BM_Walk(benchmark::State& state) {
    const auto chain = MakeChain(state.range(0));
    for (auto _ : state) {
        auto entries = tessaline::WalkStreamRecords(chain.data(), chain.size());
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * int64_t(chain.size()));
}

void BM_Memcpy(benchmark::State& state) {
    const auto chain = MakeChain(state.range(0));
    std::vector<uint8_t> copy(chain.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), chain.data(), chain.size());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * int64_t(chain.size()));
}

}  // namespace

BENCHMARK(BM_Walk)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Memcpy)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
