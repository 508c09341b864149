#include "drums/demo_drums.h"

#include "drums/dac_compression.h"
#include "drums/dpcm.h"
#include "drums/drum_kit.h"
#include "drums/drum_player.h"
#include "drums/drum_synth.h"

#include <array>

namespace kavelo {

namespace {

// Pitches as the game's table has them; lengths chosen so that the packed program fits
// (noise hardly packs at all).
constexpr uint8_t kick_pitch = 0x17;
constexpr uint8_t snare_pitch = 0x01;
constexpr uint8_t timpani_pitch = 0x1B;
constexpr std::size_t kick_bytes = 850;
constexpr std::size_t snare_bytes = 1904;
constexpr std::size_t timpani_bytes = 4118;
constexpr std::size_t first_sample_address = sample_table_address + 3 * sample_entry_size;

sample_clock dpcm_clock(uint8_t pitch) {
    return {dpcm_byte_cycles(pitch), 2};
}

// A sine falling from 160 Hz to 48 Hz in the first 70 ms, with a short noise click.
std::vector<uint8_t> kick_values() {
    const sample_clock clock = dpcm_clock(kick_pitch);
    const int64_t count = 2 * static_cast<int64_t>(kick_bytes);
    const int64_t sweep = clock.values_in(70000);
    const int64_t click = clock.values_in(4000);
    noise_source noise(0x1234567);
    std::vector<uint8_t> values;
    uint32_t phase = 0;
    for (int64_t i = 0; i < count; ++i) {
        phase += clock.phase_step(480 + 1120 * int64_t{fall(i, sweep, 2)} / 32768);
        const int64_t body = int64_t{fixed_sine(phase)} * fall(i, count, 2) >> 15;
        const int64_t snap = int64_t{noise.next()} * fall(i, click, 2) >> 17;
        values.push_back(to_dac(body + snap, 110));
    }
    return values;
}

// Bright noise over two short tones (185 and 330 Hz), the tones fading first.
std::vector<uint8_t> snare_values() {
    const sample_clock clock = dpcm_clock(snare_pitch);
    const int64_t count = 2 * static_cast<int64_t>(snare_bytes);
    const int64_t ring = clock.values_in(55000);
    noise_source noise(0xBEEF01);
    std::vector<uint8_t> values;
    uint32_t low = 0;
    uint32_t high = 0;
    int32_t previous = 0;
    for (int64_t i = 0; i < count; ++i) {
        low += clock.phase_step(1850);
        high += clock.phase_step(3300);
        const int64_t tone = (int64_t{fixed_sine(low)} * 2 + fixed_sine(high)) / 3;
        // A first difference tilts the noise towards the highs: snares sizzle.
        const int32_t white = noise.next();
        const int64_t bright = (white - previous / 2) * 2 / 3;
        previous = white;
        const int64_t level =
            (tone * fall(i, ring, 2) >> 15) * 6 / 10 + (bright * fall(i, count, 2) >> 15) * 7 / 10;
        values.push_back(to_dac(level, 100));
    }
    return values;
}

// A low tone (98 Hz with partials at 1.5 and 2 times) swelling in over 6 ms and dying
// away, with a soft noise thud at the stroke.
std::vector<uint8_t> timpani_values() {
    const sample_clock clock = dpcm_clock(timpani_pitch);
    const int64_t count = 2 * static_cast<int64_t>(timpani_bytes);
    const int64_t attack = clock.values_in(6000);
    const int64_t thud = clock.values_in(25000);
    noise_source noise(0x7117A11);
    std::vector<uint8_t> values;
    std::array<uint32_t, 3> phases{};
    int64_t smooth = 0;
    for (int64_t i = 0; i < count; ++i) {
        phases[0] += clock.phase_step(980);
        phases[1] += clock.phase_step(1470);
        phases[2] += clock.phase_step(1960);
        const int64_t tone = (int64_t{fixed_sine(phases[0])} * 6 +
                              int64_t{fixed_sine(phases[1])} * 3 + fixed_sine(phases[2])) /
                             10;
        const int64_t swell = i < attack ? i * 32768 / attack : 32768;
        smooth += (noise.next() - smooth) / 4; // a dull, low noise
        const int64_t level = (tone * swell >> 15) * fall(i, count, 2) / 32768 +
                              (smooth * fall(i, thud, 2) >> 15) / 4;
        values.push_back(to_dac(level, 105));
    }
    return values;
}

void put_le16(std::vector<uint8_t>& bytes, std::size_t at, std::size_t value) {
    bytes[at] = static_cast<uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

} // namespace

std::vector<uint8_t> make_demo_dac_program() {
    const std::array<std::vector<uint8_t>, dpcm_sample_count> samples = {
        dpcm_encode(kick_values()), dpcm_encode(snare_values()), dpcm_encode(timpani_values())};
    constexpr std::array<uint8_t, dpcm_sample_count> pitches = {kick_pitch, snare_pitch,
                                                                timpani_pitch};
    std::size_t size = first_sample_address;
    for (const auto& sample : samples) {
        size += sample.size();
    }
    std::vector<uint8_t> program(size, 0);
    std::copy(dpcm_deltas.begin(), dpcm_deltas.end(), program.begin() + dpcm_delta_table_address);
    std::size_t address = first_sample_address;
    for (std::size_t i = 0; i < dpcm_sample_count; ++i) {
        const std::size_t entry = sample_table_address + i * sample_entry_size;
        put_le16(program, entry, address);
        put_le16(program, entry + 2, samples[i].size());
        put_le16(program, entry + 4, pitches[i]);
        std::copy(samples[i].begin(), samples[i].end(), program.begin() + address);
        address += samples[i].size();
    }
    return compress_dac_program(program);
}

// A crash cymbal: six detuned square waves (a metallic clang) and white noise, both
// with their lows taken off, bursting in brightly and fading over the whole sample.
std::vector<uint8_t> make_demo_long_sample() {
    constexpr std::array<int64_t, 6> clang_decihertz = {5870, 8450, 12300, 16370, 22810, 31200};
    const sample_clock clock{long_pcm_byte_cycles(), 1};
    const int64_t count = static_cast<int64_t>(long_pcm_size);
    const int64_t burst = clock.values_in(40000);
    noise_source noise(0xC2A54);
    std::array<uint32_t, clang_decihertz.size()> phases{};
    std::vector<uint8_t> values;
    values.reserve(long_pcm_size);
    int64_t low = 0;
    for (int64_t i = 0; i < count; ++i) {
        int64_t clang = 0;
        for (std::size_t k = 0; k < phases.size(); ++k) {
            phases[k] += clock.phase_step(clang_decihertz[k]);
            clang += phases[k] & 0x80000000u ? 5461 : -5461;
        }
        const int64_t mix = (clang + noise.next()) / 2;
        low += (mix - low) * 5 / 16; // high-passed below: the mix less its lows
        const int64_t level = (mix - low) * (fall(i, count, 3) + fall(i, burst, 1) / 2) / 32768;
        values.push_back(to_dac(level, 90));
    }
    return values;
}

} // namespace kavelo
