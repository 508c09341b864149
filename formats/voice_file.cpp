#include "formats/voice_file.h"

#include <algorithm>

namespace kavelo {

voice_file_read refuse_voice_file(std::string problem) {
    return only_outcome<voice_file_read>(refused(std::move(problem)));
}

bool byte_cursor::seek(std::size_t position) {
    if (position > bytes_.size()) {
        return false;
    }
    position_ = position;
    return true;
}

bool byte_cursor::take(std::size_t count, std::span<const uint8_t>& out) {
    if (count > left()) {
        return false;
    }
    out = bytes_.subspan(position_, count);
    position_ += count;
    return true;
}

bool byte_cursor::u8(uint8_t& value) {
    if (left() < 1) {
        return false;
    }
    value = bytes_[position_++];
    return true;
}

bool byte_cursor::u16le(uint16_t& value) {
    std::span<const uint8_t> b;
    if (!take(2, b)) {
        return false;
    }
    value = static_cast<uint16_t>(b[0] | b[1] << 8);
    return true;
}

bool byte_cursor::u16be(uint16_t& value) {
    std::span<const uint8_t> b;
    if (!take(2, b)) {
        return false;
    }
    value = static_cast<uint16_t>(b[0] << 8 | b[1]);
    return true;
}

bool byte_cursor::u32le(uint32_t& value) {
    std::span<const uint8_t> b;
    if (!take(4, b)) {
        return false;
    }
    value = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
            static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
    return true;
}

bool byte_cursor::string_z(std::string& value) {
    const auto rest = bytes_.subspan(position_);
    const auto end = std::find(rest.begin(), rest.end(), uint8_t{0});
    if (end == rest.end()) {
        return false;
    }
    value.assign(rest.begin(), end);
    position_ += value.size() + 1;
    return true;
}

std::string fixed_name(std::span<const uint8_t> field) {
    const auto end = std::find(field.begin(), field.end(), uint8_t{0});
    return std::string(field.begin(), end);
}

void put_fixed_name(std::vector<uint8_t>& out, const std::string& name, std::size_t width) {
    const std::size_t length = std::min(name.size(), width);
    out.insert(out.end(), name.begin(), name.begin() + static_cast<std::ptrdiff_t>(length));
    out.insert(out.end(), width - length, 0);
}

void put_u16le(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void put_u16be(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value & 0xFF));
}

void put_u32le(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>(value >> shift & 0xFF));
    }
}

namespace {

std::string file_length(std::size_t have) {
    return have == 0
               ? "The file is empty"
               : "The file is " + std::to_string(have) + (have == 1 ? " byte" : " bytes") + " long";
}

} // namespace

std::string size_problem(std::size_t have, std::size_t want, const std::string& what) {
    return file_length(have) + ", but " + what + " is " + std::to_string(want) + " bytes.";
}

std::string min_size_problem(std::size_t have, std::size_t need, const std::string& what) {
    return file_length(have) + ", but " + what + " takes at least " + std::to_string(need) +
           " bytes.";
}

std::string ends_inside_problem(std::size_t have, const std::string& what) {
    return file_length(have) + " and ends inside " + what + ".";
}

} // namespace kavelo
