// GYB banks (*.gyb), versions 1 to 3; all numbers little-endian.
// Versions 1 and 2:
//   0 signature 26 12 (decimal), 2 version, 3 melody count, 4 drum count,
//   5 256-byte GM instrument map, (version 2) 0x105 LFO byte;
//   then the melody and drum instruments, then their names (a length byte and the
//   characters each), then a 4-byte checksum, which is not examined.
//   Instrument: 28 raw register bytes, groups 0x30 DT/MUL, 0x40 TL, 0x50 RS/AR, 0x60 AM/D1R,
//   0x70 D2R, 0x80 D1L/RR, 0x90 SSG-EG of 4 operators in register order (OP1..OP4), then
//   0xB0; version 2 adds 0xB4, a transposition byte and a padding byte (30 or 32 bytes).
// Version 3:
//   0 signature, 2 version, 3 LFO, 4 file size, 8 offset of the instrument banks,
//   12 offset of the GM maps. A bank is a 16-bit count and its instruments; melody first.
//   Instrument: 16-bit size (itself included), the 30 register bytes (with 0xB4),
//   transposition, a flags byte (bit 0: chord notes follow as a count and the notes),
//   then the name as a length byte and the characters.
// Written as version 3 with every voice in the melody bank, mapped to GM programs in order.

#include "formats/fm_operator_fields.h"
#include "formats/voice_file_formats.h"

