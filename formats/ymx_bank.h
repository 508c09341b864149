#pragma once
// The program's own voice bank file (*.ymx): "YM2612", a zero byte, the entry count,
// then 35-byte entries. An entry is a Voice record with every group of four bytes
// reversed (ascending operator order), followed by a 10-byte name.

#include "rom/file_system.h"
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

struct bank_read_result {
    bool ok = false;
    std::string problem;             // why a file was refused
    std::vector<bank_voice> entries; // the entries the file holds in full, at most 128
    // Set when the count byte claims more entries than were read.
    std::string notice;
};

// Reads a bank from its bytes. Only whole entries are taken.
bank_read_result bank_read(std::span<const uint8_t> file);

// Writes a bank: 8 + 35 * N bytes. Names are cut to 10 characters, and the name field of
// a shorter name is filled up with zero bytes. Refuses more than 128 entries.
bool bank_write(std::span<const bank_voice> entries, std::vector<uint8_t>& out,
                std::string& problem);

// Entry bytes 0-24 <-> Voice record; the same exchange of positions both ways.
voice_record bank_entry_to_record(std::span<const uint8_t, bank_entry_size> entry);
bank_entry_bytes record_to_bank_entry(const voice_record& record, const std::string& name);

// File wrappers: bank_import reads a whole file, bank_export rewrites one atomically.
bank_read_result bank_import(const file_system& fs, const std::string& path);
bool bank_export(const file_system& fs, const std::string& path,
                 std::span<const bank_voice> entries, std::string& problem);

} // namespace kavelo
