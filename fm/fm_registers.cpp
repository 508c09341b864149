// Operator and channel registers 0x30-0xB6 of both parts, the routes each algorithm
// selects, and the refresh of a stale channel's phase steps and key scales.

#include "fm/fm_internal.h"
#include "fm/fm_tables.h"

namespace kavelo {

namespace {

// Routes of operators 1, 3 and 2 by algorithm; operator 4 always goes to the output.
// route_both stands for the output that pan selects.
constexpr uint8_t route_out = route_both;
constexpr std::array<std::array<uint8_t, 3>, 8> algorithm_routes = {{
    {route_in3, route_in2, route_in4},
    {route_in2, route_in2, route_in4},
    {route_in4, route_in2, route_in4},
    {route_in3, route_in4, route_in4},
    {route_in3, route_out, route_in4},
    {route_all_inputs, route_out, route_out},
    {route_in3, route_out, route_out},
    {route_out, route_out, route_out},
}};

constexpr std::array<uint8_t, 4> pan_routes = {route_discard, route_right, route_left, route_both};

void set_routes(fm_channel& ch) {
    const uint8_t out = pan_routes[ch.pan];
    const auto& routes = algorithm_routes[ch.algorithm];
    for (int32_t i = 0; i < 3; ++i) {
        ch.routes[i] = routes[i] == route_out ? out : routes[i];
    }
    ch.routes[3] = out;
}

void mark_stale(fm_channel& ch) {
    ch.op[0].phase_step = -1;
}

// F-number low byte write: combines the latched block and high bits with `low`.
void set_frequency(const fm_chip& chip, uint8_t block_fnum, uint8_t low, uint32_t& freq_step,
                   uint8_t& key_code) {
    const int32_t fnum = ((block_fnum & 7) << 8) + low;
    const int32_t block = block_fnum >> 3;
    key_code = static_cast<uint8_t>((block << 2) | key_code_table[fnum >> 7]);
    freq_step = chip.fnum_steps[fnum] >> (7 - block);
}

void write_operator(fm_chip& chip, fm_channel& ch, int32_t ch_index, fm_operator& o, int32_t group,
                    uint8_t v) {
    const fm_state& s = chip.state;
    switch (group) {
    case 0x30:
        o.multiple = multiple_table[v & 15];
        o.detune = (v >> 4) & 7;
        mark_stale(ch);
        break;
    case 0x40: {
        const int32_t t = v & 0x7F;
        o.total_level = ((t << 7) | t) >> 2;
        if (!(ch_index == 2 && ch3_timer_key_on_mode(chip))) {
            o.level = o.total_level;
        }
        break;
    }
    case 0x50:
        o.rate_shift = static_cast<uint8_t>(3 - (v >> 6));
        o.attack_rate = (v & 0x1F) ? static_cast<uint8_t>(2 * (v & 0x1F)) : fm_zero_rate;
        o.attack_step = rate_step(s.attack_steps, o.attack_rate, o.key_scale);
        if (o.env_phase == env_attack) {
            o.env_step = o.attack_step;
        }
        mark_stale(ch);
        break;
    case 0x60:
        o.decay_rate = (v & 0x1F) ? static_cast<uint8_t>(2 * (v & 0x1F)) : fm_zero_rate;
        o.decay_step = rate_step(s.decay_steps, o.decay_rate, o.key_scale);
        if (o.env_phase == env_decay) {
            o.env_step = o.decay_step;
        }
        o.am_on = v >> 7;
        o.am_depth = o.am_on * ch.am_depth;
        break;
    case 0x70:
        o.sustain_rate = (v & 0x1F) ? static_cast<uint8_t>(2 * (v & 0x1F)) : fm_zero_rate;
        o.sustain_step = rate_step(s.decay_steps, o.sustain_rate, o.key_scale);
        if (o.env_phase == env_sustain) {
            o.env_step = o.sustain_step;
        }
        break;
    case 0x80:
        o.sustain_level = sustain_level_table[v >> 4];
        o.release_rate = static_cast<uint8_t>(4 * (v & 15) + 2);
        o.release_step = rate_step(s.decay_steps, o.release_rate, o.key_scale);
        if (o.env_phase == env_release) {
            o.env_step = o.release_step;
        }
        break;
    default: // 0x90-0x9F: accepted, no effect on the sound
        break;
    }
}

void write_channel(fm_chip& chip, fm_channel& ch, int32_t reg, bool part2, uint8_t v) {
    switch (reg & 0xFC) {
    case 0xA0:
        set_frequency(chip, ch.block_fnum, v, ch.freq_step, ch.key_code);
        mark_stale(ch);
        break;
    case 0xA4:
        ch.block_fnum = v & 0x3F;
        break;
    case 0xA8:
        if (!part2) {
            fm_ch3_entry& e = chip.ch3[reg & 3];
            set_frequency(chip, e.block_fnum, v, e.freq_step, e.key_code);
            mark_stale(chip.channel[2]);
        }
        break;
    case 0xAC:
        if (!part2) {
            chip.ch3[reg & 3].block_fnum = v & 0x3F;
        }
        break;
    case 0xB0: {
        ch.algorithm = v & 7;
        const int32_t fb = (v >> 3) & 7;
        ch.feedback_shift = static_cast<uint8_t>(fb ? 9 - fb : 0);
        set_routes(ch);
        break;
    }
    case 0xB4:
        ch.pm_depth = static_cast<int32_t>(0.00125 * pm_cents_table[v & 7] * 1024.0);
        ch.am_depth = am_depth_table[(v >> 4) & 3];
        for (fm_operator& o : ch.op) {
            o.am_depth = o.am_on * ch.am_depth;
        }
        ch.pan = (v >> 6) & 3;
        set_routes(ch);
        break;
    default: // 0xB8-0xBF
        break;
    }
}

void refresh_operator(const fm_state& s, fm_operator& o, uint32_t freq_step, uint8_t key_code) {
    o.phase_step = static_cast<int32_t>(freq_step * static_cast<uint32_t>(o.multiple) +
                                        static_cast<uint32_t>(s.detune_steps[o.detune][key_code]));
    const auto ks = static_cast<uint8_t>(key_code >> o.rate_shift);
    if (ks != o.key_scale) {
        o.key_scale = ks;
        o.attack_step = rate_step(s.attack_steps, o.attack_rate, ks);
        o.decay_step = rate_step(s.decay_steps, o.decay_rate, ks);
        o.sustain_step = rate_step(s.decay_steps, o.sustain_rate, ks);
        o.release_step = rate_step(s.decay_steps, o.release_rate, ks);
    }
    o.level = o.total_level;
}

} // namespace

void write_channel_register(fm_chip& chip, int32_t reg, uint8_t v) {
    const int32_t group = reg & 0xF0;
    if ((reg & 3) == 3 || group < 0x30 || group > 0xB0) {
        return;
    }
    const bool part2 = (reg & 0x100) != 0;
    const int32_t ch_index = (reg & 3) + (part2 ? 3 : 0);
    fm_channel& ch = chip.channel[ch_index];
    if (group < 0xA0) {
        write_operator(chip, ch, ch_index, ch.op[(reg >> 2) & 3], group, v);
    } else {
        write_channel(chip, ch, reg & 0xFF, part2, v);
    }
}

void refresh_channel(fm_chip& chip, int32_t index) {
    fm_channel& ch = chip.channel[index];
    if (ch.op[0].phase_step != -1) {
        return;
    }
    const fm_state& s = chip.state;
    if (index == 2 && ch3_special_mode(chip)) {
        refresh_operator(s, ch.op[0], chip.ch3[1].freq_step, chip.ch3[1].key_code);
        refresh_operator(s, ch.op[2], chip.ch3[2].freq_step, chip.ch3[2].key_code);
        refresh_operator(s, ch.op[1], chip.ch3[0].freq_step, chip.ch3[0].key_code);
    } else {
        refresh_operator(s, ch.op[0], ch.freq_step, ch.key_code);
        refresh_operator(s, ch.op[2], ch.freq_step, ch.key_code);
        refresh_operator(s, ch.op[1], ch.freq_step, ch.key_code);
    }
    refresh_operator(s, ch.op[3], ch.freq_step, ch.key_code);
}

} // namespace kavelo
