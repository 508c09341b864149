#include "vgm/vgm_file.h"

#include "rom/file_image.h"

#include <cstdio>
#include <zlib.h>

namespace kavelo {

namespace {

// Length of a command whose operands have a fixed size, or 0 when the command is unknown.
// 0x52/0x53 (the first YM2612), waits, 0x8n, 0x67 and 0xE0 are here too so that a reader
// that skips everything gets every length from one place.
std::size_t fixed_length(uint8_t command) {
    switch (command) {
    case 0x61:
        return 3;
    case 0x62:
    case 0x63:
    case 0x66:
        return 1;
    case 0x67:
        return 7; // plus the block's data
    case 0x68:    // PCM RAM write
        return 12;
    case 0x90:
    case 0x91:
    case 0x95:
        return 5;
    case 0x92:
        return 6;
    case 0x93:
        return 11;
    case 0x94:
        return 2;
    case 0xE0:
        return 5;
    default:
        break;
    }
    if ((command & 0xF0) == 0x70 || (command & 0xF0) == 0x80) {
        return 1;
    }
    if (command >= 0x30 && command <= 0x3F) {
        return 2;
    }
    if (command >= 0x40 && command <= 0x4E) {
        return 3;
    }
    if (command == 0x4F || command == 0x50) {
        return 2;
    }
    if (command >= 0x51 && command <= 0x5F) {
        return 3;
    }
    if (command >= 0xA0 && command <= 0xBF) {
        return 3;
    }
    if (command >= 0xC0 && command <= 0xDF) {
        return 4;
    }
    if (command >= 0xE1) {
        return 5;
    }
    return 0;
}

} // namespace

vgm_result vgm_refused(std::size_t offset, std::string problem) {
    vgm_result result = only_outcome<vgm_result>(refused(std::move(problem)));
    result.offset = offset;
    return result;
}

uint32_t vgm_read_le32(std::span<const uint8_t> bytes, std::size_t at) {
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
}

std::string vgm_hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(value));
    return text;
}

vgm_result vgm_data_start(std::span<const uint8_t> file, std::size_t& start) {
    if (file.size() < vgm_header_size || file[0] != 'V' || file[1] != 'g' || file[2] != 'm' ||
        file[3] != ' ') {
        return vgm_refused(0, "not a VGM file (no \"Vgm \" header of 64 bytes)");
    }
    const uint32_t version = vgm_read_le32(file, 0x08);
    start = vgm_header_size;
    if (version >= 0x150 && vgm_read_le32(file, 0x34) != 0) {
        start = 0x34 + std::size_t{vgm_read_le32(file, 0x34)};
    }
    if (start > file.size()) {
        return vgm_refused(0x34, "the data offset " + vgm_hex(static_cast<uint32_t>(start)) +
                                     " lies past the end of the file");
    }
    return {};
}

int32_t vgm_ym2612_clock(std::span<const uint8_t> header) {
    if (header.size() < vgm_header_size) {
        return vgm_default_clock;
    }
    const uint32_t version = vgm_read_le32(header, 0x08);
    const uint32_t clock = vgm_read_le32(header, version >= 0x110 ? 0x2C : 0x10) & 0x3FFFFFFF;
    return clock != 0 ? static_cast<int32_t>(clock) : vgm_default_clock;
}

std::size_t vgm_command_length(std::span<const uint8_t> file, std::size_t pos, vgm_result& error) {
    const uint8_t command = file[pos];
    std::size_t length = fixed_length(command);
    if (length == 0) {
        error = vgm_refused(pos, "unknown command " + vgm_hex(command));
        return 0;
    }
    const std::size_t left = file.size() - pos;
    if (left < length) {
        error = vgm_refused(pos, "the data ends inside command " + vgm_hex(command));
        return 0;
    }
    if (command == 0x67) {
        if (file[pos + 1] != 0x66) {
            error = vgm_refused(pos, "data block 0x67 without its 0x66 marker");
            return 0;
        }
        // Bit 31 of the size marks a block of the second chip.
        const uint32_t size = vgm_read_le32(file, pos + 3) & 0x7FFFFFFF;
        if (left - length < size) {
            error = vgm_refused(pos, "the data ends inside command 0x67 (a data block of " +
                                         std::to_string(size) + " bytes)");
            return 0;
        }
        length += size;
    }
    return length;
}

bool vgm_is_gzip(std::span<const uint8_t> bytes) {
    return bytes.size() >= 2 && bytes[0] == 0x1F && bytes[1] == 0x8B;
}

op_result vgm_gunzip(std::span<const uint8_t> packed, std::vector<uint8_t>& out) {
    out.clear();
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) {
        return refused("cannot start the gzip decoder");
    }
    stream.next_in = const_cast<Bytef*>(packed.data());
    stream.avail_in = static_cast<uInt>(packed.size());
    std::vector<uint8_t> chunk(1 << 16);
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = chunk.data();
        stream.avail_out = static_cast<uInt>(chunk.size());
        status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END) {
            break;
        }
        out.insert(out.end(), chunk.begin(), chunk.end() - stream.avail_out);
        if (out.size() > vgm_max_unpacked_size) {
            status = Z_MEM_ERROR;
            break;
        }
        if (status == Z_OK && stream.avail_in == 0 && stream.avail_out != 0) {
            status = Z_BUF_ERROR; // input used up before the end of the stream
        }
    }
    inflateEnd(&stream);
    if (status == Z_STREAM_END) {
        return {};
    }
    out.clear();
    return refused(status == Z_MEM_ERROR ? "the unpacked data is larger than 256 MiB"
                                         : "the gzip data is damaged or cut short");
}

op_result vgm_read_file(const file_system& fs, const std::string& path,
                        std::vector<uint8_t>& bytes) {
    const read_status status = fs.read_file(path, vgm_max_unpacked_size, bytes);
    if (status == read_status::too_large) {
        return refused("the file is larger than 256 MiB");
    }
    if (status != read_status::ok) {
        return read_failure(status, path);
    }
    if (vgm_is_gzip(bytes)) {
        std::vector<uint8_t> unpacked;
        if (op_result unpacking = vgm_gunzip(bytes, unpacked); !unpacking.done()) {
            return unpacking;
        }
        bytes = std::move(unpacked);
    }
    return {};
}

} // namespace kavelo
