#pragma once
// The cartridge header checksum: a big-endian word at 0x18E holding the 16-bit sum of the
// big-endian words from 0x200 to the end of the image. The game's boot code compares them,
// so an edit that leaves the word stale is worth telling the user about.

#include "rom/results.h"
#include "rom/rom_access.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kavelo {

inline constexpr std::size_t checksum_offset = 0x18E;
// The sum starts past the cartridge header; an image shorter than that has no checksum.
inline constexpr std::size_t checksum_start = 0x200;

// Word sum from 0x200 to the end; an odd last byte counts as the high half of a word.
uint16_t cartridge_checksum(std::span<const uint8_t> image);

struct checksum_words {
    uint16_t stored = 0;
    uint16_t computed = 0;
    bool matches() const { return stored == computed; }
};

// Both words, or nothing for an image too short for a cartridge header.
std::optional<checksum_words> read_checksum(std::span<const uint8_t> image);

// "0x1A2B"
std::string checksum_hex(uint16_t value);

// After a commit into a ROM image: one Status log line when the stored word no longer
// matches, none when it does or the image has no header.
void log_checksum_mismatch(std::span<const uint8_t> image, const log_sink& log);

// Stores the computed checksum at 0x18E of a fresh copy of the file and rewrites it
// atomically, logging "  * Writing changes to ROM" and "  * Checksum Fixed successfully!".
// Results: result_done, result_cannot_read (file untouched), result_write_failed (file
// intact), result_refused (a file too short for a cartridge header: nothing written).
op_result fix_checksum(const rom_access& access);

} // namespace kavelo
