#pragma once
// What every instrument and bank file reader gives and every writer takes: named Voice
// records in working order. Readers parse from a byte span and never read past it;
// writers fill a byte vector in the current version of their format.

#include "rom/results.h"
#include "rom/voice_record.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kavelo {

// Where a bank that numbers its voices like MIDI programs (WOPN) keeps one: its set, the
// program in that set, and the set's name and MIDI bank number. A bank written back in that
// format puts each voice where it was, so a player finds it at the same program.
struct bank_slot {
    bool percussion = false; // a percussion set, whose programs are the drums' keys
    uint16_t set = 0;        // among the file's melodic or among its percussion sets
    uint8_t program = 0;     // 0-127
    std::string set_name;
    uint8_t bank_msb = 0;
    uint8_t bank_lsb = 0;

    bool operator==(const bank_slot&) const = default;
};

struct named_voice {
    voice_record voice{};
    std::string name;                // the file's own name for the voice; empty when it has none
    std::optional<bank_slot> slot{}; // from a bank that numbers its voices; none elsewhere

    bool operator==(const named_voice&) const = default;
};

// Refused (result_refused) or, from a file wrapper, unreadable (result_cannot_read).
struct voice_file_read : op_result {
    std::vector<named_voice> voices;
    // Fields a Voice record cannot hold that were not zero somewhere in the file.
    std::vector<std::string> dropped;
    // Fields that held a value past their range somewhere in the file, read by their low
    // bits as the chip would.
    std::vector<std::string> out_of_range;
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

// "The file is 52 bytes long, but a TFI instrument is 42 bytes."
std::string size_problem(std::size_t have, std::size_t want, const std::string& what);
// "The file is 5 bytes long, but a voice bank takes at least 8 bytes."
std::string min_size_problem(std::size_t have, std::size_t need, const std::string& what);
// "The file is 40 bytes long and ends inside GYB instrument 2."
std::string ends_inside_problem(std::size_t have, const std::string& what);

} // namespace kavelo
