// One channel of one block: the operator arithmetic of every frame.
//
// A channel runs in stretches in which no envelope changes phase, so the inner loops carry
// no envelope tests; a frame in which one does change phase is stepped on its own. Where
// every envelope stays on one attenuation for a while, a steadier loop holds the four
// attenuations and advances the envelope positions once at its end.

#include "fm/fm_channel_render.h"

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
template <int32_t alg, bool feedback, bool lfo, bool steady>
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

    // A steady run keeps every envelope on the attenuation of its first frame.
    int32_t steady1 = 0, steady2 = 0, steady3 = 0, steady4 = 0;
    if constexpr (steady) {
        steady1 = l1 + attenuation(c1 + es1);
        steady2 = l2 + attenuation(c2 + es2);
        steady3 = l3 + attenuation(c3 + es3);
        steady4 = l4 + attenuation(c4 + es4);
    }

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
        int32_t e1 = steady1, e2 = steady2, e3 = steady3, e4 = steady4;
        if constexpr (!steady) {
            c1 += es1;
            c3 += es3;
            c2 += es2;
            c4 += es4;
            e1 = l1 + attenuation(c1);
            e3 = l3 + attenuation(c3);
            e2 = l2 + attenuation(c2);
            e4 = l4 + attenuation(c4);
        }
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

    if constexpr (steady) {
        c1 += count * es1;
        c2 += count * es2;
        c3 += count * es3;
        c4 += count * es4;
    }
    o1.phase = p1, o2.phase = p2, o3.phase = p3, o4.phase = p4;
    o1.env_counter = c1, o2.env_counter = c2, o3.env_counter = c3, o4.env_counter = c4;
    ch.op1_history = {h0, h1};
}

using run_function = void (*)(const channel_job&, int32_t, int32_t);

// By algorithm, then steady * 4 + feedback * 2 + lfo.
template <int32_t alg>
constexpr std::array<run_function, 8> runs_of_algorithm = {
    render_run<alg, false, false, false>, render_run<alg, false, true, false>,
    render_run<alg, true, false, false>,  render_run<alg, true, true, false>,
    render_run<alg, false, false, true>,  render_run<alg, false, true, true>,
    render_run<alg, true, false, true>,   render_run<alg, true, true, true>};

constexpr std::array<std::array<run_function, 8>, 8> run_table = {
    runs_of_algorithm<0>, runs_of_algorithm<1>, runs_of_algorithm<2>, runs_of_algorithm<3>,
    runs_of_algorithm<4>, runs_of_algorithm<5>, runs_of_algorithm<6>, runs_of_algorithm<7>};

constexpr int32_t steady_min_frames = 8;
constexpr int32_t stepping_frames = 32;

} // namespace

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

// Frames from the next one on over which the envelope stays on one attenuation entry.
int32_t frames_on_same_attenuation(const fm_operator& o) {
    if (o.env_step <= 0) {
        return std::numeric_limits<int32_t>::max();
    }
    const int64_t first = int64_t{o.env_counter} + o.env_step;
    const int64_t boundary = (first | 0xFFFF) + 1;
    const int64_t frames = (boundary - 1 - o.env_counter) / o.env_step;
    return static_cast<int32_t>(std::min<int64_t>(frames, std::numeric_limits<int32_t>::max()));
}

bool channel_idle(const fm_channel& ch, const fm_tables& tables) {
    return std::all_of(ch.op.begin(), ch.op.end(),
                       [&](const fm_operator& o) { return frozen_silent(o, tables); });
}

void render_channel(fm_channel& ch, const fm_tables& tables, fm_render_context& r, int32_t* out,
                    int32_t count, bool lfo_running) {
    const bool lfo = lfo_running && (ch.pm_depth != 0 || ch.am_depth != 0);
    const int32_t variant = (ch.feedback_shift != 0 ? 2 : 0) + (lfo ? 1 : 0);
    const run_function run = run_table[ch.algorithm][variant];
    const run_function steady_run = run_table[ch.algorithm][4 + variant];
    const channel_job job{ch, tables, out, r.block_lfo_am.data(), r.block_lfo_pm.data()};
    int32_t i = 0;
    while (i < count) {
        int32_t stretch = count - i;
        for (const fm_operator& o : ch.op) {
            stretch = std::min(stretch, frames_before_transition(o));
        }
        if (stretch > 0) {
            int32_t hold = stretch;
            for (const fm_operator& o : ch.op) {
                hold = std::min(hold, frames_on_same_attenuation(o));
            }
            // Short holds (attacks, fast decays) go through the envelope-stepping loop for
            // a while rather than re-measuring after every frame or two.
            const int32_t n = hold >= steady_min_frames ? hold : std::min(stretch, stepping_frames);
            (hold >= steady_min_frames ? steady_run : run)(job, i, n);
            i += n;
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

} // namespace kavelo
