// A track's VGM log: it ends where the WAV ends, with the same stop; the drums are a DAC stream
// by the DAC program's rules, and played back they sound like the WAV render.

#include "demo/demo_rom.h"
#include "drums/dpcm.h"
#include "rom/track_table.h"
#include "track/track_player.h"
#include "track/track_vgm.h"
#include "track_rom.h"
#include "vgm/vgm_file.h"
#include "vgm/vgm_player.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kavelo {
namespace {

using bytes = std::vector<uint8_t>;
using test::stream_bytes;

struct vgm_event {
    uint64_t time = 0; // output frame
    bytes command;     // whole, a data block without its data

    bool operator==(const vgm_event&) const = default;
};

struct parsed_vgm {
    std::vector<vgm_event> events;
    uint64_t frames = 0;
    bytes data_bank;
};

parsed_vgm parse(const bytes& file) {
    parsed_vgm vgm;
    std::size_t pos = 0;
    const vgm_result start = vgm_data_start(file, pos);
    EXPECT_TRUE(start.done()) << start.problem;
    vgm_result error;
    while (pos < file.size() && file[pos] != 0x66) {
        const std::size_t length = vgm_command_length(file, pos, error);
        if (length == 0) {
            ADD_FAILURE() << error.problem;
            break;
        }
        const uint8_t c = file[pos];
        const auto at = file.begin() + static_cast<std::ptrdiff_t>(pos);
        if (c == 0x61) {
            vgm.frames += file[pos + 1] | file[pos + 2] << 8;
        } else if (c == 0x62 || c == 0x63) {
            vgm.frames += c == 0x62 ? 735 : 882;
        } else if ((c & 0xF0) == 0x70) {
            vgm.frames += (c & 15) + 1u;
        } else if (c == 0x67) {
            vgm.data_bank.insert(vgm.data_bank.end(), at + 7,
                                 at + static_cast<std::ptrdiff_t>(length));
            vgm.events.push_back({vgm.frames, bytes(at, at + 7)});
        } else {
            vgm.events.push_back({vgm.frames, bytes(at, at + static_cast<std::ptrdiff_t>(length))});
        }
        pos += length;
    }
    EXPECT_EQ(vgm_read_le32(file, 0x18), vgm.frames);
    return vgm;
}

// The DAC and its stream (data blocks, stream commands, registers 2A and 2B), or the
// other register writes.
std::vector<vgm_event> stream_events(const parsed_vgm& vgm, bool dac) {
    std::vector<vgm_event> out;
    for (const vgm_event& e : vgm.events) {
        const uint8_t c = e.command[0];
        const bool dac_reg = c == 0x52 && (e.command[1] == 0x2A || e.command[1] == 0x2B);
        const bool stream = c == 0x67 || (c >= 0x90 && c <= 0x95) || dac_reg;
        if (dac ? stream : (c == 0x50 || c == 0x52 || c == 0x53) && !dac_reg) {
            out.push_back(e);
        }
    }
    return out;
}
vgm_event as_event(uint64_t time, const driver_write& write) {
    switch (write.target) {
    case write_target::ym0:
    case write_target::ym1:
        return {time,
                {static_cast<uint8_t>(write.target == write_target::ym0 ? 0x52 : 0x53), write.reg,
                 write.value}};
    default:
        return {time, {0x50, write.value}};
    }
}

track_source rom_source(const test::test_track& shape) {
    return {test::make_track_rom(test::make_track(shape), true), file_mode::rom_image,
            track_table[0].start};
}

// Two FM voices (or rests) over the drums, with or without the long sample; 96 frames.
test::test_track band_track(bool fm_notes, bool long_sample) {
    test::test_track shape;
    stream_bytes drums;
    drums.add({0x81, 0x0C, 0x82, 0x0C, 0x88, 0x06, 0x89, 0x06, 0x81, 0x0C});
    drums.add({static_cast<uint8_t>(long_sample ? 0x87 : 0x82), 0x0C, 0x8A, 0x0C, 0x81, 0x18});
    shape.fm.push_back(drums.jump_to(0));
    for (uint8_t ch = 0; ch < 2; ++ch) {
        stream_bytes fm;
        fm.add({0xEF, ch});
        const std::size_t loop = fm.mark();
        for (int k = 0; k < 8; ++k) {
            fm.add({static_cast<uint8_t>(fm_notes ? 0x99 + ch * 7 + k * 3 : 0x80), 0x0C});
        }
        shape.fm.push_back(fm.jump_to(loop));
    }
    shape.voices = {demo_voices()[4].record, demo_voices()[0].record};
    return shape;
}

// After the loops asked for, counted, the stop: every channel keyed off and silenced at a driver
// frame, then the second of release that the WAV also ends with.
TEST(track_vgm, ends_where_the_wav_ends_with_the_same_stop) {
    const track_source source = rom_source(band_track(true, true));
    const play_limit three_loops{-1.0, 3};
    track_player player(source);
    const std::size_t wav_frames = render_track(player, three_loops).size() / 2;
    EXPECT_EQ(player.driver().loops_completed(), 3);
    // Every channel jumps back every 96 driver frames, and the main tempo of 0 holds them all
    // back a frame at the 256th: the third loop is 97 frames long.
    track_player two(source);
    EXPECT_EQ(wav_frames - render_track(two, {-1.0, 2}).size() / 2, 97u * 735);
    const track_vgm vgm = make_track_vgm(source, three_loops, {});
    EXPECT_TRUE(vgm.messages.empty());
    EXPECT_EQ(vgm.frames, wav_frames);
    const std::vector<vgm_event> writes = stream_events(parse(vgm.bytes), false);
    ASSERT_GE(writes.size(), music_stop_writes.size());
    const uint64_t stop = wav_frames - release_tail_frames;
    EXPECT_EQ(stop % 735, 0u);
    const std::size_t first = writes.size() - music_stop_writes.size();
    for (std::size_t i = 0; i < music_stop_writes.size(); ++i) {
        EXPECT_EQ(writes[first + i], as_event(stop, music_stop_writes[i])) << i;
    }
    EXPECT_LT(writes[first - 1].time, stop);
}

bytes with_le32(bytes command, uint32_t value) {
    for (int32_t shift = 0; shift < 32; shift += 8) {
        command.push_back(static_cast<uint8_t>(value >> shift));
    }
    return command;
}

// 0x93: the stream from `offset` for `length` values; 0x92: the stream's rate.
bytes stream_start(uint32_t offset, uint32_t length) {
    bytes command = with_le32({0x93, 0x00}, offset);
    command.push_back(0x01);
    return with_le32(command, length);
}
bytes frequency(uint32_t hertz) {
    return with_le32({0x92, 0x00}, hertz);
}

TEST(track_vgm, drums_are_a_dac_stream_by_the_dac_program_s_rules) {
    // Every other frame: kick, snare, timpani 0x88, invalid 0x85, long, kick, timpani 0x8B.
    test::test_track shape;
    stream_bytes drums;
    drums.add({0x81, 0x02, 0x82, 0x02, 0x88, 0x02, 0x85, 0x02, 0x87, 0x02, 0x81, 0x02, 0x8B, 0x02});
    const std::size_t rest = drums.mark();
    shape.fm.push_back(drums.add({0x80, 0x7F}).jump_to(rest));
    const track_source source = rom_source(shape);
    const parsed_vgm vgm = parse(make_track_vgm(source, {3.0, -1}, {}).bytes);

    drum_kit kit;
    const op_result found = find_drum_kit(source.image, kit);
    ASSERT_TRUE(found.done()) << found.problem;
    bytes bank;
    for (const std::vector<uint8_t>& dpcm : kit.dpcm) {
        const bytes values = dpcm_decode(dpcm);
        bank.insert(bank.end(), values.begin(), values.end());
    }
    bank.insert(bank.end(), kit.long_pcm.begin(), kit.long_pcm.end());
    EXPECT_EQ(vgm.data_bank, bank);

    // The demo kit's samples decode to 1700, 3808 and 8236 values, then 27000 long ones.
    const bytes dac_on = {0x52, 0x2B, 0x80};
    const uint64_t long_start = 9 * 735;
    // 27000 bytes of 220 Z80 cycles at 3579545 Hz end 73180.6 output frames on.
    const uint64_t long_end = long_start + 73181;
    const std::vector<vgm_event> expected = {
        {0, {0x67, 0x66, 0x00, 0x28, 0x9F, 0x00, 0x00}}, // 40744 bytes
        {0, {0x90, 0x00, 0x02, 0x00, 0x2A}},
        {0, {0x91, 0x00, 0x00, 0x01, 0x00}},
        {0, {0x52, 0x2A, 0x80}},
        {0, dac_on},
        {735, dac_on}, // kick, p = 0x17: 8200.6 Hz
        {735, frequency(8201)},
        {735, stream_start(0, 1700)},
        {3 * 735, dac_on}, // snare, p = 1: 23784.4 Hz
        {3 * 735, frequency(23784)},
        {3 * 735, stream_start(1700, 3808)},
        {5 * 735, dac_on}, // timpani at pitch 0x12: 9635.4 Hz
        {5 * 735, frequency(9635)},
        {5 * 735, stream_start(5508, 8236)},
        {7 * 735, dac_on}, // 0x85: stopped, the DAC keeps its value
        {7 * 735, {0x94, 0x00}},
        {long_start, frequency(16271)}, // 16270.7 Hz
        {long_start, stream_start(13744, 27000)},
        {long_end, dac_on}, // the last trigger handed over: timpani at pitch 0x1D, 6957.4 Hz
        {long_end, frequency(6957)},
        {long_end, stream_start(5508, 8236)},
    };
    EXPECT_EQ(stream_events(vgm, true), expected);
}

// The WAV render of a track and its VGM log played by the VGM player, both 16-bit.
struct both_renders {
    std::vector<int16_t> wav;
    std::vector<int32_t> vgm;
};

both_renders render_both(const track_source& source, const play_limit& limit) {
    both_renders out;
    track_player player(source);
    out.wav = render_track(player, limit);
    std::vector<int8_t> played;
    const vgm_result error = play_vgm(make_track_vgm(source, limit, {}).bytes, -1, played);
    EXPECT_TRUE(error.done()) << error.problem;
    for (const int8_t sample : played) {
        out.vgm.push_back(sample * 256);
    }
    EXPECT_EQ(out.vgm.size(), out.wav.size());
    return out;
}

// The WAV has the exact Z80 timing, the stream whole-hertz rates; after an 8-frame moving
// average the difference is 6% (DPCM) or 12% (long sample) of the drums' RMS, a rate 1% off 34%.
TEST(track_vgm, played_back_the_drums_follow_the_wav_render) {
    constexpr std::size_t width = 8;
    for (const bool long_sample : {false, true}) {
        SCOPED_TRACE(long_sample ? "with the long sample" : "DPCM drums");
        const both_renders r = render_both(rom_source(band_track(false, long_sample)), {4.0, -1});
        ASSERT_EQ(r.vgm.size(), r.wav.size());
        double error = 0, signal = 0;
        double wav_sum = 0, vgm_sum = 0; // over the last `width` frames, left side
        for (std::size_t i = 0; i < r.wav.size(); i += 2) {
            wav_sum += r.wav[i];
            vgm_sum += r.vgm[i];
            if (i >= 2 * width) {
                wav_sum -= r.wav[i - 2 * width];
                vgm_sum -= r.vgm[i - 2 * width];
            }
            error += (wav_sum - vgm_sum) * (wav_sum - vgm_sum);
            signal += wav_sum * wav_sum;
        }
        ASSERT_GT(signal, 0);
        EXPECT_LT(std::sqrt(error / signal), 0.20);
    }
}

} // namespace
} // namespace kavelo
