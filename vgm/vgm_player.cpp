#include "vgm/vgm_player.h"

#include "fm/fm.h"
#include "vgm/vgm_streams.h"

#include <algorithm>
#include <cstdio>

namespace kavelo {

namespace {

struct vgm_player {
    std::span<const uint8_t> file;
    int64_t max_frames;
    std::vector<int8_t>& samples;
    vgm_result error;
    fm_core core;
    std::vector<uint8_t> bank;
    std::size_t bank_pos = 0;
    std::vector<int8_t> left, right;
    vgm_streams streams;
    vgm_playback_notes notes;

    bool fail(std::size_t at, std::string problem) {
        error = vgm_refused(at, std::move(problem));
        return false;
    }

    int64_t frame() const { return static_cast<int64_t>(samples.size() / 2); }

    bool finished() const {
        return max_frames >= 0 && static_cast<int64_t>(samples.size() / 2) >= max_frames;
    }

    // One wait, cut at the frame limit: its frames in one fm_update call, or split where a
    // DAC stream writes.
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
        for (int64_t now = done, end = done + frames; now < end;) {
            streams.write_due(now, bank, core);
            const int64_t next = std::min(end, streams.next_write(now + 1));
            render(static_cast<std::size_t>(next - now));
            now = next;
        }
        return true;
    }

    void render(std::size_t n) {
        left.resize(n);
        right.resize(n);
        fm_update(core, 0, left, right, static_cast<int32_t>(n));
        for (std::size_t i = 0; i < n; ++i) {
            samples.push_back(left[i]);
            samples.push_back(right[i]);
        }
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
            if (command == 0x66) {
                return true;
            }
            const std::size_t length = vgm_command_length(file, pos, error);
            if (length == 0) {
                return false;
            }
            if (command == 0x52 || command == 0x53) {
                write(command == 0x52 ? 0 : 2, file[pos + 1], file[pos + 2]);
            } else if (command == 0x61) {
                if (!wait(pos, file[pos + 1] | file[pos + 2] << 8)) {
                    return false;
                }
            } else if (command == 0x62 || command == 0x63) {
                if (!wait(pos, command == 0x62 ? 735 : 882)) {
                    return false;
                }
            } else if ((command & 0xF0) == 0x70) {
                if (!wait(pos, (command & 15) + 1)) {
                    return false;
                }
            } else if ((command & 0xF0) == 0x80) {
                if (bank_pos < bank.size()) {
                    write(0, 0x2A, bank[bank_pos++]);
                } else {
                    ++notes.dac_writes_without_data;
                }
                if (!wait(pos, command & 15)) {
                    return false;
                }
            } else if (command == 0x67 && file[pos + 2] == 0x00) {
                streams.add_block(bank.size(), length - 7);
                bank.insert(bank.end(), file.begin() + static_cast<std::ptrdiff_t>(pos + 7),
                            file.begin() + static_cast<std::ptrdiff_t>(pos + length));
            } else if (command == 0x67 && file[pos + 2] == 0x40) {
                // Compressed YM2612 data (bit-packed or DPCM, with a 0x7F table) is not
                // decoded: the Mega Drive logs in circulation store their samples plain.
                return fail(pos, "compressed YM2612 data block (type 0x40) is not supported");
            } else if (command >= 0x90 && command <= 0x95) {
                error = streams.command(file, pos, frame(), bank.size());
                if (!error.done()) {
                    return false;
                }
            } else if (command == 0xE0) {
                bank_pos = vgm_read_le32(file, pos + 1);
            }
            pos += length;
        }
        return true;
    }
};

} // namespace

vgm_result play_vgm(std::span<const uint8_t> file, int64_t max_frames, std::vector<int8_t>& samples,
                    vgm_playback_notes* notes) {
    std::size_t data = 0;
    if (vgm_result start = vgm_data_start(file, data); !start.done()) {
        return start;
    }
    if (data == file.size()) {
        return {}; // no commands: silence
    }
    vgm_player player{file, max_frames, samples, {}, {}, {}, 0, {}, {}, {}, {}};
    const int32_t clock = vgm_ym2612_clock(file);
    if (fm_init(player.core, 1, clock, vgm_rate, nullptr, nullptr) != fm_init_done) {
        return vgm_refused(0x2C,
                           "the YM2612 clock of " + std::to_string(clock) + " Hz is out of range");
    }
    player.run(data);
    if (notes) {
        *notes = player.notes;
    }
    return player.error;
}

} // namespace kavelo
