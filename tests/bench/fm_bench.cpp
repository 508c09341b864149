// The FM core on the preview's job: 131072 frames (2.97 s at 44100 Hz) of one voice, the
// same with all six channels keyed, and a chip reset.

#include "fm/fm.h"
#include "fm/preview_render.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace {

using namespace kavelo;

// Algorithm 4 with feedback 5, detune, key scaling and a slow release.
const voice_record bench_voice =
    *voice_from_hex("2c7132510221df5f9f1f8d0a0c0e0102030444284615031a0a");

constexpr std::array<const char*, 6> six_voices = {
    "2c7132510221df5f9f1f8d0a0c0e0102030444284615031a0a",
    "00013f7275d4945b1e060789890202050106ffa8130825160f",
    "3a0171340d1f1f1f1f0c0a0e0f0302020414242434180a0f1e",
    "1f0202010114141414000000000000000000f0f0f0f1410101",
    "0d4131710c9f9f9f9f06080a070203020155555555190f1020",
    "06010304021a1c1e1f84040505010101011f1f1f1f00101822",
};

// Seconds of CPU time per rendered frame, printed with its SI prefix (e.g. "6.1n").
void set_time_per_frame(benchmark::State& state, int64_t frames) {
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(frames),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}

void preview_render_one_channel(benchmark::State& state) {
    std::vector<int8_t> left(preview_frames), right(preview_frames);
    for (auto _ : state) {
        preview_render(bench_voice, 1, preview_frames, left, right);
        benchmark::DoNotOptimize(left.data());
        benchmark::ClobberMemory();
    }
    set_time_per_frame(state, preview_frames);
}
BENCHMARK(preview_render_one_channel)->Unit(benchmark::kMillisecond);

void write_register(fm_core& core, int32_t part, uint8_t reg, uint8_t value) {
    fm_write(core, 0, 2 * part, reg);
    fm_write(core, 0, 2 * part + 1, value);
}

void render_six_channels(benchmark::State& state) {
    std::vector<int8_t> left(preview_frames), right(preview_frames);
    for (auto _ : state) {
        fm_core core;
        fm_init(core, 1, preview_clock, preview_rate, nullptr, nullptr);
        for (int32_t ch = 0; ch < 6; ++ch) {
            const voice_record voice = *voice_from_hex(six_voices[ch]);
            const int32_t part = ch / 3;
            const auto offset = static_cast<uint8_t>(ch % 3);
            write_register(core, part, 0xB0 + offset, voice[0]);
            for (std::size_t i = 0; i < preview_register_table.size(); ++i) {
                write_register(core, part, preview_register_table[i] + offset, voice[i + 1]);
            }
            const preview_note& note = preview_note_table[ch];
            write_register(core, part, 0xA4 + offset, note.block_fnum_high);
            write_register(core, part, 0xA0 + offset, note.fnum_low);
            write_register(core, 0, 0x28, static_cast<uint8_t>(0xF0 | (ch % 3) | (part << 2)));
        }
        fm_update(core, 0, left, right, preview_frames);
        benchmark::DoNotOptimize(left.data());
        benchmark::ClobberMemory();
        fm_shutdown(core);
    }
    set_time_per_frame(state, preview_frames);
}
BENCHMARK(render_six_channels)->Unit(benchmark::kMillisecond);

void chip_reset(benchmark::State& state) {
    fm_core core;
    fm_init(core, 1, preview_clock, preview_rate, nullptr, nullptr);
    for (auto _ : state) {
        fm_reset(core, 0);
        benchmark::ClobberMemory();
    }
    fm_shutdown(core);
}
BENCHMARK(chip_reset)->Unit(benchmark::kMicrosecond);

} // namespace
