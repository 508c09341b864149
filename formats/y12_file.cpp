// Emulator voice dumps (*.y12): exactly 128 bytes.
//   0x00-0x3F: 4 operator blocks of 16 bytes in register order (OP1..OP4), each holding
//              the raw registers 0x30 DT/MUL, 0x40 TL, 0x50 RS/AR, 0x60 AM/D1R, 0x70 D2R,
//              0x80 D1L/RR, 0x90 SSG-EG, then 9 zero bytes.
//   0x40 ALG, 0x41 FB, then zero bytes to 0x50.
//   0x50 voice name, 0x60 dumper, 0x70 game: 16 bytes each, zero-padded.
// DT is the chip's own encoding. Register bytes cross whole, bits the chip ignores included.

#include "formats/fm_operator_fields.h"
#include "formats/voice_file_formats.h"

namespace kavelo {

namespace {

constexpr std::size_t y12_size = 128;
constexpr std::size_t block_size = 16;

} // namespace

voice_file_read read_y12(std::span<const uint8_t> file) {
    if (file.size() != y12_size) {
        return refuse_voice_file(size_problem(file.size(), y12_size, "a Y12 voice dump"));
    }
    voice_file_read result;
    if (!field_in_range("ALG", -1, file[0x40], 7, result.problem) ||
        !field_in_range("FB", -1, file[0x41], 7, result.problem)) {
        return refuse_voice_file(std::move(result.problem));
    }
    dropped_fields dropped;
    voice_record record{};
    record[0] = static_cast<uint8_t>(file[0x41] << 3 | file[0x40]);
    for (int i = 0; i < 4; ++i) {
        auto block = file.subspan(block_size * static_cast<std::size_t>(i), block_size);
        for (std::size_t r = 0; r < operator_registers.size(); ++r) {
            set_register_byte(record, operator_registers[r], i, block[r]);
        }
        dropped.note("SSG-EG", block[6]);
    }
    result.voices.push_back({record, fixed_name(file.subspan(0x50, block_size))});
    result.dropped = dropped.take();
    return result;
}

op_result write_y12(std::span<const named_voice> voices, std::vector<uint8_t>& out) {
    const voice_record& record = voices[0].voice;
    out.assign(y12_size, 0);
    for (int i = 0; i < 4; ++i) {
        for (std::size_t r = 0; r < operator_registers.size(); ++r) {
            out[block_size * static_cast<std::size_t>(i) + r] =
                register_byte(record, operator_registers[r], i);
        }
    }
    out[0x40] = record[0] & 7;
    out[0x41] = (record[0] >> 3) & 7;
    std::vector<uint8_t> name;
    put_fixed_name(name, voices[0].name, block_size);
    std::copy(name.begin(), name.end(), out.begin() + 0x50);
    return {};
}

} // namespace kavelo
