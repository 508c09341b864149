// libOPNMIDI banks (*.wopn), versions 1 and 2.
//   0   "WOPN2-BANK\0" (version 1) or "WOPN2-B2NK\0" followed by a little-endian version
//   then melodic bank count and percussion bank count (big-endian 16 bits), the chip's LFO
//   byte, (version 2) 34 bytes of bank names and MIDI bank numbers per bank, then each
//   bank's 128 instruments (see wopn_instrument.h), melodic banks first.
// Blank slots are skipped; the voices of every other slot are listed in file order. The
// key-on/off delays are measurements of the sound, not settings, and are not kept.
// Written as version 2, the voices filling the melodic banks in order, followed by one
// blank percussion set: libOPNMIDI refuses a bank without a set of each kind.

#include "formats/voice_file_formats.h"
#include "formats/wopn_instrument.h"

#include <algorithm>
#include <cstring>

namespace kavelo {

namespace {

constexpr char magic_v1[] = "WOPN2-BANK";
constexpr char magic_v2[] = "WOPN2-B2NK";
constexpr std::size_t magic_size = 11;
constexpr std::size_t bank_meta_size = 34;
constexpr std::size_t bank_slots = 128;
constexpr std::size_t operator_size = 7;
constexpr uint16_t longest_delay_ms = 0x7FFF; // the delays are signed 16-bit numbers

} // namespace

named_voice wopn_instrument_to_voice(std::span<const uint8_t> ins, bool percussion,
                                     dropped_fields& dropped) {
    named_voice voice;
    voice.name = fixed_name(ins.first(32));
    dropped.note("note offset", static_cast<unsigned>(ins[32] << 8 | ins[33]));
    dropped.note(percussion ? "percussion key" : "key number", ins[34]);
    voice.voice[0] = ins[35];
    dropped.note("AMS/FMS", ins[36]);
    for (int i = 0; i < 4; ++i) {
        auto o = ins.subspan(37 + operator_size * static_cast<std::size_t>(i), operator_size);
        for (std::size_t r = 0; r < operator_registers.size(); ++r) {
            set_register_byte(voice.voice, operator_registers[r], i, o[r]);
        }
        dropped.note("SSG-EG", o[6]);
    }
    return voice;
}

bool wopn_instrument_is_blank(std::span<const uint8_t> ins) {
    // Only the bytes a writer fills from a named voice count, so that what a reader lists
    // survives being written back.
    if (ins[0] != 0 || ins[35] != 0) {
        return false;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        const auto o = ins.subspan(37 + operator_size * i, operator_registers.size());
        if (std::any_of(o.begin(), o.end(), [](uint8_t b) { return b != 0; })) {
            return false;
        }
    }
    return true;
}

void put_wopn_instrument(std::vector<uint8_t>& out, const named_voice& voice, bool with_delays) {
    const std::size_t start = out.size();
    put_fixed_name(out, voice.name, 32);
    out.insert(out.end(), {0, 0, 0, voice.voice[0], 0});
    for (int i = 0; i < 4; ++i) {
        for (uint8_t base : operator_registers) {
            out.push_back(register_byte(voice.voice, base, i));
        }
        out.push_back(0);
    }
    if (with_delays) {
        // Zero delays mark a blank slot, so a voice claims the longest sound, which never
        // lets a player take its channel while it may still be heard.
        const bool blank = wopn_instrument_is_blank(std::span(out).subspan(start));
        const uint16_t delay = blank ? 0 : longest_delay_ms;
        put_u16be(out, delay);
        put_u16be(out, delay);
    }
}

voice_file_read read_wopn(std::span<const uint8_t> file) {
    byte_cursor in(file);
    std::span<const uint8_t> magic;
    if (!in.take(magic_size, magic)) {
        return refuse_voice_file(size_problem(file.size(), magic_size, "the WOPN signature"));
    }
    uint16_t version = 1;
    if (std::memcmp(magic.data(), magic_v2, magic_size) == 0) {
        if (!in.u16le(version)) {
            return refuse_voice_file("The WOPN bank ends inside its header.");
        }
    } else if (std::memcmp(magic.data(), magic_v1, magic_size) != 0) {
        return refuse_voice_file("The file does not begin with a WOPN bank signature.");
    }
    if (version < 1 || version > 2) {
        return refuse_voice_file("WOPN bank version " + std::to_string(version) +
                                 " is unknown (versions 1 and 2 are read).");
    }
    uint16_t melodic = 0;
    uint16_t percussion = 0;
    uint8_t lfo = 0;
    if (!in.u16be(melodic) || !in.u16be(percussion) || !in.u8(lfo)) {
        return refuse_voice_file("The WOPN bank ends inside its header.");
    }
    const std::size_t banks = std::size_t{melodic} + percussion;
    const std::size_t ins_size = version >= 2 ? wopn_bank_instrument_size_v2 : wopn_instrument_size;
    const std::size_t need =
        in.position() + (version >= 2 ? banks * bank_meta_size : 0) + banks * bank_slots * ins_size;
    if (file.size() < need) {
        return refuse_voice_file("The WOPN bank claims " + std::to_string(melodic) +
                                 " melodic and " + std::to_string(percussion) +
                                 " percussion sets of 128 instruments (" + std::to_string(need) +
                                 " bytes) but holds " + std::to_string(file.size()) + " bytes.");
    }
    if (version >= 2) {
        in.skip(banks * bank_meta_size);
    }
    voice_file_read result;
    dropped_fields dropped;
    dropped.note("LFO", lfo);
    for (std::size_t b = 0; b < banks; ++b) {
        for (std::size_t slot = 0; slot < bank_slots; ++slot) {
            std::span<const uint8_t> ins;
            in.take(ins_size, ins);
            if (!wopn_instrument_is_blank(ins)) {
                result.voices.push_back(wopn_instrument_to_voice(ins, b >= melodic, dropped));
            }
        }
    }
    result.dropped = dropped.take();
    result.ok = true;
    return result;
}

bool write_wopn(std::span<const named_voice> voices, std::vector<uint8_t>& out,
                std::string& problem) {
    const std::size_t melodic =
        std::max<std::size_t>(1, (voices.size() + bank_slots - 1) / bank_slots);
    if (melodic > 0xFFFF) {
        problem = "Too many voices for a WOPN bank.";
        return false;
    }
    constexpr std::size_t percussion = 1;
    out.assign(magic_v2, magic_v2 + magic_size);
    put_u16le(out, 2);
    put_u16be(out, static_cast<uint16_t>(melodic));
    put_u16be(out, static_cast<uint16_t>(percussion));
    out.push_back(0);
    for (std::size_t b = 0; b < melodic + percussion; ++b) {
        out.insert(out.end(), 32, 0);
        out.push_back(0);                                                   // bank LSB
        out.push_back(static_cast<uint8_t>(b < melodic ? b : b - melodic)); // bank MSB
    }
    const named_voice blank{};
    for (std::size_t slot = 0; slot < (melodic + percussion) * bank_slots; ++slot) {
        put_wopn_instrument(out, slot < voices.size() ? voices[slot] : blank, true);
    }
    return true;
}

} // namespace kavelo
