#pragma once
// The LZ77-style packing of the DAC program. The stream interleaves 16-bit little-endian
// descriptors, whose bits (from bit 0 up) say what follows, with data bytes; the next
// descriptor is read as soon as the 16th bit of the last one is taken.
//   1            literal: one byte
//   0 1 lo hi    long reference: distance = (hi & 0xF8) << 5 | lo, source = position -
//                (0x2000 - distance); hi & 7 = n > 0 copies n + 2 bytes, n = 0 reads a byte
//                c: 0 ends the data, 1 copies nothing, else c + 1 bytes are copied
//   0 0 b1 b0 d  short reference: b1 b0 + 2 bytes from position - (0x100 - d)
// Copies run byte by byte, so a source overlapping the output repeats it.

#include "rom/results.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kavelo {

// The program unpacks into the Z80's RAM.
inline constexpr std::size_t z80_ram_size = 0x2000;

struct dac_unpack_result : op_result {
    std::vector<uint8_t> program;
    std::size_t end = 0; // offset just past the end marker
};

// Unpacks the stream at `offset` of `data`. Refused, with one sentence: a stream that
// runs past the end of `data`, output beyond z80_ram_size bytes, or a reference to bytes
// before the start of the output.
dac_unpack_result decompress_dac_program(std::span<const uint8_t> data, std::size_t offset);

// Packs `program` (greedy longest matches) into a stream that unpacks to it, end marker
// included.
std::vector<uint8_t> compress_dac_program(std::span<const uint8_t> program);

} // namespace kavelo
