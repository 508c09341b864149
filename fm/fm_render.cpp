// fm_update: renders a chip frame by frame into two signed 8-bit buffers.
//
// The frames of one call are computed channel by channel in blocks: each channel adds its
// contribution, floored to whole output steps, to the block accumulator its pan selects,
// and the accumulators are then mixed, clipped and shifted to bytes. A channel that cannot
// sound only has its phases advanced. The bytes are the same as computing every channel of
// every frame in turn: channels share no state within a frame, and register changes only
// take effect between calls (the timer key-on of channel 3 splits the call at the
// overflow).

#include "fm/fm.h"
#include "fm/fm_channel_render.h"
#include "fm/fm_internal.h"
#include "fm/fm_tables.h"

#include <algorithm>

namespace kavelo {

namespace {

int8_t to_sample(int32_t value) {
    return static_cast<int8_t>(std::clamp(value, -0x10000000, 0x0FFFFFFF) >> 21);
}

void mix_block(fm_render_context& r, const std::array<bool, 4>& touched, int32_t pos, int32_t n) {
    const int32_t* right_acc = r.out[route_right - route_right].data();
    const int32_t* left_acc = r.out[route_left - route_right].data();
    const int32_t* both_acc = r.out[route_both - route_right].data();
    int8_t* left = r.left + pos;
    int8_t* right = r.right + pos;
    const bool sides = touched[route_left - route_right] || touched[route_right - route_right];
    if (!sides && !touched[route_both - route_right]) {
        std::fill_n(left, n, 0);
        std::fill_n(right, n, 0);
    } else if (!sides) {
        for (int32_t i = 0; i < n; ++i) {
            const int8_t sample = to_sample(both_acc[i]);
            left[i] = sample;
            right[i] = sample;
        }
    } else {
        for (int32_t k = 0; k < 3; ++k) {
            if (!touched[k]) {
                std::fill_n(r.out[k].begin(), n, 0);
            }
        }
        for (int32_t i = 0; i < n; ++i) {
            left[i] = to_sample(left_acc[i] + both_acc[i]);
            right[i] = to_sample(right_acc[i] + both_acc[i]);
        }
    }
}

void render_frames(fm_render_context& r, int32_t first, int32_t count, int32_t dac_value) {
    const fm_tables& tables = fm_shared_tables();
    for (int32_t pos = first; pos < first + count; pos += fm_block_frames) {
        const int32_t n = std::min(fm_block_frames, first + count - pos);
        // Accumulators are cleared when a block first adds to them.
        std::array<bool, 4> touched{};
        auto accumulator = [&](uint8_t route) {
            const int32_t k = route - route_right;
            if (!touched[k]) {
                std::fill_n(r.out[k].begin(), n, 0);
                touched[k] = true;
            }
            return r.out[k].data();
        };
        const bool lfo_running = r.lfo_step != 0;
        if (lfo_running) {
            for (int32_t i = 0; i < n; ++i) {
                r.lfo_counter += r.lfo_step;
                r.block_lfo_am[i] = lfo_triangle[r.lfo_counter >> 23];
                r.block_lfo_pm[i] = r.block_lfo_am[i] - 32768;
            }
            r.lfo_am = r.block_lfo_am[n - 1];
            r.lfo_pm = r.block_lfo_pm[n - 1];
        }
        for (int32_t c = 0; c < 6; ++c) {
            fm_channel& ch = r.channels[c];
            if (c == 5 && r.dac_enable) {
                // The DAC replaces channel 6, whose operators then do not run at all.
                int32_t* out = accumulator(ch.routes[3]);
                for (int32_t i = 0; i < n; ++i) {
                    out[i] += dac_value;
                }
            } else if (channel_idle(ch, tables)) {
                advance_phases(ch, n, lfo_running ? r.block_lfo_pm.data() : nullptr);
            } else {
                render_channel(ch, tables, r, accumulator(ch.routes[3]), n, lfo_running);
            }
        }
        mix_block(r, touched, pos, n);
    }
}

// Runs timer A over `frames` frames, overflowing as often as its count runs out.
void advance_timer_a(fm_chip& chip, int32_t frames, int32_t step) {
    fm_state& s = chip.state;
    int64_t left = frames;
    while (s.timer_a_count != 0 && step > 0 && left > 0) {
        const int64_t until = (int64_t{s.timer_a_count} + step - 1) / step;
        if (until > left) {
            s.timer_a_count -= static_cast<int32_t>(left * step);
            return;
        }
        left -= until;
        timer_a_overflow(chip);
    }
}

} // namespace

void fm_update(fm_core& core, int32_t index, std::span<int8_t> left, std::span<int8_t> right,
               int32_t length) {
    if (!core.chips || index < 0 || index >= core.count) {
        return;
    }
    fm_chip& chip = core.chips[index];
    fm_render_context& r = core.render;
    length =
        static_cast<int32_t>(std::clamp<int64_t>(length, 0, std::min(left.size(), right.size())));
    const int32_t dac_value = chip.dac_value;
    r.left = left.data();
    r.right = right.data();
    if (r.chip != index) {
        r.chip = index;
        r.channels = chip.channel.data();
        r.dac_enable = chip.dac_enable;
        r.lfo_counter = chip.lfo_counter;
        r.lfo_step = chip.lfo_step;
        if (r.lfo_step == 0) {
            r.lfo_am = 0;
            r.lfo_pm = 0;
        }
    }
    for (int32_t c = 0; c < 6; ++c) {
        refresh_channel(chip, c);
    }

    fm_state& s = chip.state;
    const bool internal_timers = s.timer_handler == nullptr;
    const int32_t timer_a_step = static_cast<int32_t>(s.freq_base * 4096.0);
    int32_t done = 0;
    while (done < length) {
        int32_t n = length - done;
        if (internal_timers && ch3_timer_key_on_mode(chip) && s.timer_a_count != 0 &&
            timer_a_step > 0) {
            // Stop at the frame whose overflow keys channel 3 on again.
            const int64_t until = (int64_t{s.timer_a_count} + timer_a_step - 1) / timer_a_step;
            n = static_cast<int32_t>(std::min<int64_t>(n, until));
        }
        render_frames(r, done, n, dac_value);
        if (internal_timers) {
            advance_timer_a(chip, n, timer_a_step);
        }
        done += n;
    }

    if (internal_timers && s.timer_b_count != 0) {
        const double amount = s.freq_base * 4096.0 * length;
        const int64_t decrease = amount < 4.0e18 ? static_cast<int64_t>(amount) : int64_t{1} << 62;
        if (s.timer_b_count - decrease <= 0) {
            timer_b_overflow(chip);
        } else {
            s.timer_b_count = static_cast<int32_t>(s.timer_b_count - decrease);
        }
    }
    chip.lfo_counter = r.lfo_counter;
}

} // namespace kavelo
