// libOPNMIDI banks (*.wopn), versions 1 and 2.
//   0   "WOPN2-BANK\0" (version 1) or "WOPN2-B2NK\0" followed by a little-endian version
//   then melodic set count and percussion set count (big-endian 16 bits), the chip's LFO
//   byte, (version 2) per set 32 bytes of name and its MIDI bank LSB and MSB, then each
//   set's 128 instruments (see wopn_instrument.h), melodic sets first. The file ends there.
// Blank slots are skipped; the voices of every other slot are listed in file order, each
// with its slot (set, program, percussion or not, the set's name and bank number). The
// key-on/off delays are measurements of the sound, not settings, and are not kept.
// Written as version 2. Voices whose slots run in file order (those of one bank, or some of
// them) go back to their slots; any other list fills the melodic sets in order, followed by
// one blank percussion set: libOPNMIDI refuses a bank without a set of each kind.

#include "formats/voice_file_formats.h"
#include "formats/wopn_instrument.h"

#include <algorithm>
#include <cstring>
#include <tuple>

namespace kavelo {

namespace {

constexpr char magic_v1[] = "WOPN2-BANK";
constexpr char magic_v2[] = "WOPN2-B2NK";
constexpr std::size_t magic_size = 11;
constexpr std::size_t set_name_size = 32;
constexpr std::size_t set_meta_size = 34; // the name, bank LSB, bank MSB
constexpr std::size_t bank_slots = 128;
constexpr std::size_t max_sets = 0xFFFF;      // of each kind
constexpr uint16_t longest_delay_ms = 0x7FFF; // the delays are signed 16-bit numbers

std::string sets_text(std::size_t melodic, std::size_t percussion) {
    return std::to_string(melodic) + " melodic and " + std::to_string(percussion) +
           (percussion == 1 ? " percussion set" : " percussion sets");
}

auto file_order(const bank_slot& slot) {
    return std::tie(slot.percussion, slot.set, slot.program);
}

// Every voice has a slot, and the slots run in file order with none twice.
bool slots_in_file_order(std::span<const named_voice> voices) {
    const bank_slot* last = nullptr;
    for (const named_voice& voice : voices) {
        if (!voice.slot || voice.slot->program >= bank_slots ||
            (last && !(file_order(*last) < file_order(*voice.slot)))) {
            return false;
        }
        last = &*voice.slot;
    }
    return true;
}

} // namespace

voice_file_read read_wopn(std::span<const uint8_t> file) {
    const bool v2 =
        file.size() >= magic_size && std::memcmp(file.data(), magic_v2, magic_size) == 0;
    if ((file.size() < magic_size || std::memcmp(file.data(), magic_v1, magic_size) != 0) && !v2) {
        return refuse_voice_file("The file does not begin with \"WOPN2-BANK\" or \"WOPN2-B2NK\", "
                                 "the signature of a WOPN bank.");
    }
    const std::size_t header_size = magic_size + (v2 ? 2 : 0) + 5;
    if (file.size() < header_size) {
        return refuse_voice_file(size_problem(file.size(), header_size, "a WOPN bank header"));
    }
    byte_cursor in(file);
    in.skip(magic_size);
    uint16_t version = 1;
    uint16_t melodic = 0;
    uint16_t percussion = 0;
    uint8_t lfo = 0;
    if (v2) {
        in.u16le(version);
    }
    in.u16be(melodic);
    in.u16be(percussion);
    in.u8(lfo);
    if (version < 1 || version > 2) {
        return refuse_voice_file("The file is a WOPN bank of version " + std::to_string(version) +
                                 ", but versions 1 and 2 are read.");
    }
    const std::size_t sets = std::size_t{melodic} + percussion;
    const std::size_t ins_size = version >= 2 ? wopn_bank_instrument_size_v2 : wopn_instrument_size;
    const std::size_t need =
        header_size + (version >= 2 ? sets * set_meta_size : 0) + sets * bank_slots * ins_size;
    if (file.size() != need) {
        return refuse_voice_file(size_problem(file.size(), need,
                                              "a WOPN bank of version " + std::to_string(version) +
                                                  " with " + sets_text(melodic, percussion)));
    }
    std::vector<bank_slot> set_slots(sets);
    for (std::size_t b = 0; b < sets; ++b) {
        bank_slot& slot = set_slots[b];
        slot.percussion = b >= melodic;
        slot.set = static_cast<uint16_t>(slot.percussion ? b - melodic : b);
        slot.bank_msb = static_cast<uint8_t>(slot.set); // what this program writes for version 1
        std::span<const uint8_t> meta;
        if (version >= 2 && in.take(set_meta_size, meta)) {
            slot.set_name = fixed_name(meta.first(set_name_size));
            slot.bank_lsb = meta[set_name_size];
            slot.bank_msb = meta[set_name_size + 1];
        }
    }
    voice_file_read result;
    dropped_fields dropped;
    dropped.note("LFO", lfo);
    for (std::size_t b = 0; b < sets; ++b) {
        for (std::size_t program = 0; program < bank_slots; ++program) {
            std::span<const uint8_t> ins;
            in.take(ins_size, ins);
            if (wopn_slot_is_blank(ins)) {
                continue;
            }
            named_voice voice = wopn_instrument_to_voice(ins, b >= melodic, dropped);
            voice.slot = set_slots[b];
            voice.slot->program = static_cast<uint8_t>(program);
            result.voices.push_back(std::move(voice));
        }
    }
    result.dropped = dropped.take();
    return result;
}

op_result write_wopn(std::span<const named_voice> voices, std::vector<uint8_t>& out) {
    const bool in_slots = slots_in_file_order(voices);
    std::size_t melodic = std::max<std::size_t>(1, (voices.size() + bank_slots - 1) / bank_slots);
    std::size_t percussion = 1;
    if (in_slots) {
        melodic = 1;
        for (const named_voice& voice : voices) {
            std::size_t& count = voice.slot->percussion ? percussion : melodic;
            count = std::max<std::size_t>(count, voice.slot->set + std::size_t{1});
        }
    }
    if (melodic > max_sets || percussion > max_sets) {
        return refused("Too many voices for a WOPN bank.");
    }
    // Sets no voice names keep the numbering of a bank written in order.
    std::vector<bank_slot> sets(melodic + percussion);
    for (std::size_t b = 0; b < sets.size(); ++b) {
        sets[b].bank_msb = static_cast<uint8_t>(b < melodic ? b : b - melodic);
    }
    std::vector<const named_voice*> slots(sets.size() * bank_slots, nullptr);
    for (std::size_t i = 0; i < voices.size(); ++i) {
        std::size_t at = i;
        if (in_slots) {
            const bank_slot& slot = *voices[i].slot;
            const std::size_t set = (slot.percussion ? melodic : 0) + slot.set;
            sets[set] = slot;
            at = set * bank_slots + slot.program;
        }
        slots[at] = &voices[i];
    }
    out.assign(magic_v2, magic_v2 + magic_size);
    put_u16le(out, 2);
    put_u16be(out, static_cast<uint16_t>(melodic));
    put_u16be(out, static_cast<uint16_t>(percussion));
    out.push_back(0);
    for (const bank_slot& set : sets) {
        put_fixed_name(out, set.set_name, set_name_size);
        out.push_back(set.bank_lsb);
        out.push_back(set.bank_msb);
    }
    const named_voice blank{};
    for (const named_voice* voice : slots) {
        put_wopn_instrument(out, voice ? *voice : blank);
        // Zero delays mark a blank slot, so a voice claims the longest sound, which never
        // lets a player take its channel while it may still be heard.
        const uint16_t delay = voice ? longest_delay_ms : 0;
        put_u16be(out, delay);
        put_u16be(out, delay);
    }
    return {};
}

} // namespace kavelo
