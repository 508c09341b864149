#pragma once
// The parts of a VGM log that every reader of one shares: the header (data offset, YM2612
// clock), the length of each command so that a reader can skip what it does not use, and
// the gzip wrapper of .vgz files. Everything works from bytes already in memory.

#include "rom/file_system.h"
#include "rom/results.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kavelo {

inline constexpr std::size_t vgm_header_size = 0x40;
inline constexpr int32_t vgm_rate = 44100; // waits count samples at this rate
inline constexpr int32_t vgm_default_clock = 7670453;
inline constexpr std::size_t vgm_max_unpacked_size = std::size_t{256} << 20;

// A refusal of a log's bytes (result_refused) names the command at fault by its offset.
struct vgm_result : op_result {
    std::size_t offset = 0; // file offset of the command at fault
};

vgm_result vgm_refused(std::size_t offset, std::string problem);

uint32_t vgm_read_le32(std::span<const uint8_t> bytes, std::size_t at);

// "0x2A": how commands and offsets are named in messages.
std::string vgm_hex(uint32_t value);

// Where the command data begins: 0x34 + the relative offset there from version 1.50 on
// (0 there means 0x40), else 0x40; the end of the file for a log without commands. Refused
// when the bytes are no VGM file or the offset lies past their end.
vgm_result vgm_data_start(std::span<const uint8_t> file, std::size_t& start);

// The YM2612 clock the header gives (for files before version 1.10 the shared clock
// field at 0x10), or vgm_default_clock when it gives none.
int32_t vgm_ym2612_clock(std::span<const uint8_t> header);

// Length in bytes of the command at `pos` with its operands (a data block 0x67 with its
// data), when it lies whole inside the file. 0, with `error` refused, for an unknown
// command, a data block without its 0x66 marker, or a command cut off by the end.
std::size_t vgm_command_length(std::span<const uint8_t> file, std::size_t pos, vgm_result& error);

// Gzip (.vgz) files start with these two bytes; a plain log starts with "Vgm ".
bool vgm_is_gzip(std::span<const uint8_t> bytes);

// Inflates a gzip stream; refused, with `out` empty, for damaged data or output beyond
// vgm_max_unpacked_size.
op_result vgm_gunzip(std::span<const uint8_t> packed, std::vector<uint8_t>& out);

// Reads a .vgm or .vgz file whole and unpacks it when it is gzip-compressed: result_cannot_read
// for a file that does not open, refused for one too large or not unpacking.
op_result vgm_read_file(const file_system& fs, const std::string& path,
                        std::vector<uint8_t>& bytes);

} // namespace kavelo
