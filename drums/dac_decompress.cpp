#include "drums/dac_compression.h"

#include "drums/drum_hex.h"

namespace kavelo {

namespace {

// Reads the stream with every read bounded; the first failure stops it with a problem.
class stream_reader {
  public:
    stream_reader(std::span<const uint8_t> data, std::size_t offset) : data_(data), pos_(offset) {}

    bool failed() const { return !problem_.empty(); }
    const std::string& problem() const { return problem_; }
    std::size_t position() const { return pos_; }

    void fail(std::string problem) {
        if (problem_.empty()) {
            problem_ = std::move(problem);
        }
    }

    uint8_t byte() {
        if (pos_ >= data_.size()) {
            fail("The compressed DAC program runs past the end of the data at " + drum_hex(pos_) +
                 ".");
            return 0;
        }
        return data_[pos_++];
    }

    // Bits from bit 0 up; the 16th bit taken fetches the next descriptor at once.
    uint8_t bit() {
        const uint8_t bit = descriptor_ & 1;
        descriptor_ >>= 1;
        if (--bits_left_ == 0) {
            load_descriptor();
        }
        return bit;
    }

    void load_descriptor() {
        const uint8_t low = byte();
        const uint8_t high = byte();
        descriptor_ = static_cast<uint16_t>(high << 8 | low);
        bits_left_ = 16;
    }

  private:
    std::span<const uint8_t> data_;
    std::size_t pos_;
    uint16_t descriptor_ = 0;
    uint32_t bits_left_ = 0;
    std::string problem_;
};

// Appends `count` bytes from `back` bytes behind the end of the output.
bool copy_back(std::vector<uint8_t>& out, std::size_t back, std::size_t count, stream_reader& in) {
    if (back > out.size()) {
        in.fail("The compressed DAC program refers to " + std::to_string(back - out.size()) +
                " bytes before the start of its output at output position " + drum_hex(out.size()) +
                ".");
        return false;
    }
    if (out.size() + count > z80_ram_size) {
        in.fail("The DAC program unpacks to more than the Z80's " + std::to_string(z80_ram_size) +
                " bytes of RAM.");
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(out[out.size() - back]);
    }
    return true;
}

} // namespace

dac_unpack_result decompress_dac_program(std::span<const uint8_t> data, std::size_t offset) {
    dac_unpack_result result;
    std::vector<uint8_t>& out = result.program;
    stream_reader in(data, offset);
    if (offset >= data.size()) {
        in.fail("The compressed DAC program at " + drum_hex(offset) +
                " starts past the end of the " + std::to_string(data.size()) + " bytes of data.");
    } else {
        in.load_descriptor();
    }
    while (!in.failed()) {
        if (in.bit() == 1) {
            const uint8_t literal = in.byte();
            if (in.failed()) {
                break;
            }
            if (out.size() >= z80_ram_size) {
                in.fail("The DAC program unpacks to more than the Z80's " +
                        std::to_string(z80_ram_size) + " bytes of RAM.");
                break;
            }
            out.push_back(literal);
        } else if (in.bit() == 1) {
            const uint8_t low = in.byte();
            const uint8_t high = in.byte();
            const std::size_t distance = static_cast<std::size_t>((high & 0xF8) << 5 | low);
            const std::size_t back = 0x2000 - distance;
            std::size_t count = high & 7;
            if (count != 0) {
                count += 2;
            } else {
                const uint8_t c = in.byte();
                if (in.failed()) {
                    break;
                }
                if (c == 0) {
                    result.end = in.position();
                    return result;
                }
                count = c == 1 ? 0 : std::size_t{c} + 1;
            }
            if (count != 0 && !in.failed()) {
                copy_back(out, back, count, in);
            }
        } else {
            const uint8_t b1 = in.bit();
            const uint8_t b0 = in.bit();
            const uint8_t d = in.byte();
            if (!in.failed()) {
                copy_back(out, 0x100 - std::size_t{d}, std::size_t(b1 * 2 + b0) + 2, in);
            }
        }
    }
    return only_outcome<dac_unpack_result>(refused(in.problem()));
}

} // namespace kavelo
