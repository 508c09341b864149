// The track player on a whole track: three minutes of a busy track (drums, six FM and
// three PSG channels, modulation and envelopes) rendered to 44100 Hz stereo, and the
// driver log of the first minute (3600 frames) of all 19 demo tracks. "x_real_time" is
// seconds of sound rendered per second of CPU.

#include "demo/demo_rom.h"
#include "rom/track_table.h"
#include "track/track_log.h"
#include "track/track_player.h"
#include "track_rom.h"

#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>

namespace {

using namespace kavelo;
using test::stream_bytes;

constexpr double busy_seconds = 180.0;
constexpr int64_t log_frames = 3600;

// Every channel keyed every 6 frames: FM with modulation, PSG with envelopes and noise,
// the drums cycling through kick, snare, two timpani pitches and the long sample.
test::test_track busy_track() {
    test::test_track shape;
    shape.divider = 1;
    shape.main_tempo = 7;
    stream_bytes drums;
    const std::size_t drum_loop = drums.mark();
    drums.add({0x81, 0x0C, 0x82, 0x0C, 0x88, 0x0C, 0x81, 0x06, 0x81, 0x06, 0x82, 0x0C, 0x8A, 0x0C})
        .add({0x81, 0x0C, 0x82, 0x0C, 0x87, 0x0C, 0x81, 0x0C, 0x82, 0x30})
        .jump_to(drum_loop);
    shape.fm.push_back(drums);
    for (uint8_t channel = 1; channel <= 6; ++channel) {
        stream_bytes fm;
        fm.add({0xEF, static_cast<uint8_t>(channel - 1), 0xF0, 0x02, 0x01, 0x03, 0x04});
        const std::size_t loop = fm.mark();
        for (int k = 0; k < 8; ++k) {
            fm.add({static_cast<uint8_t>(0x99 + (channel * 3 + k * 5) % 24), 0x06});
        }
        shape.fm.push_back(fm.jump_to(loop));
        shape.fm_volume.push_back(static_cast<uint8_t>(channel == 1 ? 0 : 4));
    }
    for (uint8_t channel = 0; channel < 3; ++channel) {
        stream_bytes psg;
        if (channel == 2) {
            psg.add({0xF3, 0xE7});
        }
        const std::size_t loop = psg.mark();
        for (int k = 0; k < 8; ++k) {
            psg.add({static_cast<uint8_t>(0x99 + (channel * 4 + k * 7) % 24), 0x06});
        }
        shape.psg.push_back({psg.jump_to(loop), 2, static_cast<uint8_t>(1 + channel * 2)});
    }
    for (std::size_t v = 0; v < 6; ++v) {
        shape.voices.push_back(demo_voices()[v].record);
    }
    return shape;
}

void render_busy_track(benchmark::State& state) {
    const std::vector<uint8_t> rom = test::make_track_rom(test::make_track(busy_track()), true);
    for (auto _ : state) {
        track_player player({rom, file_mode::rom_image, track_table[0].start});
        if (!player.take_messages().empty()) {
            state.SkipWithError("the busy track does not play with its drums");
            break;
        }
        const std::vector<int16_t> samples = render_track(player, {busy_seconds, -1});
        benchmark::DoNotOptimize(samples.data());
    }
    state.counters["x_real_time"] =
        benchmark::Counter(busy_seconds, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(render_busy_track)->Unit(benchmark::kMillisecond);

// The log text of 3600 frames of each of 19 tracks; "lines" counts the writes of all 19.
void log_19_tracks(benchmark::State& state, const std::vector<uint8_t>& rom,
                   const std::array<uint32_t, track_count>& starts) {
    std::size_t lines = 0;
    for (auto _ : state) {
        lines = 0;
        for (const uint32_t start : starts) {
            track_interpreter driver({rom, file_mode::rom_image, start});
            const std::string log = track_log(driver, log_frames);
            lines += static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n'));
            benchmark::DoNotOptimize(log.data());
        }
    }
    state.counters["lines"] = static_cast<double>(lines);
}

void track_log_of_every_demo_track(benchmark::State& state) {
    std::array<uint32_t, track_count> starts{};
    for (std::size_t i = 0; i < starts.size(); ++i) {
        starts[i] = track_table[i].start;
    }
    log_19_tracks(state, make_demo_rom(), starts);
}
BENCHMARK(track_log_of_every_demo_track)->Unit(benchmark::kMillisecond);

// The demo tracks are short; the busy track 19 times over is the load of a full game's
// worth of music (every channel writing every few frames).
void track_log_of_the_busy_track_19_times(benchmark::State& state) {
    std::array<uint32_t, track_count> starts{};
    starts.fill(track_table[0].start);
    log_19_tracks(state, test::make_track_rom(test::make_track(busy_track()), true), starts);
}
BENCHMARK(track_log_of_the_busy_track_19_times)->Unit(benchmark::kMillisecond);

} // namespace
