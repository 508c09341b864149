#include "keyboard/envelope_curve.h"

#include "fm/fm_tables.h"
#include "fm/preview_render.h"

#include <algorithm>

namespace kavelo {

namespace {

struct operator_rates {
    int32_t attack = 0;
    int32_t decay = 0;
    int32_t sustain = 0;
    int32_t release = 0;
    int32_t sustain_level = 0;
};

const fm_state& preview_rate_tables() {
    static const fm_chip chip = [] {
        fm_chip c;
        c.state.clock = preview_clock;
        c.state.rate = preview_rate;
        fm_chip_setup(c, 144, 144);
        return c;
    }();
    return chip.state;
}

// The steps the core derives from the operator's registers at this key code.
operator_rates rates_of(const voice_record& voice, int32_t op, uint8_t key_code) {
    const fm_state& s = preview_rate_tables();
    const uint8_t rs_ar = voice[operator_byte(op, 1)];
    const uint8_t d1r = voice[operator_byte(op, 2)] & 0x1F;
    const uint8_t d2r = voice[operator_byte(op, 3)] & 0x1F;
    const uint8_t sl_rr = voice[operator_byte(op, 4)];
    const auto key_scale = static_cast<uint8_t>(key_code >> (3 - (rs_ar >> 6)));
    const auto reference = [](uint8_t rate) {
        return rate ? static_cast<uint8_t>(2 * rate) : fm_zero_rate;
    };
    operator_rates r;
    r.attack = rate_step(s.attack_steps, reference(rs_ar & 0x1F), key_scale);
    r.decay = rate_step(s.decay_steps, reference(d1r), key_scale);
    r.sustain = rate_step(s.decay_steps, reference(d2r), key_scale);
    r.release = rate_step(s.decay_steps, static_cast<uint8_t>(4 * (sl_rr & 15) + 2), key_scale);
    r.sustain_level = sustain_level_table[sl_rr >> 4];
    return r;
}

uint64_t frames_for(int64_t span, int32_t step) {
    return step > 0 ? static_cast<uint64_t>((span + step - 1) / step) : UINT64_MAX;
}

} // namespace

std::vector<int32_t> envelope_curve(const voice_record& voice, const envelope_request& request) {
    const operator_rates r = rates_of(voice, request.op, request.key_code);
    const std::vector<int32_t>::size_type stride = std::max<uint32_t>(request.stride, 1);
    const auto& curve = fm_shared_tables().attenuation_curve;
    std::vector<int32_t> points;
    points.reserve(request.frames / stride + 1);
    uint8_t phase = env_attack;
    int32_t counter = 0;
    int32_t end = env_attack_end;
    int32_t step = r.attack;
    for (uint32_t frame = 0; frame <= request.frames; ++frame) {
        // The key-off is written after key_off_frame frames, before the next is stepped.
        if (frame > 0 && frame - 1 == request.key_off_frame && phase >= env_sustain) {
            if ((counter & env_attack_end) == 0) {
                counter = (curve[counter >> 16] << 16) + env_attack_end;
            }
            phase = env_release;
            end = env_bottom;
            step = r.release;
        }
        if (frame > 0) {
            counter += step;
            if (counter >= end) {
                switch (phase) {
                case env_attack:
                    phase = env_decay;
                    counter = env_attack_end;
                    end = r.sustain_level;
                    step = r.decay;
                    break;
                case env_decay:
                    phase = env_sustain;
                    counter = r.sustain_level;
                    end = env_bottom;
                    step = r.sustain;
                    break;
                default: // the bottom: sustain stays keyed on, release ends
                    phase = phase == env_release ? env_off : phase;
                    counter = env_bottom;
                    end = env_bottom + 1;
                    step = 0;
                    break;
                }
            }
        }
        if (frame % stride == 0) {
            points.push_back(curve[counter >> 16]);
        }
    }
    return points;
}

envelope_timing envelope_picture_timing(const voice_record& voice, uint8_t key_code) {
    constexpr uint64_t shortest_hold = preview_rate / 20; // 50 ms
    constexpr uint64_t longest_hold = 2 * preview_rate;   // 2 s
    constexpr uint64_t shortest_release = preview_rate / 20;
    constexpr uint64_t longest_release = 2 * preview_rate;
    uint64_t hold = shortest_hold;
    uint64_t release = shortest_release;
    for (int32_t op = 0; op < 4; ++op) {
        const operator_rates r = rates_of(voice, op, key_code);
        const uint64_t attack = frames_for(env_attack_end, r.attack);
        const uint64_t decay = frames_for(r.sustain_level - env_attack_end, r.decay);
        const uint64_t held = decay == UINT64_MAX ? attack : attack + decay;
        hold = std::max(hold, std::min(held + held / 4, longest_hold));
        release = std::max(
            release, std::min(frames_for(env_bottom - env_attack_end, r.release), longest_release));
    }
    return {static_cast<uint32_t>(hold), static_cast<uint32_t>(hold + release)};
}

} // namespace kavelo
