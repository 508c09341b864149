#pragma once
// TX81Z voice bank dumps (*.syx): a 6-byte bulk dump header, 128-byte voices, then a
// checksum and the end byte. Nothing but the voice data is examined, so any file of a
// suitable size is taken as voices.

#include "rom/file_system.h"
#include "rom/results.h"
#include "rom/voice_record.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kavelo {

inline constexpr int32_t tx81z_store_voices = 50;
inline constexpr std::size_t tx81z_voice_size = 128;
inline constexpr std::size_t tx81z_dump_header_size = 6;
inline constexpr std::size_t tx81z_min_file_size = 8; // header, checksum and end byte

// The voice data of the last import. A shorter import leaves the tail of an earlier one
// in place, but only `voice_count` voices are listed.
struct tx81z_store {
    std::array<uint8_t, tx81z_store_voices * tx81z_voice_size> bytes{};
    int32_t voice_count = 0;
};

// Refused (result_refused) or, from tx81z_import_file, unreadable (result_cannot_read).
struct tx81z_import_result : op_result {
    std::vector<std::string> names; // the listed voices, in file order
    int32_t voices_in_file = 0;     // whole voices the file holds, before the cut at 50
};

// Copies the file's voice data into the store (at most 50 voices) and lists the names.
// Refuses a file shorter than 8 bytes, leaving the store as it was.
tx81z_import_result tx81z_import_bytes(tx81z_store& store, std::span<const uint8_t> file);

// The name of stored voice i: its 10 name bytes, ended early by a zero byte.
std::string tx81z_voice_name(const tx81z_store& store, int32_t index);

// Converts stored voice i (0..49) into a Voice record in working order.
voice_record tx81z_voice_to_record(const tx81z_store& store, int32_t index);

} // namespace kavelo

namespace kavelo {

// Reads a whole .syx file and imports it; a file that cannot be read is refused.
tx81z_import_result tx81z_import_file(const file_system& fs, const std::string& path,
                                      tx81z_store& store);

} // namespace kavelo
