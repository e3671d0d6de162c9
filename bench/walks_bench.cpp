// What Lumra's work costs on a simulated desktop of 100 windows: one enumeration with the layering
// walk (start), one "OK" (enumeration and level walk), and an idle tick (same window in front).
#include "LumraFixture.h"

#include <benchmark/benchmark.h>

namespace {

std::string Label(int i) {
    std::string label = std::to_string(i);
    label.insert(label.begin(), 'w');
    return label;
}

struct Desktop {
    SimDesktop sim;
    vcl::ApplicationScope app;
    std::vector<win::HWND> windows;
    explicit Desktop(int count) {
        sim.AddResource("TFORM1", FormDescription());
        sim.AddDesktop();
        for (int i = 0; i < count; ++i) windows.push_back(sim.AddWindow(Label(i)));
        vcl::Application->Initialize();
        vcl::Application->CreateForm(Form1);
        sim.log.reserve(1 << 20);
    }
    ~Desktop() { vcl::Free(Form1); }
};

void StartWithLayeringWalk(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        {
            SimDesktop sim;
            vcl::ApplicationScope app;
            sim.AddResource("TFORM1", FormDescription());
            for (int i = 0; i < state.range(0); ++i) sim.AddWindow(Label(i));
            vcl::Application->Initialize();
            state.ResumeTiming();
            vcl::Application->CreateForm(Form1); // reads the form, enumerates, layers every window
            state.PauseTiming();
            vcl::Free(Form1);
        }
        state.ResumeTiming();
    }
}
BENCHMARK(StartWithLayeringWalk)->Arg(100)->Unit(benchmark::kMicrosecond);

void EnumerationAndLevelWalk(benchmark::State& state) {
    Desktop desktop(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Form1->Button1Click(nullptr);
        state.PauseTiming();
        desktop.sim.ClearLog();
        state.ResumeTiming();
    }
}
BENCHMARK(EnumerationAndLevelWalk)->Arg(100)->Unit(benchmark::kMicrosecond);

void IdleTick(benchmark::State& state) {
    Desktop desktop(static_cast<int>(state.range(0)));
    desktop.sim.SetForeground(desktop.windows[0]);
    Form1->Timer1Timer(nullptr);
    for (auto _ : state) Form1->Timer1Timer(nullptr);
}
BENCHMARK(IdleTick)->Arg(100)->Unit(benchmark::kNanosecond);

} // namespace

BENCHMARK_MAIN();
