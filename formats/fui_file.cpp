// Furnace instruments (*.fui), read only; all numbers little-endian.
// New layout: "FINS", version (16 bits), instrument type (16 bits, 1 = FM OPN), then
//   features: a 2-character code, a 16-bit length and the data; "EN" ends the list.
//   "NA": the name, zero-terminated. "FM": flags (bits 0-3 operator count), then
//   ALG bits 4-6 / FB bits 0-2, FMS2/AMS/FMS, AM2/4-op/OPLL patch, then 8 bytes per
//   operator in register order (OP1..OP4):
//     KSR.7 DT.4-6 MULT.0-3 | SUS.7 TL.0-6 | RS.6-7 VIB.5 AR.0-4 | AM.7 KSL.5-6 DR.0-4 |
//     EGT.7 KVS.5-6 D2R.0-4 | SL.4-7 RR.0-3 | DVB.4-7 SSG.0-3 | DAM.5-7 DT2.3-4 WS.0-2
// Old layout: "-Furnace instr.-", version, reserved, a 32-bit pointer to an "INST" block:
//   "INST", 4 reserved, version (16 bits), type (8 bits, 1 = FM), reserved, the name
//   (zero-terminated), ALG, FB, FMS, AMS, operator count, OPLL preset, 2 reserved, then
//   4 operators of 32 bytes in register order: AM, AR, DR, MULT, RR, SL, TL, DT2, RS, DT,
//   D2R, SSG-EG, then fields of other chips and reserved bytes.
// Both layouts store DT with an offset of 3 (0-6, 3 = none).

#include "formats/fm_operator_fields.h"
#include "formats/voice_file_formats.h"

#include <cstring>

