// fm_update: renders a chip frame by frame into two signed 8-bit buffers.
//
// The frames of one call are computed channel by channel in blocks: each channel adds its
// contribution, floored to whole output steps, to the block accumulator its pan selects,
// and the accumulators are then mixed, clipped and shifted to bytes. Within a block a
// channel runs in stretches in which no envelope changes phase, so the inner loop carries
// no envelope tests; the frame at which one does change phase is stepped on its own. The
// bytes are the same as computing every channel of every frame in turn: channels do not
// share state within a frame, and register changes only take effect between calls (the
// timer key-on of channel 3 splits the call at the overflow).

#include "fm/fm.h"
#include "fm/fm_internal.h"
#include "fm/fm_tables.h"

#include <algorithm>
#include <limits>

namespace kavelo {

namespace {

struct channel_job {
    fm_channel& ch;
    const fm_tables& tables;
    int32_t* out;          // block accumulator of the channel's pan
    const int32_t* lfo_am; // per frame of the block, when the channel uses the LFO
    const int32_t* lfo_pm;
};

// One envelope phase ends: move to the next.
void env_transition(fm_operator& o) {
    switch (o.env_phase) {
    case env_attack:
        o.env_phase = env_decay;
        o.env_counter = env_attack_end;
        o.env_end = o.sustain_level;
        o.env_step = o.decay_step;
        break;
    case env_decay:
        o.env_phase = env_sustain;
        o.env_counter = o.sustain_level;
        o.env_end = env_bottom;
        o.env_step = o.sustain_step;
        break;
    case env_sustain: // silent at the bottom, but still keyed on
        o.env_counter = env_bottom;
        o.env_end = env_bottom + 1;
        o.env_step = 0;
        break;
    case env_release:
        o.env_phase = env_off;
        o.env_counter = env_bottom;
        o.env_end = env_bottom + 1;
        o.env_step = 0;
        break;
    default:
        break;
    }
}

// Frames the envelope can advance before one of them reaches env_end.
int32_t frames_before_transition(const fm_operator& o) {
    if (o.env_counter >= o.env_end) {
        return 0;
    }
    if (o.env_step <= 0) {
        return std::numeric_limits<int32_t>::max();
    }
    const int64_t frames = (int64_t{o.env_end} - o.env_counter - 1) / o.env_step;
    return static_cast<int32_t>(std::min<int64_t>(frames, std::numeric_limits<int32_t>::max()));
}

// An operator that stays silent and unchanged (but for its phase) whatever frames pass.
bool frozen_silent(const fm_operator& o, const fm_tables& t) {
    return o.env_step == 0 && o.env_counter < o.env_end &&
           o.level + t.attenuation_curve[o.env_counter >> 16] >= silent_attenuation;
}

inline uint32_t vibrato_step(int32_t step, int32_t pm) {
    const auto scaled =
        static_cast<int32_t>(static_cast<uint32_t>(pm) * static_cast<uint32_t>(step));
    return static_cast<uint32_t>(step) + static_cast<uint32_t>(scaled / 1024);
}

// `count` frames from `first` in which no envelope changes phase. Operators 2-4 read the
// wide tables, where a silent attenuation reads a zero amplitude.
template <int32_t alg, bool feedback, bool lfo>
void render_run(const channel_job& job, int32_t first, int32_t count) {
    fm_channel& ch = job.ch;
    fm_operator& o1 = ch.op[0];
    fm_operator& o2 = ch.op[1];
    fm_operator& o3 = ch.op[2];
    fm_operator& o4 = ch.op[3];
    const int32_t* level = job.tables.wide_level_table.data();
    const uint16_t* sine = job.tables.wide_sine_table.data();
    const int32_t* curve = job.tables.attenuation_curve.data();
    int32_t* out = job.out;

    uint32_t p1 = o1.phase, p2 = o2.phase, p3 = o3.phase, p4 = o4.phase;
    const int32_t s1 = o1.phase_step, s2 = o2.phase_step, s3 = o3.phase_step, s4 = o4.phase_step;
    int32_t c1 = o1.env_counter, c2 = o2.env_counter, c3 = o3.env_counter, c4 = o4.env_counter;
    const int32_t es1 = o1.env_step, es2 = o2.env_step, es3 = o3.env_step, es4 = o4.env_step;
    const int32_t l1 = o1.level, l2 = o2.level, l3 = o3.level, l4 = o4.level;
    const int32_t am1 = o1.am_depth, am2 = o2.am_depth, am3 = o3.am_depth, am4 = o4.am_depth;
    const int32_t pm_depth = ch.pm_depth;
    const int32_t shift = ch.feedback_shift;
    int32_t h0 = ch.op1_history[0], h1 = ch.op1_history[1];

    // Attenuations and envelope positions are never negative: unsigned indexes need no
    // sign extension.
    auto lookup = [&](uint32_t phase, int32_t e) {
        return level[uint32_t{sine[(phase >> 13) & 0x7FF]} + static_cast<uint32_t>(e)];
    };
    auto attenuation = [&](int32_t counter) { return curve[static_cast<uint32_t>(counter) >> 16]; };

    for (int32_t i = first; i < first + count; ++i) {
        int32_t a = 0;
        if constexpr (lfo) {
            const int32_t pm = (job.lfo_pm[i] * pm_depth) / 65536;
            p1 += vibrato_step(s1, pm);
            p2 += vibrato_step(s2, pm);
            p3 += vibrato_step(s3, pm);
            p4 += vibrato_step(s4, pm);
            a = job.lfo_am[i];
        } else {
            p1 += static_cast<uint32_t>(s1);
            p2 += static_cast<uint32_t>(s2);
            p3 += static_cast<uint32_t>(s3);
            p4 += static_cast<uint32_t>(s4);
        }
        c1 += es1;
        c3 += es3;
        c2 += es2;
        c4 += es4;
        int32_t e1 = l1 + attenuation(c1);
        int32_t e3 = l3 + attenuation(c3);
        int32_t e2 = l2 + attenuation(c2);
        int32_t e4 = l4 + attenuation(c4);
        if constexpr (lfo) {
            e1 += (am1 * a) >> 16;
            e3 += (am3 * a) >> 16;
            e2 += (am2 * a) >> 16;
            e4 += (am4 * a) >> 16;
        }

        int32_t v1 = 0;
        if (e1 < silent_attenuation) {
            if constexpr (feedback) {
                const int32_t f = (h0 + h1) >> shift;
                v1 = lookup(p1 + static_cast<uint32_t>(f), e1);
                h1 = h0;
            } else {
                v1 = lookup(p1, e1);
            }
            h0 = v1;
        }
        int32_t sum;
        if constexpr (alg == 0) { // 1 -> 3 -> 2 -> 4
            const int32_t v3 = lookup(p3 + static_cast<uint32_t>(v1), e3);
            const int32_t v2 = lookup(p2 + static_cast<uint32_t>(v3), e2);
            sum = lookup(p4 + static_cast<uint32_t>(v2), e4);
        } else if constexpr (alg == 1) { // (1 + 3) -> 2 -> 4
            const int32_t v3 = lookup(p3, e3);
            const int32_t v2 = lookup(p2 + static_cast<uint32_t>(v1 + v3), e2);
            sum = lookup(p4 + static_cast<uint32_t>(v2), e4);
        } else if constexpr (alg == 2) { // 3 -> 2; (1 + 2) -> 4
            const int32_t v3 = lookup(p3, e3);
            const int32_t v2 = lookup(p2 + static_cast<uint32_t>(v3), e2);
            sum = lookup(p4 + static_cast<uint32_t>(v1 + v2), e4);
        } else if constexpr (alg == 3) { // 1 -> 3; (3 + 2) -> 4
            const int32_t v3 = lookup(p3 + static_cast<uint32_t>(v1), e3);
            const int32_t v2 = lookup(p2, e2);
            sum = lookup(p4 + static_cast<uint32_t>(v3 + v2), e4);
        } else if constexpr (alg == 4) { // 1 -> 3 -> out; 2 -> 4 -> out
            const int32_t v3 = lookup(p3 + static_cast<uint32_t>(v1), e3);
            const int32_t v2 = lookup(p2, e2);
            sum = v3 + lookup(p4 + static_cast<uint32_t>(v2), e4);
        } else if constexpr (alg == 5) { // 1 -> each of 3, 2, 4 -> out
            sum = lookup(p3 + static_cast<uint32_t>(v1), e3) +
                  lookup(p2 + static_cast<uint32_t>(v1), e2) +
                  lookup(p4 + static_cast<uint32_t>(v1), e4);
        } else if constexpr (alg == 6) { // 1 -> 3 -> out; 2 and 4 -> out
            sum = lookup(p3 + static_cast<uint32_t>(v1), e3) + lookup(p2, e2) + lookup(p4, e4);
        } else { // all four heard
            sum = v1 + lookup(p3, e3) + lookup(p2, e2) + lookup(p4, e4);
        }
        // Floor the channel's contribution to whole output steps.
        out[i] += static_cast<int32_t>(static_cast<uint32_t>(sum) & 0xFFE00000u);
    }

    o1.phase = p1, o2.phase = p2, o3.phase = p3, o4.phase = p4;
    o1.env_counter = c1, o2.env_counter = c2, o3.env_counter = c3, o4.env_counter = c4;
    ch.op1_history = {h0, h1};
}

using run_function = void (*)(const channel_job&, int32_t, int32_t);

template <int32_t alg>
constexpr std::array<run_function, 4> runs_of_algorithm = {
    render_run<alg, false, false>, render_run<alg, false, true>, render_run<alg, true, false>,
    render_run<alg, true, true>};

constexpr std::array<std::array<run_function, 4>, 8> run_table = {
    runs_of_algorithm<0>, runs_of_algorithm<1>, runs_of_algorithm<2>, runs_of_algorithm<3>,
    runs_of_algorithm<4>, runs_of_algorithm<5>, runs_of_algorithm<6>, runs_of_algorithm<7>};

// Phases of an idle channel still advance.
void advance_phases(fm_channel& ch, int32_t count, const int32_t* lfo_pm) {
    if (lfo_pm && ch.pm_depth != 0) {
        for (int32_t i = 0; i < count; ++i) {
            const int32_t pm = (lfo_pm[i] * ch.pm_depth) / 65536;
            for (fm_operator& o : ch.op) {
                o.phase += vibrato_step(o.phase_step, pm);
            }
        }
        return;
    }
    for (fm_operator& o : ch.op) {
        o.phase += static_cast<uint32_t>(count) * static_cast<uint32_t>(o.phase_step);
    }
}

bool channel_idle(const fm_channel& ch, const fm_tables& tables) {
    return std::all_of(ch.op.begin(), ch.op.end(),
                       [&](const fm_operator& o) { return frozen_silent(o, tables); });
}

void render_channel(fm_channel& ch, const fm_tables& tables, fm_render_context& r, int32_t* out,
                    int32_t count, bool lfo_running) {
    const bool lfo = lfo_running && (ch.pm_depth != 0 || ch.am_depth != 0);
    const run_function run = run_table[ch.algorithm][(ch.feedback_shift != 0 ? 2 : 0) + lfo];
    const channel_job job{ch, tables, out, r.block_lfo_am.data(), r.block_lfo_pm.data()};
    int32_t i = 0;
    while (i < count) {
        int32_t stretch = count - i;
        for (const fm_operator& o : ch.op) {
            stretch = std::min(stretch, frames_before_transition(o));
        }
        if (stretch > 0) {
            run(job, i, stretch);
            i += stretch;
            continue;
        }
        // A frame in which some envelope changes phase: step the envelopes here, then
        // compute the frame with their steps held at zero.
        std::array<int32_t, 4> steps{};
        for (int32_t k = 0; k < 4; ++k) {
            fm_operator& o = ch.op[k];
            o.env_counter += o.env_step;
            if (o.env_counter >= o.env_end) {
                env_transition(o);
            }
            steps[k] = o.env_step;
            o.env_step = 0;
        }
        run(job, i, 1);
        for (int32_t k = 0; k < 4; ++k) {
            ch.op[k].env_step = steps[k];
        }
        ++i;
    }
}

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
