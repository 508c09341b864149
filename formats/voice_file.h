#pragma once
// What every instrument and bank file reader gives and every writer takes: named Voice
// records in working order. Readers parse from a byte span and never read past it;
// writers fill a byte vector in the current version of their format.

#include "rom/voice_record.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kavelo {

struct named_voice {
    voice_record voice{};
    std::string name; // the file's own name for the voice; empty when it has none

    bool operator==(const named_voice&) const = default;
};

struct voice_file_read {
    bool ok = false;
    std::string problem; // one sentence when the file is refused
    std::vector<named_voice> voices;
    // Fields a Voice record cannot hold that were not zero somewhere in the file.
    std::vector<std::string> dropped;
};

voice_file_read refuse_voice_file(std::string problem);

// A bounded reader over a file's bytes: every read checks what is left.
class byte_cursor {
  public:
    explicit byte_cursor(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    std::size_t position() const { return position_; }
    std::size_t left() const { return bytes_.size() - position_; }
    bool seek(std::size_t position);
    bool skip(std::size_t count) { return count <= left() && seek(position_ + count); }
    bool take(std::size_t count, std::span<const uint8_t>& out);
    bool u8(uint8_t& value);
    bool u16le(uint16_t& value);
    bool u16be(uint16_t& value);
    bool u32le(uint32_t& value);
    bool string_z(std::string& value); // up to and past a zero byte

  private:
    std::span<const uint8_t> bytes_;
    std::size_t position_ = 0;
};

// Text of a fixed name field, ended early by a zero byte.
std::string fixed_name(std::span<const uint8_t> field);
void put_fixed_name(std::vector<uint8_t>& out, const std::string& name, std::size_t width);
void put_u16le(std::vector<uint8_t>& out, uint16_t value);
void put_u16be(std::vector<uint8_t>& out, uint16_t value);
void put_u32le(std::vector<uint8_t>& out, uint32_t value);

std::string size_problem(std::size_t have, std::size_t want, const char* what);

} // namespace kavelo
