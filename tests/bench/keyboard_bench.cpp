// The Keyboard's live path: six held notes rendered as the audio thread renders them, in
// refills of 4 ms (176 frames), with a voice edit written to every channel each 100 ms.

#include "keyboard/live_synth.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace {

using namespace kavelo;

// Algorithm 4 with feedback 5, detune and key scaling; no second decay, so the notes
// sustain for as long as the benchmark runs.
const voice_record held_voice =
    *voice_from_hex("2c7132510221df5f9f1f8d0a0c000000000444284615031a0a");

constexpr uint32_t second_frames = 44100;
constexpr uint32_t refill_frames = 176;

// One iteration is one second of sound, so the CPU column is the CPU time per second of
// sound: 10 ms there would be 1 % of one core.
void live_six_held_notes(benchmark::State& state) {
    live_synth synth;
    synth.set_voice(held_voice);
    for (const int32_t note : {48, 52, 55, 60, 64, 67}) {
        synth.note_on(note);
    }
    std::vector<int16_t> out(2 * refill_frames);
    voice_record edited = held_voice;
    for (auto _ : state) {
        for (uint32_t done = 0; done < second_frames; done += refill_frames) {
            if (done % 4410 < refill_frames) {
                edited[21] ^= 0x01; // a TL turned while the notes sound
                synth.set_voice(edited);
            }
            synth.render(out, refill_frames);
            benchmark::DoNotOptimize(out.data());
        }
    }
}
BENCHMARK(live_six_held_notes)->Unit(benchmark::kMillisecond);

} // namespace
