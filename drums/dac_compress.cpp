#include "drums/dac_compression.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

namespace kavelo {

namespace {

constexpr std::size_t long_reach = 0x2000;
constexpr std::size_t short_reach = 0x100;
constexpr std::size_t short_max = 5;          // b1 b0 + 2
constexpr std::size_t long_min = 3;           // n + 2 with n = 1
constexpr std::size_t long_max = 9;           // n + 2 with n = 7
constexpr std::size_t counted_max = 256;      // c + 1 with c = 255
constexpr std::size_t chain_steps = 512;      // candidates looked at per position
constexpr std::size_t no_position = SIZE_MAX; // end of a hash chain

// Descriptors are reserved in the output where the reader will fetch them: at the start
// and right after the bit that fills the last one.
class stream_writer {
  public:
    stream_writer() { reserve_descriptor(); }

    void bit(bool value) {
        if (value) {
            out_[slot_ + bits_ / 8] |= static_cast<uint8_t>(1u << (bits_ % 8));
        }
        if (++bits_ == 16) {
            reserve_descriptor();
        }
    }
    void byte(uint8_t value) { out_.push_back(value); }
    std::vector<uint8_t> take() { return std::move(out_); }

  private:
    void reserve_descriptor() {
        slot_ = out_.size();
        out_.push_back(0);
        out_.push_back(0);
        bits_ = 0;
    }

    std::vector<uint8_t> out_;
    std::size_t slot_ = 0;
    uint32_t bits_ = 0;
};

struct match {
    std::size_t length = 0;
    std::size_t back = 0;
};

void write_long(stream_writer& out, const match& m) {
    const std::size_t distance = (long_reach - m.back) & (long_reach - 1);
    const bool counted = m.length > long_max;
    out.bit(false);
    out.bit(true);
    out.byte(static_cast<uint8_t>(distance & 0xFF));
    out.byte(static_cast<uint8_t>((distance >> 8) << 3 | (counted ? 0 : m.length - 2)));
    if (counted) {
        out.byte(static_cast<uint8_t>(m.length - 1));
    }
}

void write_short(stream_writer& out, const match& m) {
    const std::size_t code = m.length - 2;
    out.bit(false);
    out.bit(false);
    out.bit((code & 2) != 0);
    out.bit((code & 1) != 0);
    out.byte(static_cast<uint8_t>(short_reach - m.back));
}

// Positions by their first two bytes, newest first.
class match_finder {
  public:
    explicit match_finder(std::span<const uint8_t> data)
        : data_(data), previous_(data.size(), no_position) {
        head_.fill(no_position);
    }

    void insert(std::size_t pos) {
        if (pos + 1 < data_.size()) {
            const std::size_t key = key_at(pos);
            previous_[pos] = head_[key];
            head_[key] = pos;
        }
    }

    // The longest match overall and the longest within a short reference's reach; the
    // nearest of equal length, since chains run newest first. Matches may overlap `pos`.
    void find(std::size_t pos, match& longest, match& near) const {
        longest = {};
        near = {};
        if (pos + 1 >= data_.size()) {
            return;
        }
        const std::size_t limit = std::min(counted_max, data_.size() - pos);
        std::size_t candidate = head_[key_at(pos)];
        for (std::size_t step = 0; candidate != no_position && step < chain_steps; ++step) {
            const std::size_t back = pos - candidate;
            if (back > long_reach) {
                break;
            }
            std::size_t length = 0;
            while (length < limit && data_[candidate + length] == data_[pos + length]) {
                ++length;
            }
            if (length > longest.length) {
                longest = {length, back};
            }
            if (back <= short_reach && length > near.length) {
                near = {length, back};
            }
            if (longest.length == limit) {
                break;
            }
            candidate = previous_[candidate];
        }
    }

  private:
    std::size_t key_at(std::size_t pos) const {
        return std::size_t{data_[pos]} << 8 | data_[pos + 1];
    }

    std::span<const uint8_t> data_;
    std::array<std::size_t, 0x10000> head_;
    std::vector<std::size_t> previous_;
};

} // namespace

std::vector<uint8_t> compress_dac_program(std::span<const uint8_t> program) {
    stream_writer out;
    const auto finder = std::make_unique<match_finder>(program);
    std::size_t pos = 0;
    while (pos < program.size()) {
        match longest;
        match near;
        finder->find(pos, longest, near);
        // The cheapest token per byte, by bits: literal 9, short 12 (2-5 bytes), long 18
        // (3-9 bytes), counted long 26 (up to 256 bytes).
        std::size_t taken = 1;
        if (longest.length > short_max ||
            (longest.length >= long_min && near.length < longest.length)) {
            write_long(out, longest);
            taken = longest.length;
        } else if (near.length >= 2) {
            near.length = std::min(near.length, short_max);
            write_short(out, near);
            taken = near.length;
        } else {
            out.bit(true);
            out.byte(program[pos]);
        }
        for (std::size_t i = 0; i < taken; ++i) {
            finder->insert(pos + i);
        }
        pos += taken;
    }
    // The end marker: a long reference with count 0 and c = 0.
    out.bit(false);
    out.bit(true);
    out.byte(0);
    out.byte(0);
    out.byte(0);
    return out.take();
}

} // namespace kavelo
