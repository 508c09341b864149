// DefleMask presets (*.dmp), FM instruments of the Genesis system.
//
// Byte 0 is the file version. The header before the FM data differs by version:
//   0, 1   : version, operator count                   (FB at 2, no FMS; 49 bytes)
//   2-9    : version, mode (1 = FM), operator count     (FM data at 3, 51 bytes)
//   10     : version, mode                              (FM data at 2, 50 bytes)
//   11     : version, system (2 Genesis, 0x42 Genesis with the special channel 3), mode
//                                                       (FM data at 3, 51 bytes)
// The operator count byte is not examined: a 2-operator preset is shorter and refused.
// FM data: FMS (absent before version 2), FB, ALG, AMS, then 4 operators of 11 bytes in
// register order (OP1..OP4): MULT, TL, AR, DR, SL, RR, AM, RS, DT (DT2 in bits 4-5), D2R,
// SSG-EG (bit 3 on, bits 0-2 shape).
// DT is stored with an offset of 3 (0-6, 3 = none). Files are written as version 11.

#include "formats/fm_operator_fields.h"
#include "formats/voice_file_formats.h"

namespace kavelo {

namespace {

constexpr std::size_t dmp_operator_size = 11;
constexpr std::size_t dmp_operators_size = 4 * dmp_operator_size;
constexpr uint8_t current_version = 11;
constexpr uint8_t system_genesis = 2;
constexpr uint8_t system_genesis_ext_ch3 = 0x42; // the same chip, channel 3 in special mode
constexpr uint8_t mode_fm = 1;

} // namespace

voice_file_read read_dmp(std::span<const uint8_t> file) {
    if (file.empty()) {
        return refuse_voice_file(
            "The file is empty, but a DefleMask preset starts with its version byte.");
    }
    const uint8_t version = file[0];
    if (version > 11) {
        return refuse_voice_file("The file is a DefleMask preset of version " +
                                 std::to_string(version) + ", but versions 0 to 11 are read.");
    }
    // Where FB is: FMS comes just before it from version 2 on, ALG and AMS after it.
    const std::size_t fb_at = version < 2 ? 2 : version == 10 ? 3 : 4;
    const std::size_t size = fb_at + 3 + dmp_operators_size;
    if (file.size() != size) {
        return refuse_voice_file(size_problem(
            file.size(), size, "a DefleMask FM preset of version " + std::to_string(version)));
    }
    if (version == 11 && file[1] != system_genesis && file[1] != system_genesis_ext_ch3) {
        return refuse_voice_file("The file is a DefleMask preset for system " +
                                 std::to_string(file[1]) +
                                 ", not for the Genesis (system 2 or 0x42).");
    }
    const uint8_t mode = version < 2 ? mode_fm : file[version == 11 ? 2 : 1];
    if (mode != mode_fm) {
        return refuse_voice_file(
            "The file is a DefleMask standard (PSG) instrument, not an FM one.");
    }
    const auto d = file.subspan(fb_at - 1);
    voice_file_read result;
    dropped_fields dropped;
    dropped.note("FMS", version < 2 ? 0 : d[0]);
    dropped.note("AMS", d[3]);
    voice_params v;
    if (!field_in_range("FB", -1, d[1], 7, result.problem) ||
        !field_in_range("ALG", -1, d[2], 7, result.problem)) {
        return refuse_voice_file(std::move(result.problem));
    }
    v.fb = d[1];
    v.alg = d[2];
    for (int i = 0; i < 4; ++i) {
        auto o = d.subspan(4 + dmp_operator_size * static_cast<std::size_t>(i), dmp_operator_size);
        if (!field_in_range("MULT", i, o[0], 15, result.problem) ||
            !field_in_range("TL", i, o[1], 127, result.problem) ||
            !field_in_range("AR", i, o[2], 31, result.problem) ||
            !field_in_range("DR", i, o[3], 31, result.problem) ||
            !field_in_range("SL", i, o[4], 15, result.problem) ||
            !field_in_range("RR", i, o[5], 15, result.problem) ||
            !field_in_range("AM", i, o[6], 1, result.problem) ||
            !field_in_range("RS", i, o[7], 3, result.problem) ||
            !field_in_range("DT", i, o[8] & 0x0F, 7, result.problem) ||
            !field_in_range("D2R", i, o[9], 31, result.problem)) {
            return refuse_voice_file(std::move(result.problem));
        }
        operator_params& op = v.op[static_cast<std::size_t>(i)];
        op = {detune_from_offset3(o[8] & 7), o[0], o[1], o[7], o[2], o[6], o[3], o[9], o[4], o[5]};
        dropped.note("DT2", o[8] >> 4);
        dropped.note("SSG-EG", o[10]);
    }
    result.voices.push_back({pack_voice(v), ""});
    result.dropped = dropped.take();
    return result;
}

op_result write_dmp(std::span<const named_voice> voices, std::vector<uint8_t>& out) {
    const voice_params v = unpack_voice(voices[0].voice);
    out = {current_version, system_genesis, mode_fm, 0, v.fb, v.alg, 0};
    for (const operator_params& o : v.op) {
        out.insert(out.end(), {o.mul, o.tl, o.ar, o.d1r, o.d1l, o.rr, o.am, o.rs,
                               detune_to_offset3(o.dt), o.d2r, 0});
    }
    return {};
}

} // namespace kavelo
