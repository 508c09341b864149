#include "fm/vgm_player.h"

#include "fm/fm.h"

#include <algorithm>
#include <cstdio>

namespace kavelo {

namespace {

constexpr std::size_t vgm_header_size = 0x40;

uint32_t read_le32(std::span<const uint8_t> bytes, std::size_t at) {
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
}

std::string hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(value));
    return text;
}

// Length in bytes of a command that is skipped, or 0 when the command is unknown.
std::size_t skipped_length(uint8_t command) {
    switch (command) {
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
    case 0x68: // PCM RAM write
        return 12;
    default:
        break;
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
    if (command == 0x51 || (command >= 0x54 && command <= 0x5F)) {
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

struct vgm_player {
    std::span<const uint8_t> file;
    int64_t max_frames;
    std::vector<int8_t>& samples;
    vgm_error& error;
    fm_core core;
    std::vector<uint8_t> bank;
    std::size_t bank_pos = 0;
    std::vector<int8_t> left, right;

    bool fail(std::size_t at, std::string problem) {
        error = {at, std::move(problem)};
        return false;
    }

    bool finished() const {
        return max_frames >= 0 && static_cast<int64_t>(samples.size() / 2) >= max_frames;
    }

    // One wait: its frames in one fm_update call, cut at the frame limit.
    bool wait(std::size_t at, int64_t frames) {
        const auto done = static_cast<int64_t>(samples.size() / 2);
        if (max_frames >= 0) {
            frames = std::min(frames, max_frames - done);
        }
        if (frames <= 0) {
            return true;
        }
        if (done + frames > vgm_max_frames) {
            return fail(at, "the output would pass " + std::to_string(vgm_max_frames) +
                                " frames; give --seconds");
        }
        const auto n = static_cast<std::size_t>(frames);
        left.resize(n);
        right.resize(n);
        fm_update(core, 0, left, right, static_cast<int32_t>(n));
        for (std::size_t i = 0; i < n; ++i) {
            samples.push_back(left[i]);
            samples.push_back(right[i]);
        }
        return true;
    }

    void write(int32_t port, uint8_t reg, uint8_t value) {
        fm_write(core, 0, port, reg);
        fm_write(core, 0, port + 1, value);
    }

    bool run(std::size_t pos) {
        while (!finished()) {
            if (pos >= file.size()) {
                return fail(pos, "the data ends without the end command 0x66");
            }
            const uint8_t command = file[pos];
            auto need = [&](std::size_t length) { return file.size() - pos >= length; };
            std::size_t length = 1;
            if (command == 0x66) {
                return true;
            } else if (command == 0x52 || command == 0x53) {
                length = 3;
                if (!need(length)) {
                    break;
                }
                write(command == 0x52 ? 0 : 2, file[pos + 1], file[pos + 2]);
            } else if (command == 0x61) {
                length = 3;
                if (!need(length) || !wait(pos, file[pos + 1] | file[pos + 2] << 8)) {
                    break;
                }
            } else if (command == 0x62 || command == 0x63) {
                if (!wait(pos, command == 0x62 ? 735 : 882)) {
                    break;
                }
            } else if ((command & 0xF0) == 0x70) {
                if (!wait(pos, (command & 15) + 1)) {
                    break;
                }
            } else if ((command & 0xF0) == 0x80) {
                if (bank_pos >= bank.size()) {
                    return fail(pos, "DAC command " + hex(command) +
                                         " reads past the end of the data bank (" +
                                         std::to_string(bank.size()) + " bytes)");
                }
                write(0, 0x2A, bank[bank_pos++]);
                if (!wait(pos, command & 15)) {
                    break;
                }
            } else if (command == 0x67) {
                length = 7;
                if (!need(length)) {
                    break;
                }
                if (file[pos + 1] != 0x66) {
                    return fail(pos, "data block 0x67 without its 0x66 marker");
                }
                const uint32_t size = read_le32(file, pos + 3) & 0x7FFFFFFF;
                if (file.size() - pos - 7 < size) {
                    break;
                }
                if (file[pos + 2] == 0x00) {
                    bank.insert(bank.end(), file.begin() + static_cast<std::ptrdiff_t>(pos + 7),
                                file.begin() + static_cast<std::ptrdiff_t>(pos + 7 + size));
                }
                length += size;
            } else if (command == 0xE0) {
                length = 5;
                if (!need(length)) {
                    break;
                }
                bank_pos = read_le32(file, pos + 1);
            } else {
                length = skipped_length(command);
                if (length == 0) {
                    return fail(pos, "unknown command " + hex(command));
                }
                if (!need(length)) {
                    break;
                }
            }
            pos += length;
        }
        if (!error.problem.empty()) {
            return false;
        }
        if (finished()) {
            return true;
        }
        return fail(pos, "the data ends inside command " + hex(file[pos]));
    }
};

} // namespace

int32_t vgm_ym2612_clock(std::span<const uint8_t> header) {
    if (header.size() < vgm_header_size) {
        return vgm_default_clock;
    }
    const uint32_t version = read_le32(header, 0x08);
    const uint32_t clock = read_le32(header, version >= 0x110 ? 0x2C : 0x10) & 0x3FFFFFFF;
    return clock != 0 ? static_cast<int32_t>(clock) : vgm_default_clock;
}

bool play_vgm(std::span<const uint8_t> file, int64_t max_frames, std::vector<int8_t>& samples,
              vgm_error& error) {
    error = {};
    if (file.size() < vgm_header_size || file[0] != 'V' || file[1] != 'g' || file[2] != 'm' ||
        file[3] != ' ') {
        error = {0, "not a VGM file (no \"Vgm \" header of 64 bytes)"};
        return false;
    }
    const uint32_t version = read_le32(file, 0x08);
    std::size_t data = vgm_header_size;
    if (version >= 0x150 && read_le32(file, 0x34) != 0) {
        data = 0x34 + std::size_t{read_le32(file, 0x34)};
    }
    if (data >= file.size()) {
        error = {0x34, "the data offset " + hex(static_cast<uint32_t>(data)) +
                           " lies past the end of the file"};
        return false;
    }
    vgm_player player{file, max_frames, samples, error, {}, {}, 0, {}, {}};
    const int32_t clock = vgm_ym2612_clock(file);
    if (fm_init(player.core, 1, clock, vgm_rate, nullptr, nullptr) != fm_init_done) {
        error = {0x2C, "the YM2612 clock of " + std::to_string(clock) + " Hz is out of range"};
        return false;
    }
    return player.run(data);
}

} // namespace kavelo
