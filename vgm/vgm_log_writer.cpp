#include "vgm/vgm_log_writer.h"

#include <algorithm>

namespace kavelo {

namespace {

constexpr uint32_t gd3_version = 0x100;
constexpr uint32_t wait_ntsc_frame = 735;
constexpr uint32_t wait_pal_frame = 882;
constexpr uint32_t short_wait_most = 16; // 0x7n waits n + 1

void put_le(std::vector<uint8_t>& out, std::size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out[at + static_cast<std::size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    }
}

void put_utf16(std::vector<uint8_t>& out, const std::string& text) {
    for (const char c : text) {
        const auto ascii = static_cast<uint8_t>(c);
        out.push_back(ascii < 0x80 ? ascii : static_cast<uint8_t>('?'));
        out.push_back(0);
    }
    out.push_back(0);
    out.push_back(0);
}

std::vector<uint8_t> gd3_tag(const vgm_tags& tags) {
    const std::string none;
    std::vector<uint8_t> strings;
    // The Japanese forms, the author and the date are left empty.
    for (const std::string* text : {&tags.track, &none, &tags.game, &none, &tags.system, &none,
                                    &none, &none, &none, &tags.made_by, &tags.notes}) {
        put_utf16(strings, *text);
    }
    std::vector<uint8_t> tag = {'G', 'd', '3', ' ', 0, 0, 0, 0, 0, 0, 0, 0};
    put_le(tag, 4, gd3_version, 4);
    put_le(tag, 8, static_cast<uint32_t>(strings.size()), 4);
    tag.insert(tag.end(), strings.begin(), strings.end());
    return tag;
}

} // namespace

void vgm_log_writer::command(std::initializer_list<uint8_t> bytes) {
    flush_wait();
    commands_.insert(commands_.end(), bytes);
}

void vgm_log_writer::put32(uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        commands_.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

void vgm_log_writer::flush_wait() {
    while (written_ < target_) {
        const auto n =
            static_cast<uint32_t>(std::min<uint64_t>(target_ - written_, vgm_longest_wait));
        if (n == wait_ntsc_frame) {
            commands_.push_back(0x62);
        } else if (n == wait_pal_frame) {
            commands_.push_back(0x63);
        } else if (n <= short_wait_most) {
            commands_.push_back(static_cast<uint8_t>(0x70 + n - 1));
        } else {
            commands_.insert(commands_.end(),
                             {0x61, static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8)});
        }
        written_ += n;
    }
}

void vgm_log_writer::ym2612(int32_t part, uint8_t reg, uint8_t value) {
    command({static_cast<uint8_t>(part == 0 ? 0x52 : 0x53), reg, value});
}

void vgm_log_writer::psg(uint8_t value) {
    command({0x50, value});
}

void vgm_log_writer::wait_until(uint64_t sample) {
    target_ = std::max(target_, sample);
}

void vgm_log_writer::data_block(uint8_t type, std::span<const uint8_t> data) {
    command({0x67, 0x66, type});
    put32(static_cast<uint32_t>(data.size()));
    commands_.insert(commands_.end(), data.begin(), data.end());
}

void vgm_log_writer::stream_setup(uint8_t stream, uint8_t chip, uint8_t port, uint8_t reg) {
    command({0x90, stream, chip, port, reg});
}

void vgm_log_writer::stream_data(uint8_t stream, uint8_t bank, uint8_t step, uint8_t step_base) {
    command({0x91, stream, bank, step, step_base});
}

void vgm_log_writer::stream_frequency(uint8_t stream, uint32_t hertz) {
    command({0x92, stream});
    put32(hertz);
}

void vgm_log_writer::stream_start(uint8_t stream, uint32_t offset, uint32_t length) {
    command({0x93, stream});
    put32(offset);
    commands_.push_back(0x01); // the length counts commands
    put32(length);
}

void vgm_log_writer::stream_stop(uint8_t stream) {
    command({0x94, stream});
}

std::vector<uint8_t> vgm_log_writer::finish(uint32_t fm_clock, const vgm_tags& tags) {
    command({0x66});
    const std::vector<uint8_t> tag = gd3_tag(tags);
    // The header, the commands, then the tag.
    std::vector<uint8_t> file(vgm_log_header_size + commands_.size() + tag.size(), 0);
    const auto commands_at = file.begin() + vgm_log_header_size;
    std::copy(commands_.begin(), commands_.end(), commands_at);
    std::copy(tag.begin(), tag.end(), commands_at + static_cast<std::ptrdiff_t>(commands_.size()));
    std::copy_n("Vgm ", 4, file.begin());
    put_le(file, 0x08, vgm_log_version, 4);
    put_le(file, 0x0C, console_psg_clock, 4);
    put_le(file, 0x18, static_cast<uint32_t>(written_), 4);
    put_le(file, 0x24, vgm_ntsc_rate, 4);
    put_le(file, 0x28, console_psg_feedback, 2);
    file[0x2A] = console_psg_shift_width;
    file[0x2B] = console_psg_flags;
    put_le(file, 0x2C, fm_clock, 4);
    put_le(file, 0x34, static_cast<uint32_t>(vgm_log_header_size - 0x34), 4);
    put_le(file, 0x14, static_cast<uint32_t>(vgm_log_header_size + commands_.size() - 0x14), 4);
    put_le(file, 0x04, static_cast<uint32_t>(file.size() - 0x04), 4);
    return file;
}

} // namespace kavelo
