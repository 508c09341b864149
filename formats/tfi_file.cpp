// TFM Music Maker instruments (*.tfi): exactly 42 bytes, every field a byte of its own.
//   0 ALG, 1 FB, then 4 operators of 10 bytes in register order (OP1..OP4):
//   MUL, DT, TL, RS, AR, DR, SR (D2R), RR, SL, SSG-EG.
// DT is stored with an offset of 3 (0-6, 3 = none). There is no AM bit and no name.

#include "formats/fm_operator_fields.h"
#include "formats/voice_file_formats.h"

namespace kavelo {

namespace {

constexpr std::size_t tfi_size = 42;
constexpr std::size_t tfi_operator_size = 10;

} // namespace

voice_file_read read_tfi(std::span<const uint8_t> file) {
    if (file.size() != tfi_size) {
        return refuse_voice_file(size_problem(file.size(), tfi_size, "a TFI instrument"));
    }
    voice_file_read result;
    dropped_fields dropped;
    if (!field_in_range("ALG", -1, file[0], 7, result.problem) ||
        !field_in_range("FB", -1, file[1], 7, result.problem)) {
        return refuse_voice_file(std::move(result.problem));
    }
    voice_params v;
    v.alg = file[0];
    v.fb = file[1];
    for (int i = 0; i < 4; ++i) {
        auto o =
            file.subspan(2 + tfi_operator_size * static_cast<std::size_t>(i), tfi_operator_size);
        if (!field_in_range("MUL", i, o[0], 15, result.problem) ||
            !field_in_range("DT", i, o[1], 7, result.problem) ||
            !field_in_range("TL", i, o[2], 127, result.problem) ||
            !field_in_range("RS", i, o[3], 3, result.problem) ||
            !field_in_range("AR", i, o[4], 31, result.problem) ||
            !field_in_range("DR", i, o[5], 31, result.problem) ||
            !field_in_range("SR", i, o[6], 31, result.problem) ||
            !field_in_range("RR", i, o[7], 15, result.problem) ||
            !field_in_range("SL", i, o[8], 15, result.problem)) {
            return refuse_voice_file(std::move(result.problem));
        }
        v.op[static_cast<std::size_t>(i)] = {
            detune_from_offset3(o[1]), o[0], o[2], o[3], o[4], 0, o[5], o[6], o[8], o[7]};
        dropped.note("SSG-EG", o[9]);
    }
    result.voices.push_back({pack_voice(v), ""});
    result.dropped = dropped.take();
    return result;
}

op_result write_tfi(std::span<const named_voice> voices, std::vector<uint8_t>& out) {
    const voice_params v = unpack_voice(voices[0].voice);
    out = {v.alg, v.fb};
    for (const operator_params& o : v.op) {
        out.insert(out.end(), {o.mul, detune_to_offset3(o.dt), o.tl, o.rs, o.ar, o.d1r, o.d2r, o.rr,
                               o.d1l, 0});
    }
    return {};
}

} // namespace kavelo
