#pragma once
// The program's own voice bank file (*.ymx): "YM2612", a zero byte, the entry count,
// then 35-byte entries. An entry is a Voice record with every group of four bytes
// reversed (ascending operator order), followed by a 10-byte name.

#include "rom/file_system.h"
#include "rom/results.h"
#include "rom/voice_record.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kavelo {

inline constexpr int32_t bank_max_entries = 128;
inline constexpr std::size_t bank_header_size = 8;
inline constexpr std::size_t bank_entry_size = 35;
inline constexpr std::size_t bank_name_length = 10;

using bank_entry_bytes = std::array<uint8_t, bank_entry_size>;

struct bank_voice {
    voice_record voice; // working order
    std::string name;   // at most 10 characters
};

// Refused (result_refused) or, from bank_import, unreadable (result_cannot_read).
struct bank_read_result : op_result {
    std::vector<bank_voice> entries; // the entries the file holds in full, at most 128
    // Set when the count byte claims more entries than were read.
    std::string notice;
};

// Reads a bank from its bytes. Only whole entries are taken.
bank_read_result bank_read(std::span<const uint8_t> file);

// Writes a bank: 8 + 35 * N bytes. Names are cut to 10 characters, and the name field of
// a shorter name is filled up with zero bytes. Refuses more than 128 entries.
op_result bank_write(std::span<const bank_voice> entries, std::vector<uint8_t>& out);

// Entry bytes 0-24 <-> Voice record; the same exchange of positions both ways.
voice_record bank_entry_to_record(std::span<const uint8_t, bank_entry_size> entry);
bank_entry_bytes record_to_bank_entry(const voice_record& record, const std::string& name);

// File wrappers: bank_import reads a whole file, bank_export rewrites one atomically
// (result_write_failed when that fails; the file is left as it was).
bank_read_result bank_import(const file_system& fs, const std::string& path);
op_result bank_export(const file_system& fs, const std::string& path,
                      std::span<const bank_voice> entries);

} // namespace kavelo
