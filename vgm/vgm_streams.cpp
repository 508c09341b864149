#include "vgm/vgm_streams.h"

#include <algorithm>
#include <limits>

namespace kavelo {

namespace {

constexpr int64_t never = std::numeric_limits<int64_t>::max();
constexpr uint8_t chip_type_ym2612 = 0x02; // the header's clock slot; bit 7 is the 2nd chip

int64_t due_frame(const vgm_stream& s) {
    const auto rate = static_cast<int64_t>(vgm_rate);
    const auto f = static_cast<int64_t>(s.frequency);
    return s.anchor + (s.sent * rate + f - 1) / f;
}

} // namespace

bool vgm_streams::finish(vgm_stream& s) {
    if (!s.loop || s.length == 0) {
        s.playing = false;
        return false;
    }
    s.pos = s.start;
    s.remaining = s.length;
    if (s.pos < s.low || s.pos >= s.high) {
        s.playing = false;
        return false;
    }
    return true;
}

vgm_result vgm_streams::command(std::span<const uint8_t> file, std::size_t pos, int64_t now,
                                std::size_t bank_size) {
    const uint8_t command = file[pos];
    const uint8_t id = file[pos + 1];
    vgm_stream& s = streams_[id];
    switch (command) {
    case 0x90: // set up: chip type, port, register
        s.ours = file[pos + 2] == chip_type_ym2612 && s.bank_type == 0x00;
        s.port = (file[pos + 3] & 1) * 2;
        s.reg = file[pos + 4];
        s.playing = s.playing && s.ours;
        return {};
    case 0x91: // data: bank type, step size, step base
        s.bank_type = file[pos + 2];
        s.ours = s.ours && s.bank_type == 0x00;
        s.step = file[pos + 3];
        s.step_base = file[pos + 4];
        s.playing = s.playing && s.ours;
        return {};
    case 0x92: // frequency; a playing stream counts its writes afresh from here
        s.frequency = vgm_read_le32(file, pos + 2);
        s.anchor = now;
        s.sent = 0;
        return {};
    case 0x94: // stop; 0xFF stops every stream
        if (id == 0xFF) {
            for (vgm_stream& each : streams_) {
                each.playing = false;
            }
        }
        s.playing = false;
        return {};
    default:
        break;
    }
    if (!s.ours) {
        return {};
    }
    if (s.frequency > vgm_max_stream_frequency) {
        return vgm_refused(pos, "stream start at " + std::to_string(s.frequency) +
                                    " Hz, above the " + std::to_string(vgm_max_stream_frequency) +
                                    " Hz this player follows");
    }
    if (command == 0x93) { // start: offset (0xFFFFFFFF keeps it), length mode, length
        const uint32_t offset = vgm_read_le32(file, pos + 2);
        const uint8_t mode = file[pos + 6];
        const uint32_t length = vgm_read_le32(file, pos + 7);
        if (offset != 0xFFFFFFFF) {
            s.pos = int64_t{offset} + s.step_base;
        }
        s.start = s.pos;
        switch (mode & 0x0F) {
        case 0: // only moves the data position
            return {};
        case 1: // commands
            s.length = length;
            break;
        case 2: // milliseconds
            s.length = int64_t{length} * s.frequency / 1000;
            break;
        case 3: // until the end of the data
            s.length = -1;
            break;
        default:
            return vgm_refused(pos, "stream start with unknown length mode " + vgm_hex(mode));
        }
        s.low = 0;
        s.high = static_cast<int64_t>(bank_size);
        s.reverse = (mode & 0x10) != 0;
        s.loop = (mode & 0x80) != 0;
    } else { // 0x95 fast start: one data block, whole
        const uint32_t block = file[pos + 2] | file[pos + 3] << 8;
        const uint8_t flags = file[pos + 4];
        if (block >= blocks_.size()) {
            return vgm_refused(pos, "stream start names data block " + std::to_string(block) +
                                        ", but the log has " + std::to_string(blocks_.size()) +
                                        " YM2612 data blocks before it");
        }
        s.low = static_cast<int64_t>(blocks_[block].offset);
        s.high = s.low + static_cast<int64_t>(blocks_[block].size);
        s.reverse = (flags & 0x10) != 0;
        s.loop = (flags & 0x01) != 0;
        s.pos = s.reverse ? s.high - 1 - s.step_base : s.low + s.step_base;
        s.start = s.pos;
        s.length = -1;
    }
    s.remaining = s.length;
    s.playing = s.length != 0 && s.pos >= s.low && s.pos < s.high;
    s.anchor = now;
    s.sent = 0;
    return {};
}

int64_t vgm_streams::next_write(int64_t now) const {
    int64_t next = never;
    for (const vgm_stream& s : streams_) {
        if (s.playing && s.frequency != 0) {
            next = std::min(next, std::max(now, due_frame(s)));
        }
    }
    return next;
}

void vgm_streams::write_due(int64_t now, std::span<const uint8_t> bank, fm_core& core) {
    for (vgm_stream& s : streams_) {
        while (s.playing && s.frequency != 0 && due_frame(s) <= now) {
            if (s.pos < s.low || s.pos >= s.high || s.pos >= static_cast<int64_t>(bank.size())) {
                if (!finish(s)) {
                    break;
                }
            }
            fm_write(core, 0, s.port, s.reg);
            fm_write(core, 0, s.port + 1, bank[static_cast<std::size_t>(s.pos)]);
            s.pos += s.reverse ? -int64_t{s.step} : int64_t{s.step};
            ++s.sent;
            if (s.remaining > 0 && --s.remaining == 0) {
                finish(s);
            }
        }
    }
}

} // namespace kavelo
