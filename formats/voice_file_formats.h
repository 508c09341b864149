#pragma once
// The reader and writer of each instrument and bank file format, one source file each.
// The format table (voice_formats.h) is how the rest of the program reaches them.

#include "formats/voice_file.h"

namespace kavelo {

using voice_file_reader = voice_file_read (*)(std::span<const uint8_t> file);
// Single-instrument writers write voices[0]; bank writers write them all.
using voice_file_writer = op_result (*)(std::span<const named_voice> voices,
                                        std::vector<uint8_t>& out);

voice_file_read read_dmp(std::span<const uint8_t> file);
op_result write_dmp(std::span<const named_voice> voices, std::vector<uint8_t>& out);
voice_file_read read_tfi(std::span<const uint8_t> file);
op_result write_tfi(std::span<const named_voice> voices, std::vector<uint8_t>& out);
voice_file_read read_vgi(std::span<const uint8_t> file);
op_result write_vgi(std::span<const named_voice> voices, std::vector<uint8_t>& out);
voice_file_read read_opni(std::span<const uint8_t> file);
op_result write_opni(std::span<const named_voice> voices, std::vector<uint8_t>& out);
voice_file_read read_y12(std::span<const uint8_t> file);
op_result write_y12(std::span<const named_voice> voices, std::vector<uint8_t>& out);
voice_file_read read_eif(std::span<const uint8_t> file);
op_result write_eif(std::span<const named_voice> voices, std::vector<uint8_t>& out);
voice_file_read read_fui(std::span<const uint8_t> file);
voice_file_read read_wopn(std::span<const uint8_t> file);
op_result write_wopn(std::span<const named_voice> voices, std::vector<uint8_t>& out);
voice_file_read read_gyb(std::span<const uint8_t> file);
op_result write_gyb(std::span<const named_voice> voices, std::vector<uint8_t>& out);
voice_file_read read_opm(std::span<const uint8_t> file);
op_result write_opm(std::span<const named_voice> voices, std::vector<uint8_t>& out);
voice_file_read read_ymx(std::span<const uint8_t> file);
op_result write_ymx(std::span<const named_voice> voices, std::vector<uint8_t>& out);
voice_file_read read_syx(std::span<const uint8_t> file);

} // namespace kavelo
