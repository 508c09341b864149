#include "track/driver_write.h"

#include <charconv>

namespace kavelo {

namespace {

void append_hex(std::string& text, uint8_t value) {
    constexpr char digits[] = "0123456789abcdef";
    text += ' ';
    text += digits[value >> 4];
    text += digits[value & 15];
}

} // namespace

bool append_driver_write(std::string& text, int64_t frame, const driver_write& write) {
    const char* name = nullptr;
    switch (write.target) {
    case write_target::ym0:
        name = " ym0";
        break;
    case write_target::ym1:
        name = " ym1";
        break;
    case write_target::psg:
        name = " psg";
        break;
    case write_target::drum:
        name = " drum";
        break;
    case write_target::timpani_pitch:
    case write_target::voice_load:
        return false;
    }
    char number[24];
    const auto end = std::to_chars(number, number + sizeof number, frame).ptr;
    text.append(number, end);
    text += name;
    if (write.target == write_target::ym0 || write.target == write_target::ym1) {
        append_hex(text, write.reg);
    }
    append_hex(text, write.value);
    text += '\n';
    return true;
}

} // namespace kavelo
