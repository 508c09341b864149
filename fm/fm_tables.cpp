#include "fm/fm_tables.h"

#include <cmath>

namespace kavelo {

namespace {

void build_tables(fm_tables& t) {
    for (int32_t i = 0; i < 4095; ++i) {
        t.level_table[i] = static_cast<int32_t>(67108863.0 / std::pow(10.0, i * 0.0234375 / 20.0));
        t.level_table[8192 + i] = -t.level_table[i];
    }
    for (int32_t i = 4095; i < 8192; ++i) {
        t.level_table[i] = 0;
        t.level_table[8192 + i] = 0;
    }

    t.sine_table[0] = 4095;
    t.sine_table[1024] = 4095;
    for (int32_t i = 1; i <= 512; ++i) {
        const auto a = static_cast<int32_t>(
            std::log10(1.0 / std::sin(i * 6.283185307179586 / 2048.0)) * 20.0 / 0.0234375);
        t.sine_table[i] = static_cast<uint16_t>(a);
        t.sine_table[1024 - i] = static_cast<uint16_t>(a);
        t.sine_table[1024 + i] = static_cast<uint16_t>(8192 + a);
        t.sine_table[2048 - i] = static_cast<uint16_t>(8192 + a);
    }

    for (int32_t i = 0; i < 4096; ++i) {
        t.attenuation_curve[i] = static_cast<int32_t>(std::pow((4095 - i) / 4096.0, 8.0) * 4096.0);
        t.attenuation_curve[4096 + i] = i;
    }
    t.attenuation_curve[8192] = 4095;

    for (int32_t i = 0; i < 16384; ++i) {
        t.wide_level_table[i] = i < 8192 ? t.level_table[i] : 0;
        t.wide_level_table[16384 + i] = -t.wide_level_table[i];
    }
    for (int32_t i = 0; i < 2048; ++i) {
        const int32_t position = t.sine_table[i];
        t.wide_sine_table[i] = static_cast<uint16_t>(position < 8192 ? position : position + 8192);
    }
}

} // namespace

const fm_tables& fm_shared_tables() {
    static fm_tables tables;
    static const bool built = (build_tables(tables), true);
    (void)built;
    return tables;
}

int32_t truncate_wrapped(double value) {
    if (!(std::fabs(value) < 9223372036854775808.0)) {
        return 0;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(value)));
}

void fm_chip_setup(fm_chip& chip, int32_t freq_prescaler, int32_t timer_prescaler) {
    fm_state& s = chip.state;
    const double clock = s.clock;
    const double rate = s.rate;
    const double fb = s.rate != 0 ? clock / rate / freq_prescaler : 0.0;
    s.freq_base = fb;
    s.timer_base = s.rate != 0 ? 1.0 / (clock / timer_prescaler) : 0.0;

    for (int32_t d = 0; d < 4; ++d) {
        for (int32_t k = 0; k < 32; ++k) {
            const int32_t step = truncate_wrapped(detune_base_table[d][k] * fb * 8.0);
            s.detune_steps[d][k] = step;
            s.detune_steps[d + 4][k] = static_cast<int32_t>(0u - static_cast<uint32_t>(step));
        }
    }

    for (int32_t i = 0; i < 4; ++i) {
        s.attack_steps[i] = 0;
        s.decay_steps[i] = 0;
    }
    for (int32_t i = 4; i < 64; ++i) {
        double r = fb;
        if (i < 60) {
            r = (1.0 + (i & 3) * 0.25) * r;
        }
        r = std::pow(2.0, (i >> 2) - 1) * r * 268435456.0;
        s.attack_steps[i] = truncate_wrapped(r / 399128);
        s.decay_steps[i] = truncate_wrapped(r / 5514396);
    }
    s.attack_steps[62] = 0x0FFFFFFF;
    s.attack_steps[63] = 0x0FFFFFFF;
    for (int32_t i = 64; i < 94; ++i) {
        s.attack_steps[i] = s.attack_steps[63];
        s.decay_steps[i] = s.decay_steps[63];
    }

    for (int32_t i = 0; i < 2048; ++i) {
        chip.fnum_steps[i] = static_cast<uint32_t>(truncate_wrapped(i * fb * 8.0 * 128.0 / 2.0));
    }

    for (int32_t i = 0; i < 8; ++i) {
        chip.lfo_steps[i] =
            s.rate != 0
                ? static_cast<uint32_t>(truncate_wrapped(
                      4294967296.0 / ((rate / lfo_hz_table[i]) * (rate * fb / 55555.555555555555))))
                : 0;
    }
}

} // namespace kavelo
