// The PSG on the track player's job: one second of all four channels sounding, rendered in
// one call and in 735-sample frames (the sound driver's 60 Hz) with a volume write to each
// channel every frame. "x_real_time" is seconds of sound rendered per second of CPU.

#include "psg/sn76489.h"

#include <benchmark/benchmark.h>
#include <span>
#include <vector>

namespace {

using namespace kavelo;

constexpr std::size_t second_samples = psg_default_rate;
constexpr std::size_t frame_samples = psg_default_rate / 60;

struct chord {
    std::array<uint16_t, 3> periods;
    uint8_t noise_control;
};

// A middle-register chord over white noise at clock / 512, and the driver's three highest
// notes over noise at tone 3's rate, the busiest case its tracks can ask for.
constexpr chord middle = {{0x1AB, 0x153, 0x11D}, 0x4};
constexpr chord highest = {{0x011, 0x012, 0x013}, 0x7};

void start(sn76489& psg, const chord& c) {
    for (uint8_t ch = 0; ch < 3; ++ch) {
        const auto cc = static_cast<uint8_t>(ch << 5);
        psg.write(static_cast<uint8_t>(0x80 | cc | (c.periods[ch] & 0x0F)));
        psg.write(static_cast<uint8_t>(c.periods[ch] >> 4));
        psg.write(static_cast<uint8_t>(0x90 | cc | 2));
    }
    psg.write(0xE0 | c.noise_control);
    psg.write(0xF2);
}

void set_real_time_multiple(benchmark::State& state) {
    state.counters["x_real_time"] =
        benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}

void psg_second_in_one_call(benchmark::State& state, const chord& c) {
    sn76489 psg;
    start(psg, c);
    std::vector<int16_t> out(second_samples);
    for (auto _ : state) {
        psg.render(out);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    set_real_time_multiple(state);
}
BENCHMARK_CAPTURE(psg_second_in_one_call, middle, middle)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(psg_second_in_one_call, highest, highest)->Unit(benchmark::kMicrosecond);

void psg_second_in_frames(benchmark::State& state, const chord& c) {
    sn76489 psg;
    start(psg, c);
    std::vector<int16_t> out(second_samples);
    for (auto _ : state) {
        uint8_t volume = 0;
        for (std::size_t done = 0; done < second_samples; done += frame_samples) {
            volume = static_cast<uint8_t>((volume + 1) & 7);
            for (uint8_t cc = 0; cc < 4; ++cc) {
                psg.write(static_cast<uint8_t>(0x90 | (cc << 5) | volume));
            }
            psg.render(
                std::span(out).subspan(done, std::min(frame_samples, second_samples - done)));
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    set_real_time_multiple(state);
}
BENCHMARK_CAPTURE(psg_second_in_frames, middle, middle)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(psg_second_in_frames, highest, highest)->Unit(benchmark::kMicrosecond);

} // namespace
