// Time per Up-arrow press: one plate advance and the counter increment, over whole laps so that
// every plate of the course is in the mix.
#include <benchmark/benchmark.h>

#include "motion/motion_state.h"

namespace {

void BM_Press(benchmark::State& state)
{
    InitPosition();
    for (auto _ : state) {
        AdvancePlate();
        ++plate_pos;
        benchmark::DoNotOptimize(wx);
        benchmark::DoNotOptimize(fPosX);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Press);

}  // namespace

BENCHMARK_MAIN();