namespace kavelo {

namespace {

constexpr std::array<uint8_t, 2> signature{26, 12};
constexpr std::size_t map_size = 256;
constexpr std::size_t v3_header_size = 16;
constexpr uint16_t min_v3_instrument = 35; // size, 30 register bytes, 3 more, a name length
constexpr std::size_t gm_programs = 128;
constexpr uint8_t pan_both = 0xC0;

// Fills a voice from the register bytes (28, then 0xB0, then 0xB4 when `with_b4`).
named_voice voice_from_registers(std::span<const uint8_t> regs, bool with_b4,
                                 dropped_fields& dropped) {
    named_voice voice;
    for (std::size_t r = 0; r < operator_registers.size(); ++r) {
        for (int i = 0; i < 4; ++i) {
            set_register_byte(voice.voice, operator_registers[r], i,
                              regs[4 * r + static_cast<std::size_t>(i)]);
        }
    }
    for (std::size_t i = 24; i < 28; ++i) {
        dropped.note("SSG-EG", regs[i]);
    }
    voice.voice[0] = regs[28];
    if (with_b4) {
        dropped.note("AMS", (regs[29] >> 4) & 3);
        dropped.note("FMS", regs[29] & 7);
    }
    return voice;
}

voice_file_read read_v1_v2(std::span<const uint8_t> file, uint8_t version) {
    byte_cursor in(file);
    in.seek(3);
    uint8_t counts[2] = {};
    uint8_t lfo = 0;
    const std::size_t header_size = 5 + map_size + (version == 2 ? 1 : 0);
    if (!in.u8(counts[0]) || !in.u8(counts[1]) || !in.skip(map_size) ||
        (version == 2 && !in.u8(lfo))) {
        return refuse_voice_file(
            size_problem(file.size(), header_size,
                         "the header of a GYB bank of version " + std::to_string(version)));
    }
    const std::size_t ins_size = version == 1 ? 30 : 32;
    // Each instrument, then a length byte at least for each name.
    const std::size_t need = header_size + (counts[0] + counts[1]) * (ins_size + 1);
    if (file.size() < need) {
        return refuse_voice_file(
            min_size_problem(file.size(), need,
                             "a GYB bank of version " + std::to_string(version) + " with " +
                                 std::to_string(counts[0]) + " melody and " +
                                 std::to_string(counts[1]) + " drum instruments"));
    }
    voice_file_read result;
    dropped_fields dropped;
    dropped.note("LFO", lfo);
    for (int bank = 0; bank < 2; ++bank) {
        for (int i = 0; i < counts[bank]; ++i) {
            std::span<const uint8_t> ins;
            in.take(ins_size, ins);
            result.voices.push_back(voice_from_registers(ins, version == 2, dropped));
            dropped.note(bank == 0 ? "transposition" : "drum note", ins[version == 1 ? 29 : 30]);
        }
    }
    for (std::size_t i = 0; i < result.voices.size(); ++i) {
        named_voice& voice = result.voices[i];
        uint8_t length = 0;
        std::span<const uint8_t> name;
        if (!in.u8(length) || !in.take(length, name)) {
            return refuse_voice_file(ends_inside_problem(
                file.size(), "the name of GYB instrument " + std::to_string(i)));
        }
        voice.name.assign(name.begin(), name.end());
    }
    result.dropped = dropped.take();
    return result;
}

voice_file_read read_v3(std::span<const uint8_t> file) {
    byte_cursor in(file);
    in.seek(3);
    uint8_t lfo = 0;
    uint32_t size = 0;
    uint32_t banks = 0;
    if (!in.u8(lfo) || !in.u32le(size) || !in.u32le(banks) || !in.skip(4)) {
        return refuse_voice_file(
            size_problem(file.size(), v3_header_size, "the header of a GYB bank of version 3"));
    }
    if (size > file.size()) {
        return refuse_voice_file("The file is " + std::to_string(file.size()) +
                                 " bytes long, but its GYB header gives its size as " +
                                 std::to_string(size) + " bytes.");
    }
    if (!in.seek(banks)) {
        return refuse_voice_file("The file is " + std::to_string(file.size()) +
                                 " bytes long, but its GYB header puts the instruments at byte " +
                                 std::to_string(banks) + ".");
    }
    voice_file_read result;
    dropped_fields dropped;
    dropped.note("LFO", lfo);
    for (int bank = 0; bank < 2; ++bank) {
        uint16_t count = 0;
        if (!in.u16le(count)) {
            return refuse_voice_file(
                ends_inside_problem(file.size(), bank == 0 ? "the GYB melody instrument count"
                                                           : "the GYB drum instrument count"));
        }
        for (uint16_t i = 0; i < count; ++i) {
            uint16_t used = 0;
            std::span<const uint8_t> ins;
            const std::string what =
                (bank == 0 ? "GYB melody instrument " : "GYB drum instrument ") + std::to_string(i);
            if (!in.u16le(used) || (used >= min_v3_instrument && !in.take(used - 2u, ins))) {
                return refuse_voice_file(ends_inside_problem(file.size(), what));
            }
            if (used < min_v3_instrument) {
                return refuse_voice_file("The file gives " + what + " a size of " +
                                         std::to_string(used) +
                                         " bytes, but an instrument takes at least " +
                                         std::to_string(min_v3_instrument) + ".");
            }
            named_voice voice = voice_from_registers(ins, true, dropped);
            dropped.note(bank == 0 ? "transposition" : "drum note", ins[30]);
            byte_cursor rest(ins.subspan(31));
            uint8_t flags = 0;
            uint8_t length = 0;
            std::span<const uint8_t> skipped;
            std::span<const uint8_t> name;
            rest.u8(flags);
            if ((flags & 1) != 0 && (!rest.u8(length) || !rest.take(length, skipped))) {
                return refuse_voice_file("The chord notes of " + what + " run past its " +
                                         std::to_string(used) + " bytes.");
            }
            dropped.note("chord notes", flags & 1);
            if (!rest.u8(length) || !rest.take(length, name)) {
                return refuse_voice_file("The name of " + what + " runs past its " +
                                         std::to_string(used) + " bytes.");
            }
            voice.name.assign(name.begin(), name.end());
            result.voices.push_back(std::move(voice));
        }
    }
    result.dropped = dropped.take();
    return result;
}

} // namespace

voice_file_read read_gyb(std::span<const uint8_t> file) {
    if (file.size() < 3 || file[0] != signature[0] || file[1] != signature[1]) {
        return refuse_voice_file(
            "The file does not begin with 26 12 (decimal), the signature of a GYB bank.");
    }
    const uint8_t version = file[2];
    if (version == 1 || version == 2) {
        return read_v1_v2(file, version);
    }
    if (version == 3) {
        return read_v3(file);
    }
    return refuse_voice_file("The file is a GYB bank of version " + std::to_string(version) +
                             ", but versions 1 to 3 are read.");
}

op_result write_gyb(std::span<const named_voice> voices, std::vector<uint8_t>& out) {
    if (voices.size() > 0x7FFF) {
        return refused("A GYB bank holds at most 32767 instruments.");
    }
    out = {signature[0], signature[1], 3, 0};
    out.resize(v3_header_size);
    put_u16le(out, static_cast<uint16_t>(voices.size()));
    for (const named_voice& voice : voices) {
        const std::size_t name_length = std::min<std::size_t>(voice.name.size(), 255);
        put_u16le(out, static_cast<uint16_t>(2 + 30 + 3 + name_length));
        for (uint8_t base : operator_registers) {
            for (int i = 0; i < 4; ++i) {
                out.push_back(register_byte(voice.voice, base, i));
            }
        }
        out.insert(out.end(),
                   {0, 0, 0, 0, voice.voice[0], pan_both, 0, 0, static_cast<uint8_t>(name_length)});
        out.insert(out.end(), voice.name.begin(),
                   voice.name.begin() + static_cast<std::ptrdiff_t>(name_length));
    }
    put_u16le(out, 0); // no drum instruments
    const auto maps = static_cast<uint32_t>(out.size());
    for (std::size_t program = 0; program < gm_programs; ++program) {
        if (program < voices.size()) {
            put_u16le(out, 1);
            out.insert(out.end(), {0xFF, 0xFF});
            put_u16le(out, static_cast<uint16_t>(program));
        } else {
            put_u16le(out, 0);
        }
    }
    for (std::size_t drum = 0; drum < gm_programs; ++drum) {
        put_u16le(out, 0);
    }
    std::vector<uint8_t> header;
    put_u32le(header, static_cast<uint32_t>(out.size()));
    put_u32le(header, static_cast<uint32_t>(v3_header_size));
    put_u32le(header, maps);
    std::copy(header.begin(), header.end(), out.begin() + 4);
    return {};
}

} // namespace kavelo