namespace kavelo {

namespace {

constexpr char new_magic[] = "FINS";
constexpr char old_magic[] = "-Furnace instr.-";
constexpr uint16_t type_fm_opn = 1;

voice_file_read finish(const voice_params& v, std::string name, dropped_fields& dropped) {
    voice_file_read result;
    result.voices.push_back({pack_voice(v), std::move(name)});
    result.dropped = dropped.take();
    return result;
}

bool read_fm_feature(std::span<const uint8_t> data, voice_params& v, dropped_fields& dropped,
                     std::string& problem) {
    constexpr std::size_t operator_size = 8;
    constexpr std::size_t fm_size = 4 + 4 * operator_size;
    if (data.size() < fm_size) {
        problem = "The FM feature of the Furnace instrument is " + std::to_string(data.size()) +
                  " bytes long, but four operators take " + std::to_string(fm_size) + " bytes.";
        return false;
    }
    if ((data[0] & 0x0F) != 4) {
        problem = "The Furnace instrument has " + std::to_string(data[0] & 0x0F) +
                  " FM operators, but a YM2612 voice has 4.";
        return false;
    }
    v.alg = (data[1] >> 4) & 7;
    v.fb = data[1] & 7;
    dropped.note("AMS", (data[2] >> 3) & 3);
    dropped.note("FMS", data[2] & 7);
    dropped.note("FMS2/AMS2", data[2] >> 5 | data[3] >> 6);
    for (int i = 0; i < 4; ++i) {
        auto o = data.subspan(4 + operator_size * static_cast<std::size_t>(i), operator_size);
        operator_params& op = v.op[static_cast<std::size_t>(i)];
        op.dt = detune_from_offset3((o[0] >> 4) & 7);
        op.mul = o[0] & 15;
        op.tl = o[1] & 127;
        op.rs = o[2] >> 6;
        op.ar = o[2] & 31;
        op.am = o[3] >> 7;
        op.d1r = o[3] & 31;
        op.d2r = o[4] & 31;
        op.d1l = o[5] >> 4;
        op.rr = o[5] & 15;
        dropped.note("SSG-EG", o[6] & 15);
        dropped.note("DT2", (o[7] >> 3) & 3);
    }
    if ((data[0] >> 4) != 0x0F) {
        dropped.add("disabled operators");
    }
    return true;
}

voice_file_read read_new(std::span<const uint8_t> file) {
    byte_cursor in(file);
    in.seek(4);
    uint16_t version = 0;
    uint16_t type = 0;
    if (!in.u16le(version) || !in.u16le(type)) {
        return refuse_voice_file(
            ends_inside_problem(file.size(), "the header of the Furnace instrument"));
    }
    if (type != type_fm_opn) {
        return refuse_voice_file("The file is a Furnace instrument of type " +
                                 std::to_string(type) + ", not an FM (OPN) instrument.");
    }
    std::string name;
    voice_params v;
    bool have_fm = false;
    dropped_fields dropped;
    while (in.left() > 0) {
        std::span<const uint8_t> code;
        uint16_t length = 0;
        std::span<const uint8_t> data;
        if (!in.take(2, code)) {
            return refuse_voice_file(
                ends_inside_problem(file.size(), "a feature code of the Furnace instrument"));
        }
        if (code[0] == 'E' && code[1] == 'N') {
            break;
        }
        if (!in.u16le(length) || !in.take(length, data)) {
            std::string feature = "feature \"";
            feature.push_back(char(code[0]));
            feature.push_back(char(code[1]));
            feature += "\" of the Furnace instrument";
            return refuse_voice_file(ends_inside_problem(file.size(), feature));
        }
        if (code[0] == 'N' && code[1] == 'A') {
            name = fixed_name(data);
        } else if (code[0] == 'F' && code[1] == 'M') {
            std::string problem;
            if (!read_fm_feature(data, v, dropped, problem)) {
                return refuse_voice_file(problem);
            }
            have_fm = true;
        } else {
            const std::string tag{char(code[0]), char(code[1])};
            dropped.add(tag == "MA"                                       ? "macros"
                        : tag[0] == 'O' && tag[1] >= '1' && tag[1] <= '4' ? "operator macros"
                                                                          : "feature " + tag);
        }
    }
    if (!have_fm) {
        return refuse_voice_file("The file is a Furnace instrument without FM data.");
    }
    return finish(v, name, dropped);
}

voice_file_read read_old(std::span<const uint8_t> file) {
    constexpr std::size_t operator_size = 32;
    byte_cursor in(file);
    in.seek(16 + 4);
    uint32_t pointer = 0;
    std::span<const uint8_t> block;
    uint8_t type = 0;
    std::string name;
    std::span<const uint8_t> common;
    if (!in.u32le(pointer)) {
        return refuse_voice_file(
            ends_inside_problem(file.size(), "the header of the Furnace instrument"));
    }
    if (!in.seek(pointer) || !in.take(4, block) || std::memcmp(block.data(), "INST", 4) != 0) {
        return refuse_voice_file("The file is " + std::to_string(file.size()) +
                                 " bytes long, but it holds no INST block at byte " +
                                 std::to_string(pointer) + ", where its Furnace header points.");
    }
    if (!in.skip(6) || !in.u8(type) || !in.skip(1) || !in.string_z(name) || !in.take(8, common)) {
        return refuse_voice_file(
            ends_inside_problem(file.size(), "the INST block of the Furnace instrument"));
    }
    if (type != type_fm_opn) {
        return refuse_voice_file("The file is a Furnace instrument of type " +
                                 std::to_string(type) + ", not an FM instrument.");
    }
    voice_file_read result;
    voice_params v;
    if (!field_in_range("ALG", -1, common[0], 7, result.problem) ||
        !field_in_range("FB", -1, common[1], 7, result.problem)) {
        return refuse_voice_file(std::move(result.problem));
    }
    v.alg = common[0];
    v.fb = common[1];
    dropped_fields dropped;
    dropped.note("FMS", common[2]);
    dropped.note("AMS", common[3]);
    for (int i = 0; i < 4; ++i) {
        std::span<const uint8_t> o;
        if (!in.take(operator_size, o)) {
            return refuse_voice_file(ends_inside_problem(
                file.size(), "operator " + std::to_string(i + 1) + " of the Furnace instrument"));
        }
        if (!field_in_range("AM", i, o[0], 1, result.problem) ||
            !field_in_range("AR", i, o[1], 31, result.problem) ||
            !field_in_range("DR", i, o[2], 31, result.problem) ||
            !field_in_range("MULT", i, o[3], 15, result.problem) ||
            !field_in_range("RR", i, o[4], 15, result.problem) ||
            !field_in_range("SL", i, o[5], 15, result.problem) ||
            !field_in_range("TL", i, o[6], 127, result.problem) ||
            !field_in_range("RS", i, o[8], 3, result.problem) ||
            !field_in_range("DT", i, o[9], 7, result.problem) ||
            !field_in_range("D2R", i, o[10], 31, result.problem)) {
            return refuse_voice_file(std::move(result.problem));
        }
        v.op[static_cast<std::size_t>(i)] = {
            detune_from_offset3(o[9]), o[3], o[6], o[8], o[1], o[0], o[2], o[10], o[5], o[4]};
        dropped.note("DT2", o[7]);
        dropped.note("SSG-EG", o[11] & 0x1F);
    }
    return finish(v, name, dropped);
}

} // namespace

voice_file_read read_fui(std::span<const uint8_t> file) {
    if (file.size() >= 4 && std::memcmp(file.data(), new_magic, 4) == 0) {
        return read_new(file);
    }
    if (file.size() >= 16 && std::memcmp(file.data(), old_magic, 16) == 0) {
        return read_old(file);
    }
    return refuse_voice_file("The file does not begin with \"FINS\" or \"-Furnace instr.-\", "
                             "the signature of a Furnace instrument.");
}

} // namespace kavelo
