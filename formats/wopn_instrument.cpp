#include "formats/wopn_instrument.h"

#include <algorithm>

namespace kavelo {

namespace {

constexpr std::size_t wopn_operator_size = 7;
constexpr std::size_t fb_alg_at = 35;
constexpr std::size_t operators_at = 37;

} // namespace

named_voice wopn_instrument_to_voice(std::span<const uint8_t> ins, bool percussion,
                                     dropped_fields& dropped) {
    named_voice voice;
    voice.name = fixed_name(ins.first(32));
    dropped.note("note offset", static_cast<unsigned>(ins[32] << 8 | ins[33]));
    dropped.note(percussion ? "percussion key" : "key number", ins[34]);
    voice.voice[0] = ins[fb_alg_at];
    dropped.note("AMS/FMS", ins[36]);
    for (int i = 0; i < 4; ++i) {
        auto o = ins.subspan(operators_at + wopn_operator_size * static_cast<std::size_t>(i),
                             wopn_operator_size);
        for (std::size_t r = 0; r < operator_registers.size(); ++r) {
            set_register_byte(voice.voice, operator_registers[r], i, o[r]);
        }
        dropped.note("SSG-EG", o[6]);
    }
    return voice;
}

bool wopn_slot_is_blank(std::span<const uint8_t> ins) {
    if (ins[fb_alg_at] != 0) {
        return false;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        const auto o =
            ins.subspan(operators_at + wopn_operator_size * i, operator_registers.size());
        if (std::any_of(o.begin(), o.end(), [](uint8_t b) { return b != 0; })) {
            return false;
        }
    }
    const auto delays = ins.subspan(wopn_instrument_size);
    return std::all_of(delays.begin(), delays.end(), [](uint8_t b) { return b == 0; });
}

void put_wopn_instrument(std::vector<uint8_t>& out, const named_voice& voice) {
    put_fixed_name(out, voice.name, 32);
    out.insert(out.end(), {0, 0, 0, voice.voice[0], 0});
    for (int i = 0; i < 4; ++i) {
        for (uint8_t base : operator_registers) {
            out.push_back(register_byte(voice.voice, base, i));
        }
        out.push_back(0);
    }
}

} // namespace kavelo
