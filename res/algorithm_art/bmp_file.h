// Windows BMP encoding of a canvas (bottom-up rows, BITMAPINFOHEADER, BI_RGB, 16-bit 5-5-5 or
// 24-bit, rows padded to 4 bytes) and a reader of the header fields for the self-check.
#pragma once

#include "canvas.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace bmp_file {

inline constexpr uint32_t file_header_size = 14;
inline constexpr uint32_t info_header_size = 40;
inline constexpr uint32_t pixels_per_metre = 2835; // 72 dots per inch

inline uint32_t row_stride(int width, int bits) {
    return (static_cast<uint32_t>(width) * static_cast<uint32_t>(bits) + 31) / 32 * 4;
}

inline void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// 5-bit channel to 8 bits the way a display widens it, so 0 stays 0 and 31 becomes 255.
inline uint8_t widen(uint8_t c5) {
    return static_cast<uint8_t>(c5 << 3 | c5 >> 2);
}

// bits is 16 (x RRRRR GGGGG BBBBB, little-endian) or 24 (blue, green, red bytes).
inline std::vector<uint8_t> encode(const canvas& pic, int bits) {
    const uint32_t stride = row_stride(pic.width(), bits);
    const uint32_t image_size = stride * static_cast<uint32_t>(pic.height());
    const uint32_t offset = file_header_size + info_header_size;
    std::vector<uint8_t> out;
    out.reserve(offset + image_size);

    out.push_back('B');
    out.push_back('M');
    put32(out, offset + image_size);
    put32(out, 0); // two reserved words
    put32(out, offset);

    put32(out, info_header_size);
    put32(out, static_cast<uint32_t>(pic.width()));
    put32(out, static_cast<uint32_t>(pic.height())); // positive height: bottom row first
    put16(out, 1);                                   // planes
    put16(out, static_cast<uint32_t>(bits));
    put32(out, 0); // BI_RGB
    put32(out, image_size);
    put32(out, pixels_per_metre);
    put32(out, pixels_per_metre);
    put32(out, 0); // colours used
    put32(out, 0); // colours important

    for (int y = pic.height() - 1; y >= 0; --y) {
        const std::size_t row_start = out.size();
        for (int x = 0; x < pic.width(); ++x) {
            const rgb5 c = pic.at(x, y);
            if (bits == 16) {
                put16(out,
                      static_cast<uint32_t>(c.r) << 10 | static_cast<uint32_t>(c.g) << 5 | c.b);
            } else {
                out.push_back(widen(c.b));
                out.push_back(widen(c.g));
                out.push_back(widen(c.r));
            }
        }
        out.resize(row_start + stride, 0);
    }
    return out;
}

struct header {
    uint32_t file_size, reserved, pixel_offset;
    uint32_t info_size;
    int32_t width, height;
    uint16_t planes, bits;
    uint32_t compression, image_size;
};

inline uint32_t get(std::span<const uint8_t> b, std::size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | b[at + static_cast<std::size_t>(i)];
    return v;
}

// Empty when the bytes are too short or do not start with "BM".
inline std::optional<header> read_header(std::span<const uint8_t> b) {
    if (b.size() < file_header_size + info_header_size || b[0] != 'B' || b[1] != 'M')
        return std::nullopt;
    header h{};
    h.file_size = get(b, 2, 4);
    h.reserved = get(b, 6, 4);
    h.pixel_offset = get(b, 10, 4);
    h.info_size = get(b, 14, 4);
    h.width = static_cast<int32_t>(get(b, 18, 4));
    h.height = static_cast<int32_t>(get(b, 22, 4));
    h.planes = static_cast<uint16_t>(get(b, 26, 2));
    h.bits = static_cast<uint16_t>(get(b, 28, 2));
    h.compression = get(b, 30, 4);
    h.image_size = get(b, 34, 4);
    return h;
}

} // namespace bmp_file
