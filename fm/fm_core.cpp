// Chip life cycle, port decoding, the mode registers 0x22-0x28 with timers, status and
// interrupt line, and operator key on/off.

#include "fm/fm.h"
#include "fm/fm_internal.h"
#include "fm/fm_tables.h"

#include <new>

namespace kavelo {

namespace {

fm_chip* find_chip(fm_core& core, int32_t chip) {
    if (!core.chips || chip < 0 || chip >= core.count) {
        return nullptr;
    }
    return &core.chips[chip];
}

void set_status(fm_state& s, uint8_t bits) {
    s.status |= bits;
    if (s.irq == 0 && (s.status & s.irq_mask) != 0) {
        s.irq = 1;
        if (s.irq_handler) {
            s.irq_handler(s.index, 1);
        }
    }
}

void clear_status(fm_state& s, uint8_t bits) {
    s.status &= static_cast<uint8_t>(~bits);
    if (s.irq != 0 && (s.status & s.irq_mask) == 0) {
        s.irq = 0;
        if (s.irq_handler) {
            s.irq_handler(s.index, 0);
        }
    }
}

void tell_timer(const fm_state& s, int32_t timer, int32_t scaled_count) {
    if (s.timer_handler) {
        s.timer_handler(s.index, timer, scaled_count >> timer_scale_shift, s.timer_base);
    }
}

int32_t timer_a_load(const fm_state& s) {
    return (1024 - s.timer_a) << timer_scale_shift;
}
int32_t timer_b_load(const fm_state& s) {
    return ((256 - s.timer_b) * 16) << timer_scale_shift;
}

void write_mode(fm_state& s, uint8_t v) {
    s.mode = v;
    if (v & 0x20) {
        clear_status(s, 2);
    }
    if (v & 0x10) {
        clear_status(s, 1);
    }
    if ((v & 0x02) && s.timer_b_count == 0) {
        s.timer_b_count = timer_b_load(s);
        tell_timer(s, 1, s.timer_b_count);
    } else if (!(v & 0x02) && s.timer_b_count != 0) {
        s.timer_b_count = 0;
        tell_timer(s, 1, 0);
    }
    if ((v & 0x01) && s.timer_a_count == 0) {
        s.timer_a_count = timer_a_load(s);
        tell_timer(s, 0, s.timer_a_count);
    } else if (!(v & 0x01) && s.timer_a_count != 0) {
        s.timer_a_count = 0;
        tell_timer(s, 0, 0);
    }
}

// Register 0x28: bits 4-7 key operators 1, 3, 2 and 4, in that order.
void write_key(fm_chip& chip, uint8_t v) {
    if ((v & 3) == 3) {
        return;
    }
    const int32_t ch = (v & 3) + ((v & 4) ? 3 : 0);
    if (ch == 2 && ch3_timer_key_on_mode(chip)) {
        return;
    }
    static constexpr int32_t key_order[4] = {0, 2, 1, 3};
    for (int32_t bit = 0; bit < 4; ++bit) {
        if (v & (0x10 << bit)) {
            key_on(chip.channel[ch], key_order[bit]);
        } else {
            key_off(chip.channel[ch], key_order[bit]);
        }
    }
}

} // namespace

void key_on(fm_channel& channel, int32_t op) {
    fm_operator& o = channel.op[op];
    if (o.env_phase > env_release) {
        return;
    }
    o.phase = 0;
    if (op == 0) {
        channel.op1_history = {0, 0};
    }
    o.env_phase = env_attack;
    o.env_step = o.attack_step;
    o.env_counter = 0;
    o.env_end = env_attack_end;
}

void key_off(fm_channel& channel, int32_t op) {
    fm_operator& o = channel.op[op];
    if (o.env_phase < env_sustain) {
        return;
    }
    o.env_phase = env_release;
    if ((o.env_counter & env_attack_end) == 0) {
        // Still on the attack scale: continue from the same attenuation on the decay scale.
        const int32_t attenuation = fm_shared_tables().attenuation_curve[o.env_counter >> 16];
        o.env_counter = (attenuation << 16) + env_attack_end;
    }
    o.env_end = env_bottom;
    o.env_step = o.release_step;
}

void timer_a_overflow(fm_chip& chip) {
    fm_state& s = chip.state;
    if (s.mode & 0x04) {
        set_status(s, 1);
    }
    s.timer_a_count = timer_a_load(s);
    tell_timer(s, 0, s.timer_a_count);
    if (ch3_timer_key_on_mode(chip)) {
        fm_channel& ch3 = chip.channel[2];
        static constexpr int32_t order[4] = {0, 2, 1, 3};
        for (int32_t op : order) {
            key_off(ch3, op);
        }
        for (fm_operator& o : ch3.op) {
            o.level = o.total_level;
        }
        for (int32_t op : order) {
            key_on(ch3, op);
        }
    }
}

void timer_b_overflow(fm_chip& chip) {
    fm_state& s = chip.state;
    if (s.mode & 0x08) {
        set_status(s, 2);
    }
    s.timer_b_count = timer_b_load(s);
    tell_timer(s, 1, s.timer_b_count);
}

void write_mode_register(fm_chip& chip, fm_render_context& render, int32_t reg, uint8_t v) {
    fm_state& s = chip.state;
    switch (reg) {
    case 0x22:
        chip.lfo_step = (v & 8) ? chip.lfo_steps[v & 7] : 0;
        render.chip = -1;
        break;
    case 0x24:
        s.timer_a = (s.timer_a & 3) | (v << 2);
        break;
    case 0x25:
        s.timer_a = (s.timer_a & 0x3FC) | (v & 3);
        break;
    case 0x26:
        s.timer_b = v;
        break;
    case 0x27:
        write_mode(s, v);
        break;
    case 0x28:
        write_key(chip, v);
        break;
    default:
        break;
    }
}

int32_t fm_init(fm_core& core, int32_t count, int32_t clock, int32_t rate,
                fm_timer_handler timer_handler, fm_irq_handler irq_handler) {
    if (core.chips) {
        return fm_init_chips_exist;
    }
    if (count < 1 || count > fm_max_chips || clock < 0 || rate < 0 ||
        (rate != 0 && static_cast<double>(clock) / rate / 144 > fm_max_freq_base)) {
        return fm_init_bad_arguments;
    }
    core.render.chip = -1;
    core.chips.reset(new (std::nothrow) fm_chip[count]);
    if (!core.chips) {
        return fm_init_no_memory;
    }
    core.count = count;
    fm_shared_tables();
    for (int32_t i = 0; i < count; ++i) {
        fm_state& s = core.chips[i].state;
        s.index = static_cast<uint8_t>(i);
        s.clock = clock;
        s.rate = rate;
        s.timer_handler = timer_handler;
        s.irq_handler = irq_handler;
        fm_reset(core, i);
    }
    return fm_init_done;
}

void fm_shutdown(fm_core& core) {
    core.chips.reset();
    core.count = 0;
    core.render.chip = -1;
}

void fm_reset(fm_core& core, int32_t index) {
    fm_chip* found = find_chip(core, index);
    if (!found) {
        return;
    }
    fm_chip& chip = *found;
    fm_state& s = chip.state;
    fm_chip_setup(chip, 144, 144);
    s.irq_mask = 3;
    set_status(s, 0);
    clear_status(s, 0);
    write_mode_register(chip, core.render, 0x27, 0x30);

    s.mode = 0;
    clear_status(s, 0xFF);
    s.timer_a = 0;
    s.timer_a_count = 0;
    s.timer_b = 0;
    s.timer_b_count = 0;
    for (fm_channel& ch : chip.channel) {
        ch.freq_step = 0;
        ch.pan = 3;
        for (fm_operator& o : ch.op) {
            o.env_phase = env_off;
            o.env_counter = env_bottom;
            o.env_end = env_bottom + 1;
            o.env_step = 0;
        }
    }

    for (int32_t reg = 0xB6; reg >= 0xB4; --reg) {
        write_channel_register(chip, reg, 0xC0);
        write_channel_register(chip, reg | 0x100, 0xC0);
    }
    for (int32_t reg = 0xB2; reg >= 0x30; --reg) {
        write_channel_register(chip, reg, 0);
        write_channel_register(chip, reg | 0x100, 0);
    }
    for (int32_t reg = 0x26; reg >= 0x20; --reg) {
        write_mode_register(chip, core.render, reg, 0);
    }
    chip.dac_enable = 0;
}

uint8_t fm_write(fm_core& core, int32_t index, int32_t port, uint8_t value) {
    fm_chip* found = find_chip(core, index);
    if (!found) {
        return 0;
    }
    fm_chip& chip = *found;
    switch (port & 3) {
    case 0:
        chip.state.address = value;
        break;
    case 1: {
        const int32_t reg = chip.state.address;
        if (reg == 0x2A) {
            chip.dac_value = (value - 128) * (1 << 19);
        } else if (reg == 0x2B) {
            chip.dac_enable = value & 0x80;
            core.render.chip = -1;
        } else if (reg >= 0x20 && reg <= 0x2F) {
            write_mode_register(chip, core.render, reg, value);
        } else {
            write_channel_register(chip, reg, value);
        }
        break;
    }
    case 2:
        chip.address2 = value;
        break;
    default:
        write_channel_register(chip, chip.address2 | 0x100, value);
        break;
    }
    return chip.state.irq;
}

fm_core& fm_default_core() {
    static fm_core core;
    return core;
}

} // namespace kavelo
