// The Win32 work of one idle pass of the viewer's loop, on SDL's offscreen driver: a peek that
// finds the queue empty, and the ten overlay lines drawn with TextOutA.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/portable/win32/window.h"

namespace {

HWND BenchWindow()
{
    static HWND window = [] {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "bench";
        RegisterClassExA(&wc);
        HWND created = CreateWindowExA(0, "bench", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600,
                                       nullptr, nullptr, nullptr, nullptr);
        ShowWindow(created, SW_SHOW);
        UpdateWindow(created);
        return created;
    }();
    return window;
}

void BM_PeekEmptyQueue(benchmark::State& state)
{
    BenchWindow();
    MSG msg{};
    for (auto _ : state) benchmark::DoNotOptimize(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}
BENCHMARK(BM_PeekEmptyQueue);

void BM_OverlayText(benchmark::State& state)
{
    HDC dc = GetDC(BenchWindow());
    char line[80];
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i) {
            std::snprintf(line, sizeof line, "fPosZ = %f", -13.0 + i);
            TextOutA(dc, 0, 18 * i, line, static_cast<int>(std::strlen(line)));
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OverlayText);

}  // namespace

BENCHMARK_MAIN();
