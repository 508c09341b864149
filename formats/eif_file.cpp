// Echo instruments (*.eif): exactly 29 raw register bytes.
//   0 register 0xB0 (FB bits 3-5, ALG bits 0-2), then groups of 4 bytes in register order
//   (OP1..OP4) for 0x30 DT/MUL, 0x40 TL, 0x50 RS/AR, 0x60 AM/D1R, 0x70 D2R, 0x80 D1L/RR and
//   0x90 SSG-EG. DT is the chip's own encoding; the bytes cross whole. There is no name.

#include "formats/fm_operator_fields.h"
#include "formats/voice_file_formats.h"

namespace kavelo {

namespace {

constexpr std::size_t eif_size = 29;

} // namespace

voice_file_read read_eif(std::span<const uint8_t> file) {
    if (file.size() != eif_size) {
        return refuse_voice_file(size_problem(file.size(), eif_size, "an Echo instrument"));
    }
    voice_file_read result;
    dropped_fields dropped;
    voice_record record{};
    record[0] = file[0];
    for (std::size_t r = 0; r < operator_registers.size(); ++r) {
        for (int i = 0; i < 4; ++i) {
            set_register_byte(record, operator_registers[r], i,
                              file[1 + 4 * r + static_cast<std::size_t>(i)]);
        }
    }
    for (std::size_t i = 25; i < eif_size; ++i) {
        dropped.note("SSG-EG", file[i]);
    }
    result.voices.push_back({record, ""});
    result.dropped = dropped.take();
    return result;
}

op_result write_eif(std::span<const named_voice> voices, std::vector<uint8_t>& out) {
    const voice_record& record = voices[0].voice;
    out = {record[0]};
    for (uint8_t base : operator_registers) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(register_byte(record, base, i));
        }
    }
    out.insert(out.end(), 4, 0);
    return {};
}

} // namespace kavelo
