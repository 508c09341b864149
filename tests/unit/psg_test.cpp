// The PSG against what its registers mean: tone pitch, the latch and data bytes,
// attenuation steps, the noise shift register's sequence and rate, sample averaging.

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
        {"channel 2, 0x3FF", psg_clock, {0xAF, 0x3F, 0xB0}, 0x3FF, 0},
        {"channel 3, 0x001 at one tick a sample", tick_clock, {0xC1, 0x00, 0xD0}, 0x001, 0},
        {"channel 1, 0 plays as 1", tick_clock, {0x80, 0x00, 0x90}, 0x001, 0},
        {"tone data replaces the high bits", psg_clock, {0x8E, 0x05, 0x03, 0x90}, 0x3E, 0},
        {"a tone latch replaces the low bits", psg_clock, {0x8E, 0x05, 0x81, 0x90}, 0x51, 0},
        {"volume data takes its low 4 bits", psg_clock, {0x8E, 0x05, 0x97, 0x32}, 0x5E, 2},
        {"channel 3, tone latched again", psg_clock, {0xCE, 0x05, 0xD0, 0xC2, 0x02}, 0x22, 0},
        {"noise data leaves the tone", psg_clock, {0x8E, 0x05, 0x90, 0xE0, 0x07}, 0x5E, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const auto out = play(r.clock, r.bytes);
        EXPECT_NEAR(sign_changes(out), r.clock / (16.0 * r.period), 1.5);
        EXPECT_NEAR(peak(out), amplitude(r.attenuation), 0.5);
    }
}

TEST(sn76489, a_new_period_waits_for_the_count_under_way) {
    sn76489 psg(tick_clock, rate);
    write(psg, {0x8F, 0x3F, 0x90});
    render(psg, 10);
    write(psg, {0x82, 0x00});
    const auto out = render(psg, 2000);
    std::size_t first = 1;
    while (first < out.size() && out[first] == out[0]) {
        ++first;
    }
    // The count of up to 0x3FF ticks loaded before the write runs out first.
    EXPECT_GE(first, 0x3FFu - 11);
    EXPECT_LT(first, out.size());
    for (std::size_t i = first; i < out.size(); ++i) {
        EXPECT_EQ(out[i], ((i - first) / 2) % 2 == 0 ? -out[0] : out[0]) << "sample " << i;
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
    sn76489 psg;
    write(psg, {0x85, 0x01, 0x90, 0xF0, 0xE4});
    render(psg, 100);
    psg.reset();
    EXPECT_EQ(peak(render(psg, rate)), 0) << "after a reset";
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
    constexpr std::size_t later_at = 5000;
    const struct {
        const char* name;
        byte_list bytes;
        byte_list later; // written after `later_at` samples
        bool white;
        int32_t reload;
        std::size_t shifts;
    } rows[] = {
        {"white, tone 3 period 3", {0xC3, 0x00, 0xF0, 0xE7}, {}, true, 3, 60000},
        {"periodic at clock / 1024", {0xF0, 0xE1}, {}, false, 0x20, 500},
        {"rewritten control restarts it", {0xC3, 0x00, 0xF0, 0xE7}, {0xE7}, true, 3, 3000},
        {"a data byte to it restarts it", {0xC4, 0x00, 0xF0, 0xE3}, {0x07}, true, 4, 3000},
    };
    const std::vector<bool> white = white_noise_bits(60000 + first_one);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        sn76489 psg(tick_clock, rate);
        write(psg, r.bytes);
        const std::size_t interval = 2 * static_cast<std::size_t>(r.reload);
        if (r.later.size() != 0) {
            render(psg, later_at);
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

TEST(sn76489, samples_are_the_exact_average_of_the_ticks) {
    // At 5 ticks a sample, each sample equals the mean of the same five ticks rendered one
    // by one, with all four channels playing at periods that do not divide 5.
    constexpr uint32_t clock = 16 * 5 * rate;
    const byte_list bytes = {0x83, 0x00, 0x90, 0xA7, 0x00, 0xB4, 0xCB, 0x02, 0xD2, 0xF1, 0xE7};
    const auto coarse = play(clock, bytes, rate);
    sn76489 fine_psg(clock, 5 * rate);
    write(fine_psg, bytes);
    const auto fine = render(fine_psg, 5 * rate);
    for (std::size_t i = 0; i < coarse.size(); ++i) {
        int32_t sum = 0;
        for (std::size_t k = 0; k < 5; ++k) {
            sum += fine[5 * i + k];
        }
        ASSERT_NEAR(coarse[i], sum / 5.0, 0.5 + 1e-9) << "sample " << i;
    }
}

TEST(sn76489, mix_adds_the_psg_at_its_balance_and_clips) {
    const struct {
        int8_t fm;
        int16_t psg;
        int16_t mixed;
    } rows[] = {
        {0, 8191, 4095},        {10, -100, 2510},          {-3, 0, -768},
        {127, 4 * 8191, 32767}, {-128, -4 * 8191, -32768},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(mix_fm_psg(r.fm, r.psg), r.mixed) << int32_t{r.fm} << " + " << r.psg;
    }
}

} // namespace
} // namespace kavelo
