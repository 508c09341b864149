// VGM Music Maker instruments (*.vgi): exactly 43 bytes.
//   0 ALG, 1 FB, 2 AMS/FMS as in register 0xB4 (AMS bits 4-5, FMS bits 0-2), then 4
//   operators of 10 bytes in register order (OP1..OP4):
//   MUL, DT, TL, RS, AR, DR (bit 7 AM), SR (D2R), RR, SL, SSG-EG.
// DT is stored with an offset of 3 (0-6, 3 = none). There is no name.

#include "formats/fm_operator_fields.h"
#include "formats/voice_file_formats.h"

namespace kavelo {

namespace {

constexpr std::size_t vgi_size = 43;
constexpr std::size_t vgi_operator_size = 10;

} // namespace

voice_file_read read_vgi(std::span<const uint8_t> file) {
    if (file.size() != vgi_size) {
        return refuse_voice_file(size_problem(file.size(), vgi_size, "a VGI instrument"));
    }
    voice_file_read result;
    dropped_fields dropped;
    if (!field_in_range("ALG", -1, file[0], 7, result.problem) ||
        !field_in_range("FB", -1, file[1], 7, result.problem)) {
        return refuse_voice_file(std::move(result.problem));
    }
    dropped.note("AMS", (file[2] >> 4) & 3);
    dropped.note("FMS", file[2] & 7);
    voice_params v;
    v.alg = file[0];
    v.fb = file[1];
    for (int i = 0; i < 4; ++i) {
        auto o =
            file.subspan(3 + vgi_operator_size * static_cast<std::size_t>(i), vgi_operator_size);
        if (!field_in_range("MUL", i, o[0], 15, result.problem) ||
            !field_in_range("DT", i, o[1], 7, result.problem) ||
            !field_in_range("TL", i, o[2], 127, result.problem) ||
            !field_in_range("RS", i, o[3], 3, result.problem) ||
            !field_in_range("AR", i, o[4], 31, result.problem) ||
            !field_in_range("DR", i, o[5] & 0x7F, 31, result.problem) ||
            !field_in_range("SR", i, o[6], 31, result.problem) ||
            !field_in_range("RR", i, o[7], 15, result.problem) ||
            !field_in_range("SL", i, o[8], 15, result.problem)) {
            return refuse_voice_file(std::move(result.problem));
        }
        v.op[static_cast<std::size_t>(i)] = {detune_from_offset3(o[1]),
                                             o[0],
                                             o[2],
                                             o[3],
                                             o[4],
                                             static_cast<uint8_t>(o[5] >> 7),
                                             static_cast<uint8_t>(o[5] & 0x1F),
                                             o[6],
                                             o[8],
                                             o[7]};
        dropped.note("SSG-EG", o[9]);
    }
    result.voices.push_back({pack_voice(v), ""});
    result.dropped = dropped.take();
    return result;
}

op_result write_vgi(std::span<const named_voice> voices, std::vector<uint8_t>& out) {
    const voice_params v = unpack_voice(voices[0].voice);
    out = {v.alg, v.fb, 0};
    for (const operator_params& o : v.op) {
        out.insert(out.end(), {o.mul, detune_to_offset3(o.dt), o.tl, o.rs, o.ar,
                               static_cast<uint8_t>(o.am << 7 | o.d1r), o.d2r, o.rr, o.d1l, 0});
    }
    return {};
}

} // namespace kavelo
