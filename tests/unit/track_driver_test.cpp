// Hand-made tracks for each flag and driver quirk with their writes worked out by hand, run
// bare and in a ROM image, and the worked examples against the game's own driver's logs.

#include "rom/track_table.h"
#include "track/track_log.h"
#include "track_rom.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace kavelo {
namespace {

using bytes = std::vector<uint8_t>;

// ROM order: feedback/algorithm, 20 operator bytes, the TL bytes of OP1, OP3, OP2, OP4.
using voice_bytes = std::array<uint8_t, voice_record_size>;
constexpr voice_bytes voice0{0x07, 0x01, 0x01, 0x01, 0x01, 0x1F, 0x1F, 0x1F, 0x1F,
                             0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0F,
                             0x0F, 0x0F, 0x0F, 0x10, 0x20, 0x30, 0x40};
constexpr voice_bytes voice1{0x3C, 0x71, 0x32, 0x03, 0x04, 0x5F, 0x5E, 0x5D, 0x5C,
                             0x85, 0x06, 0x07, 0x08, 0x02, 0x03, 0x04, 0x05, 0x1A,
                             0x2B, 0x3C, 0x4D, 0x20, 0x7F, 0x22, 0x10};
// Algorithm 5 (carriers 48, 44, 4C) with TL bytes that overflow a byte when added to.
constexpr voice_bytes voice2{0x05, 0, 0, 0, 0, 0, 0, 0, 0,    0,    0,    0,   0,
                             0,    0, 0, 0, 0, 0, 0, 0, 0x70, 0xC0, 0x90, 0x08};

// Bytes written in hex, "81 01 F2".
bytes hex_bytes(std::string_view hex) {
    bytes out;
    std::istringstream in{std::string(hex)};
    for (unsigned value = 0; in >> std::hex >> value;) {
        out.push_back(static_cast<uint8_t>(value));
    }
    return out;
}

// The text of tests/data/track/`name`: the worked examples in hex and their logs.
std::string track_data_text(const std::string& name) {
    std::ifstream in(std::string(KAVELO_TEST_DATA_DIR) + "/track/" + name);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A channel entry and its stream; PSG entries take no transpose here, FM entries no envelope.
struct channel_entry {
    channel_entry(const char* hex, uint8_t transpose = 0, uint8_t volume = 0, uint8_t envelope = 0)
        : stream(hex_bytes(hex)), transpose(transpose), volume(volume), envelope(envelope) {}
    bytes stream;
    uint8_t transpose;
    uint8_t volume;
    uint8_t envelope;
};

struct test_track {
    uint8_t divider = 1;
    uint8_t tempo = 0;
    std::vector<channel_entry> fm; // entry 0 is the drum channel
    std::vector<channel_entry> psg;
};

// Header, the streams one after another, then the voice table (voices 0-2).
bytes assemble(const test_track& shape) {
    test::test_track out;
    out.divider = shape.divider;
    out.main_tempo = shape.tempo;
    for (const channel_entry& c : shape.fm) {
        out.fm.push_back({c.stream});
        out.fm_volume.push_back(c.volume);
    }
    for (const channel_entry& c : shape.psg) {
        out.psg.push_back({{c.stream}, c.volume, c.envelope});
    }
    for (const voice_bytes& voice : {voice0, voice1, voice2}) {
        out.voices.push_back(swap_voice_order(voice)); // stored back in ROM order
    }
    bytes track = test::make_track(out);
    for (std::size_t i = 0; i < shape.fm.size(); ++i) {
        track[6 + 4 * i + 2] = shape.fm[i].transpose;
    }
    return track;
}

const channel_entry resting_drum{"80 60 F6 FF FC"};

test_track fm1(channel_entry stream, uint8_t divider = 1, uint8_t tempo = 0) {
    return {divider, tempo, {resting_drum, std::move(stream)}, {}};
}
test_track psg1(const char* stream, uint8_t volume = 0, uint8_t envelope = 0) {
    return {1, 0, {resting_drum}, {{stream, 0, volume, envelope}}};
}
test_track fm1_psg1(channel_entry fm, channel_entry psg, uint8_t tempo = 0) {
    return {1, tempo, {resting_drum, std::move(fm)}, {std::move(psg)}};
}
test_track channels(std::vector<channel_entry> fm, std::vector<channel_entry> psg = {}) {
    return {1, 0, std::move(fm), std::move(psg)};
}

// Expected writes are written at(frame, "write, write, ..."), each write as in the log.
std::string at(int64_t frame, std::string_view writes) {
    std::string out;
    while (!writes.empty()) {
        const std::size_t end = std::min(writes.find(", "), writes.size());
        out += std::to_string(frame) + " " + std::string(writes.substr(0, end)) + "\n";
        writes.remove_prefix(std::min(end + 2, writes.size()));
    }
    return out;
}

std::string hex(uint32_t value) {
    constexpr char digits[] = "0123456789abcdef";
    return {digits[value >> 4 & 15], digits[value & 15]};
}

// A register write by the channel rule of the voice-control byte.
std::string reg(uint8_t vc, uint32_t base, uint32_t value) {
    if (vc & 0x04) {
        return "ym1 " + hex(base + (vc & ~0x04u)) + " " + hex(value);
    }
    return "ym0 " + hex(base + vc) + " " + hex(value);
}

std::string freq(uint32_t word, uint8_t vc = 0) {
    return reg(vc, 0xA4, word >> 8) + ", " + reg(vc, 0xA0, word);
}
std::string off(uint8_t vc = 0) {
    return "ym0 28 " + hex(vc);
}
std::string held(uint32_t word, uint8_t vc = 0) {
    return freq(word, vc) + ", ym0 28 " + hex(vc | 0xF0u);
}
std::string note(uint32_t word, uint8_t vc = 0) {
    return off(vc) + ", " + held(word, vc);
}

std::string voice(const voice_bytes& v, uint8_t vc, uint8_t volume, uint8_t b4) {
    static constexpr std::array<uint8_t, 24> order{0x30, 0x38, 0x34, 0x3C, 0x50, 0x58, 0x54, 0x5C,
                                                   0x60, 0x68, 0x64, 0x6C, 0x70, 0x78, 0x74, 0x7C,
                                                   0x80, 0x88, 0x84, 0x8C, 0x40, 0x48, 0x44, 0x4C};
    static constexpr std::array<uint8_t, 8> carriers{8, 8, 8, 8, 0x0A, 0x0E, 0x0E, 0x0F};
    std::string out = reg(vc, 0xB0, v[0]);
    for (std::size_t i = 0; i < 24; ++i) {
        const bool carrier = i >= 20 && (carriers[v[0] & 7] >> (i - 20) & 1);
        out += ", " + reg(vc, order[i], v[i + 1] + (carrier ? volume : 0));
    }
    return out + ", " + reg(vc, 0xB4, b4) + ", ";
}

// The log after frame 0's start sequence.
std::string log_after_start(track_interpreter& driver, int64_t frames) {
    const std::string log = track_log(driver, frames);
    std::size_t start = 0;
    while (log.compare(start, 2, "0 ") == 0) {
        start = log.find('\n', start) + 1;
    }
    return log.substr(start);
}

// The track at track 0 of an image of the driver's tables.
track_interpreter in_rom_image(const bytes& track) {
    return track_interpreter(
        {test::make_track_rom(track, false), file_mode::rom_image, track_table[0].start});
}

const std::string psg_c = "psg 86, psg 35";              // note 81 on PSG1: period 0x356
const std::string c_fm_psg = note(0x284) + ", " + psg_c; // note 81 on FM1 and PSG1

// A PSG1 note through the attenuations given, one a frame from frame 1.
std::string psg1_volumes(std::initializer_list<uint32_t> attenuations) {
    std::string out;
    int64_t frame = 1;
    for (const uint32_t attenuation : attenuations) {
        out += at(frame, (frame == 1 ? psg_c + ", psg 9" : "psg 9") + hex(attenuation).substr(1));
        ++frame;
    }
    return out;
}

std::string every_channel_note() {
    std::string out = "drum 81, ";
    for (uint8_t vc : {0, 1, 2, 4, 5, 6}) {
        out += (vc == 5 ? "ym1 b5 40, " : "") + note(0x284, vc) + ", ";
    }
    return out + psg_c + ", psg 90, psg a6, psg 35, psg b0, psg c6, psg 35, psg d0";
}

constexpr int32_t any_messages = -1;

struct driver_case {
    const char* name;
    test_track track;
    int64_t frames;
    std::string expected;
    int32_t messages = 0;
    bool bare_only = false; // reads past the bare file, or past the driver's tables
};

const driver_case driver_cases[] = {
    // Durations, tempo and the driver's tables read past their ends.
    {"product mod 256", fm1("81 56 F2", 3), 10, at(1, note(0x284)) + at(3, off())},
    {"saved duration starts at 0: 256 frames", fm1("81 F2"), 260,
     at(1, note(0x284)) + at(258, off())},
    {"saved duration is the product", fm1("81 03 E5 01 82 F2", 2), 16,
     at(1, note(0x284)) + at(7, note(0x2AB)) + at(13, off())},
    {"hold back runs note fill and envelopes",
     fm1_psg1({"E8 02 81 03 F2"}, {"81 02 F2", 0, 0, 9}, 2), 10,
     at(1, c_fm_psg + ", psg 90") + at(2, "psg 91") + at(3, off() + ", psg 92") + at(4, "psg 93") +
         at(5, "psg 9f") + at(7, off())},
    {"fm indices past the table", channels({resting_drum, {"DF 01 E9 1F DF 01 E9 01 DF 01 F2", 1}}),
     6, at(1, note(0x532D)) + at(2, note(0x60F0)) + at(3, note(0x025E)) + at(4, off())},
    // Flags on an FM channel.
    {"e0 keeps bits and fa acts as e0", fm1("E0 80 E0 45 FA 02 81 01 EF 00 81 01 F2"), 5,
     at(1, "ym0 b4 80, ym0 b4 45, ym0 b4 07, " + note(0x284)) +
         at(2, voice(voice0, 0, 0, 0x07) + note(0x284)) + at(3, off())},
    {"e1 detune signed with carry", fm1("E1 7F 81 01 E1 FE 81 01 F2"), 5,
     at(1, note(0x303)) + at(2, note(0x282)) + at(3, off())},
    {"e3 with empty stack stops", fm1("81 01 E3 81 01"), 6, at(1, note(0x284)), 1},
    {"eb every channel", fm1_psg1({"EB 03 81 56 F2"}, {"81 05 81 02 F2"}), 25,
     at(1, c_fm_psg + ", psg 90") + at(3, off()) + at(16, psg_c + ", psg 90") + at(22, "psg 9f")},
    {"e6 carriers skips and bit 7", fm1("EF 02 E6 50 E6 30 E6 F0 EF 02 81 01 F2"), 4,
     at(1, voice(voice2, 0, 0, 0xC0) + "ym0 44 e0, ym0 4c 58, ym0 4c 78, " +
               voice(voice2, 0, 0x70, 0xC0) + note(0x284)) +
         at(2, off())},
    {"e7 keeps modulation", fm1("F0 00 01 01 04 81 02 E7 82 03 F2"), 8,
     at(1, note(0x284)) + at(2, freq(0x285)) + at(3, held(0x2AB)) + at(4, freq(0x2AD)) +
         at(6, off())},
    {"ec volume for next voice", fm1("EC 05 EF 00 81 01 F2"), 4,
     at(1, voice(voice0, 0, 5, 0xC0) + note(0x284)) + at(2, off())},
    {"ee stops and reloads fm4",
     channels({resting_drum,
               "81 01 EE 81 01",
               "80 7F F6 FF FC",
               "80 7F F6 FF FC",
               {"EF 01 81 10 F2", 0, 3}}),
     20,
     at(1, note(0x284) + ", " + off(1) + ", " + off(2) + ", " + voice(voice1, 4, 3, 0xC0) +
               note(0x284, 4)) +
         at(2, off() + ", " + voice(voice1, 4, 3, 0xC0)) + at(17, off(4))},
    {"f0 first write swing and detune", fm1("E1 01 F0 02 03 04 03 81 20 F2"), 36,
     at(1, note(0x285)) + at(6, freq(0x289)) + at(12, freq(0x285)) + at(15, freq(0x281)) +
         at(18, freq(0x27D)) + at(24, freq(0x281)) + at(27, freq(0x285)) + at(30, freq(0x289)) +
         at(33, off())},
    // The return address lies over loop counter 8; the return zeroes it: the loop never ends.
    {"call shares bytes with loop counter 8", fm1("81 01 F8 00 07 F7 08 03 FF F7 F2 82 01 E3"), 10,
     at(1, note(0x284)) + at(2, note(0x2AB)) + at(3, note(0x284)) + at(4, note(0x2AB)) +
         at(5, note(0x284)) + at(6, note(0x2AB)) + at(7, note(0x284)) + at(8, note(0x2AB)) +
         at(9, note(0x284))},
    {"every channel rule and f2",
     channels(
         {"81 01 F2", "81 01 F2", "81 01 F2", "81 01 F2", "81 01 F2", "E0 40 81 01 F2", "81 01 F2"},
         {"81 01 F2", "81 01 F2", "81 01 F2"}),
     5,
     at(1, every_channel_note()) +
         at(3, "ym0 28 00, ym0 28 01, ym0 28 02, ym0 28 04, ym0 28 05, ym0 28 06, psg 9f, "
               "psg bf, psg df")},
    {"undefined ff", fm1("81 01 FF 81 01"), 6, at(1, note(0x284)), 1},

    // Flags on a PSG channel.
    {"psg ec and volume above 15 unclamped", psg1("81 01 EC 05 81 01 EC 4D 81 01 F2", 0x1E), 6,
     at(1, psg_c + ", psg ae") + at(2, psg_c + ", psg b3") + at(3, psg_c + ", psg 00") +
         at(4, "psg 9f")},
    {"psg ef writes by psg vc", psg1("EF 00 81 01 F2", 2), 4,
     at(1, voice(voice0, 0x80, 2, 0x00) + psg_c + ", psg 92") + at(2, "psg 9f")},
    {"psg f5 envelope number", psg1("F5 02 81 03 F5 00 81 01 F2"), 7,
     at(1, psg_c + ", psg 90") + at(2, "psg 92") + at(3, "psg 94") + at(4, psg_c + ", psg 90") +
         at(5, "psg 9f")},
    {"envelope clamps and holds at end mark", psg1("81 14 F2", 3, 9), 24,
     psg1_volumes({3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 15, 15, 15}) + at(21, "psg 9f")},
    {"envelope 3", psg1("81 14 F2", 0, 3), 22,
     psg1_volumes({0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7}) + at(21, "psg 9f")},
    {"envelope 8", psg1("81 30 F2", 0, 8), 50,
     psg1_volumes({0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3,
                   3, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 7, 7, 7}) +
         at(49, "psg 9f")},
    {"envelope past 9 is none", psg1("81 02 F2", 0, 10), 5,
     at(1, psg_c + ", psg 90") + at(3, "psg 9f"), 1, true},

    // The drum channel.
    {"drum notes bit 3 retrigger rests no fill",
     channels({{"E8 01 F0 00 01 01 04 98 02 02 90 01 80 01 01 87 01 F2", 5}}), 12,
     at(1, "drum 83") + at(3, "drum 83") + at(5, "drum 90") + at(8, "drum 87")},
    {"drum e4 stops everything",
     channels({"80 02 E4", "81 01 81 01 81 01 F2"}, {"81 01 81 01 81 01 F2"}), 8,
     at(1, c_fm_psg + ", psg 90") + at(2, c_fm_psg + ", psg 90"), any_messages},
    // FM1 reading outside the file: it stops and says so once; PSG1 plays on.
    {"jump outside", fm1_psg1({"81 01 F6 7F 00"}, {"81 02 F2"}), 40,
     at(1, c_fm_psg + ", psg 90") + at(3, "psg 9f"), 1, true},
};

TEST(track_driver, writes_what_the_driver_rules_give) {
    for (const driver_case& c : driver_cases) {
        SCOPED_TRACE(c.name);
        const bytes track = assemble(c.track);
        track_interpreter bare({track, file_mode::bare_track, 0});
        ASSERT_TRUE(bare.valid()) << bare.problem();
        EXPECT_EQ(log_after_start(bare, c.frames), c.expected) << "bare track";
        if (c.messages != any_messages) {
            EXPECT_EQ(bare.take_messages().size(), static_cast<std::size_t>(c.messages));
        }
        if (!c.bare_only) {
            track_interpreter in_rom(in_rom_image(track));
            EXPECT_EQ(log_after_start(in_rom, c.frames), c.expected) << "ROM image";
            if (c.messages == 0) {
                EXPECT_TRUE(in_rom.take_messages().empty());
            }
        }
    }
}

// Each worked example's log of frames 0 to 40, exactly as the game's driver wrote it.
TEST(track_driver, worked_examples_log_what_the_game_driver_wrote) {
    const std::pair<const char*, const char*> examples[] = {
        {"example_a", "start_f2_p0.log"}, {"example_b", "start_f2_p0.log"},
        {"example_c", "start_f2_p0.log"}, {"example_d", "start_f2_p0.log"},
        {"example_e", "start_f1_p3.log"}, {"example_f", "start_f2_p0.log"},
        {"example_g", "start_f2_p0.log"}};
    for (const auto& [name, start_log] : examples) {
        SCOPED_TRACE(name);
        const bytes track = hex_bytes(track_data_text(std::string(name) + ".track"));
        const std::string expected =
            track_data_text(start_log) + track_data_text(std::string(name) + ".log");
        track_interpreter bare({track, file_mode::bare_track, 0});
        ASSERT_TRUE(bare.valid()) << bare.problem();
        EXPECT_EQ(track_log(bare, 41), expected);
        EXPECT_TRUE(bare.take_messages().empty());
        track_interpreter in_rom(in_rom_image(track));
        EXPECT_EQ(track_log(in_rom, 41), expected);
    }
}

TEST(track_driver, refuses_a_header_cut_short) {
    bytes cut = assemble(
        {1, 0, std::vector<channel_entry>(6, {"F2"}), std::vector<channel_entry>(3, {"F2"})});
    cut.resize(40); // the header alone takes 48 bytes
    track_interpreter driver({cut, file_mode::bare_track, 0});
    EXPECT_FALSE(driver.valid());
    EXPECT_NE(driver.problem().find("The track header needs"), std::string::npos);
}

} // namespace
} // namespace kavelo
