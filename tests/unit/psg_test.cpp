// The PSG against what its registers mean: tone pitch, the latch and data bytes,
// attenuation steps, the noise shift register's sequence and rate.

#include "psg/sn76489.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace kavelo {
namespace {

using byte_list = std::initializer_list<uint8_t>;
constexpr uint32_t rate = 44100;
// 16 x the rate: one counter tick a sample, so each sample is exactly one tick's output.
constexpr uint32_t tick_clock = 16 * rate;

void write(sn76489& psg, byte_list bytes) {
    for (uint8_t byte : bytes) {
        psg.write(byte);
    }
}

std::vector<int16_t> render(sn76489& psg, std::size_t samples) {
    std::vector<int16_t> out(samples);
    psg.render(out);
    return out;
}

std::vector<int16_t> play(uint32_t clock, byte_list bytes, std::size_t samples = rate) {
    sn76489 psg(clock, rate);
    write(psg, bytes);
    return render(psg, samples);
}

// Changes of sign, a sample of 0 keeping the sign before it.
int32_t sign_changes(const std::vector<int16_t>& out) {
    int32_t changes = 0;
    int32_t sign = 0;
    for (int16_t s : out) {
        const int32_t now = (s > 0) - (s < 0);
        changes += now != 0 && sign != 0 && now != sign;
        sign = now != 0 ? now : sign;
    }
    return changes;
}

int32_t peak(const std::vector<int16_t>& out) {
    int32_t top = 0;
    for (int16_t s : out) {
        top = std::max(top, std::abs(int32_t{s}));
    }
    return top;
}

double amplitude(int32_t attenuation) {
    return psg_full_scale * std::pow(10.0, -2.0 * attenuation / 20.0);
}

TEST(sn76489, tone_period_latch_and_data_bytes_set_the_square_and_its_level) {
    // Two edges a cycle of clock / (32 N) Hz, N the period the bytes leave (0 plays as 1).
    const struct {
        const char* name;
        uint32_t clock;
        byte_list bytes;
        uint16_t period;
        int32_t attenuation;
    } rows[] = {
        {"channel 1, 0x356", psg_clock, {0x86, 0x35, 0x90}, 0x356, 0},
        {"channel 1, 0 plays as 1", tick_clock, {0x80, 0x00, 0x90}, 0x001, 0},
        {"tone data replaces the high bits", psg_clock, {0x8E, 0x05, 0x03, 0x90}, 0x3E, 0},
        {"a tone latch replaces the low bits", psg_clock, {0x8E, 0x05, 0x81, 0x90}, 0x51, 0},
        {"volume data takes its low 4 bits", psg_clock, {0x8E, 0x05, 0x97, 0x32}, 0x5E, 2},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const auto out = play(r.clock, r.bytes);
        EXPECT_NEAR(sign_changes(out), r.clock / (16.0 * r.period), 1.5);
        EXPECT_NEAR(peak(out), amplitude(r.attenuation), 0.5);
    }
}

TEST(sn76489, attenuation_steps_by_2_db_to_silence_at_15) {
    for (int32_t channel = 0; channel < 4; ++channel) {
        for (int32_t attenuation = 0; attenuation < 16; ++attenuation) {
            SCOPED_TRACE(testing::Message() << "channel " << channel << " att " << attenuation);
            const auto cc = static_cast<uint8_t>(channel << 5);
            // Tone period 0x80; on the noise channel, periodic noise at clock / 512.
            const auto out = play(psg_clock, {static_cast<uint8_t>(0x80 | cc), 0x08,
                                              static_cast<uint8_t>(0x90 | cc | attenuation)});
            EXPECT_NEAR(peak(out), attenuation == 15 ? 0.0 : amplitude(attenuation), 0.5);
        }
    }
}

// The noise channel's output after each shift from 0x8000, rendered one tick a sample, is
// bit 0 of the register: white noise feeds back bit 0 XOR bit 3, periodic noise bit 0.
std::vector<bool> white_noise_bits(std::size_t shifts) {
    std::vector<bool> bits;
    uint32_t r = 0x8000;
    for (std::size_t k = 0; k <= shifts; ++k) {
        bits.push_back((r & 1) != 0);
        r = (r >> 1) | (((r ^ (r >> 3)) & 1) << 15);
    }
    return bits;
}

TEST(sn76489, noise_shifts_its_register_on_every_second_expiry) {
    constexpr int32_t first_one = 15; // the first bit 1 of either kind comes after shift 15
    const struct {
        const char* name;
        byte_list bytes;
        byte_list later; // written after 5000 samples
        bool white;
        int32_t reload;
        std::size_t shifts;
    } rows[] = {
        {"white, tone 3 period 3", {0xC3, 0x00, 0xF0, 0xE7}, {}, true, 3, 60000},
        {"periodic at clock / 1024", {0xF0, 0xE1}, {}, false, 0x20, 500},
        {"a data byte to it restarts it", {0xC4, 0x00, 0xF0, 0xE3}, {0x07}, true, 4, 3000},
    };
    const std::vector<bool> white = white_noise_bits(60000 + first_one);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        sn76489 psg(tick_clock, rate);
        write(psg, r.bytes);
        const std::size_t interval = 2 * static_cast<std::size_t>(r.reload);
        if (r.later.size() != 0) {
            render(psg, 5000);
            write(psg, r.later);
        }
        const auto out = render(psg, interval * (r.shifts + first_one));
        // The counter's phase is free, so the sequence is aligned on its first bit 1.
        std::size_t one = 0;
        while (one < out.size() && out[one] <= 0) {
            ++one;
        }
        ASSERT_GE(one, (first_one - 1) * interval);
        ASSERT_LE(one, first_one * interval);
        for (std::size_t i = one; i < out.size(); ++i) {
            const std::size_t shift = first_one + (i - one) / interval;
            const bool bit = r.white ? white[shift] : shift % 16 == 15;
            ASSERT_EQ(out[i], bit ? psg_full_scale : -psg_full_scale) << "sample " << i;
        }
    }
}

} // namespace
} // namespace kavelo
