// Instrument and bank files of every format: the round trip through each writer, each
// reader's layout details, recognition, and the sentence a refused file gets.

#include "formats/fm_operator_fields.h"
#include "formats/voice_formats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace kavelo {
namespace {

using namespace std::string_view_literals;
using bytes = std::vector<uint8_t>;

const voice_format& format(const std::string& id) {
    return *voice_format_by_extension("x." + id);
}

bytes file(std::string_view start, bytes rest = {}, std::size_t zeros = 0) {
    bytes out(start.begin(), start.end());
    out.insert(out.end(), rest.begin(), rest.end());
    out.resize(out.size() + zeros, 0);
    return out;
}

// Voices that use every field, with the detune values that trip offset conversions.
std::vector<named_voice> sample_voices() {
    std::vector<named_voice> voices;
    for (uint8_t n = 0; n < 3; ++n) {
        voice_params v;
        v.alg = static_cast<uint8_t>(n * 3 % 8);
        v.fb = static_cast<uint8_t>(7 - n);
        for (std::size_t i = 0; i < 4; ++i) {
            const auto k = static_cast<uint8_t>(n * 4 + i);
            v.op[i] = {uint8_t(k % 8),  uint8_t(15 - k),      uint8_t(k * 9 % 128), uint8_t(k % 4),
                       uint8_t(31 - k), uint8_t(k % 2),       uint8_t(k + 3),       uint8_t(k * 2),
                       uint8_t(k % 16), uint8_t((k + 5) % 16)};
        }
        voices.push_back({pack_voice(v), "Voice " + std::to_string(n)});
    }
    return voices;
}

TEST(VoiceFormats, EveryWriterRoundTripsAndNotesWhatItLoses) {
    const struct {
        const char* id;
        std::vector<std::string> lost;
    } cases[] = {{"dmp", {"name"}}, {"tfi", {"AM", "name"}},
                 {"vgi", {"name"}}, {"opni", {}},
                 {"y12", {}},       {"eif", {"name"}},
                 {"wopn", {}},      {"gyb", {}},
                 {"opm", {}},       {"ymx", {}}};
    const auto all = sample_voices();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const voice_format& f = format(c.id);
        const std::span<const named_voice> given(all.data(),
                                                 f.kind == voice_file_kind::bank ? all.size() : 1);
        bytes out;
        const voice_file_written written = write_voice_bytes(f, given, out);
        ASSERT_TRUE(written.done()) << written.problem;
        EXPECT_EQ(written.lost, c.lost);
        const bool keeps_am = c.lost.empty() || c.lost[0] != "AM", keeps_name = c.lost.empty();
        const voice_file_read back = read_voice_bytes(std::string("x.") + c.id, out);
        ASSERT_TRUE(back.done()) << back.problem;
        EXPECT_TRUE(back.dropped.empty()) << join_field_names(back.dropped);
        ASSERT_EQ(back.voices.size(), given.size());
        for (std::size_t i = 0; i < given.size(); ++i) {
            voice_params v = unpack_voice(given[i].voice);
            for (operator_params& o : v.op) {
                o.am = keeps_am ? o.am : 0;
            }
            EXPECT_EQ(back.voices[i].voice, pack_voice(v));
            EXPECT_EQ(back.voices[i].name, keeps_name ? given[i].name : "");
        }
    }
}

// What the lossy format below does to a voice it reads back.
void (*lose)(voice_params&) = nullptr;

op_result write_record(std::span<const named_voice> voices, std::vector<uint8_t>& out) {
    out.assign(voices[0].voice.begin(), voices[0].voice.end());
    return {};
}

voice_file_read read_with_loss(std::span<const uint8_t> file) {
    voice_record record{};
    std::copy_n(file.begin(), record.size(), record.begin());
    voice_params params = unpack_voice(record);
    lose(params);
    voice_file_read read;
    read.voices.push_back({pack_voice(params), ""});
    return read;
}

TEST(VoiceFormats, AWrittenFileNamesEachFieldItsRoundTripChanged) {
    using change = void (*)(voice_params&);
    const std::pair<const char*, change> cases[] = {
        {"ALG", [](voice_params& v) { v.alg ^= 1; }},
        {"MUL", [](voice_params& v) { v.op[2].mul ^= 1; }},
    };
    const named_voice voice{sample_voices()[0].voice, ""};
    const voice_format lossy{
        "lossy",        "Lossy file", {"lsy", ""}, {}, voice_file_kind::single_voice,
        read_with_loss, write_record};
    for (const auto& [field, how] : cases) {
        lose = how;
        std::vector<uint8_t> out;
        const voice_file_written written = write_voice_bytes(lossy, {&voice, 1}, out);
        EXPECT_TRUE(written.done()) << field;
        EXPECT_EQ(written.lost, std::vector<std::string>{field});
    }
}

TEST(VoiceFormats, DmpReadsEveryVersionHeaderToTheSameVoice) {
    // One FM block (FMS, FB, ALG, AMS, 4 operators of 11 bytes): OP1 MULT 1 and stored DT 0
    // (= chip 7), OP4 stored DT 6 (= chip 3).
    bytes fm{0, 5, 4, 0};
    for (int i = 0; i < 4; ++i) {
        const uint8_t dt = i == 0 ? 0 : i == 3 ? 6 : 3;
        fm.insert(fm.end(), {uint8_t(i == 0 ? 1 : 2), 20, 31, 10, 5, 7, 0, 1, dt, 3, 0});
    }
    // Versions 0-1: operator count and no FMS; 2-9: mode, count; 10: mode; 11: system, mode.
    std::vector<bytes> files{{0, 4}, {1, 4}, {2, 1, 4}, {8, 1, 4}, {9, 1, 4}, {10, 1}, {11, 2, 1}};
    for (bytes& f : files) {
        f.insert(f.end(), fm.begin() + (f[0] < 2 ? 1 : 0), fm.end());
    }
    const voice_record r = read_dmp(files[0]).voices.at(0).voice;
    EXPECT_EQ(r[0], 5 << 3 | 4);
    EXPECT_EQ(r[4], 7 << 4 | 1); // OP1 (register +0) is the last byte of its group
    EXPECT_EQ(r[1], 3 << 4 | 2); // OP4: stored DT 6 is +3
    EXPECT_EQ(r[3] >> 4, 0);     // OP2: stored DT 3 is none
    for (const bytes& f : files) {
        SCOPED_TRACE(int(f[0]));
        const voice_file_read read = read_dmp(f);
        ASSERT_TRUE(read.done()) << read.problem;
        EXPECT_EQ(read.voices[0].voice, r);
        EXPECT_TRUE(read.dropped.empty()); // the early versions' operator count is no FMS
    }
}

TEST(VoiceFormats, ReadersKeepOperatorOrderDetuneOffsetAndBitPlaces) {
    // TFI: the first operator block is OP1 and stored DT 0 is the chip's 7 (-3), 4 is +1.
    // VGI: the AM bit rides on DR's bit 7. EIF, a register dump, keeps the chip's DT: byte 1
    // is register 0x30 (OP1), byte 2 is 0x34. Y12: block 1 is OP2, 0x40-0x41 FB and ALG.
    using bytes_at = std::vector<std::pair<std::size_t, uint8_t>>;
    const struct {
        const char* id;
        std::size_t size;
        bytes_at file, voice;
    } cases[] = {
        {"tfi", 42, {{2, 9}, {13, 4}, {23, 3}, {33, 3}}, {{4, 0x79}, {3, 0x10}, {1, 0x00}}},
        {"vgi", 43, {{2, 0x21}, {4, 3}, {14, 3}, {18, 0x87}, {24, 3}, {34, 3}}, {{11, 0x87}}},
        {"eif", 29, {{0, 0x3A}, {1, 0x75}, {2, 0x12}}, {{0, 0x3A}, {4, 0x75}, {3, 0x12}}},
        {"y12", 128, {{16, 0x46}, {0x40, 2}, {0x41, 6}}, {{3, 0x46}, {0, 6 << 3 | 2}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        bytes f(c.size, 0);
        for (const auto& [at, value] : c.file) {
            f[at] = value;
        }
        const voice_file_read read = format(c.id).read(f);
        ASSERT_TRUE(read.done()) << read.problem;
        for (const auto& [at, value] : c.voice) {
            EXPECT_EQ(read.voices[0].voice[at], value) << at;
        }
    }
}

TEST(VoiceFormats, GybReadsVersionsOneToThree) {
    for (uint8_t version = 1; version <= 3; ++version) {
        SCOPED_TRACE(int(version));
        bytes regs(28, 0);
        regs[0] = 0x31, regs[5] = 0x22; // 0x30 OP1, 0x40 OP2 (TL)
        regs.push_back(0x2B);           // 0xB0
        bytes f{26, 12, version};
        if (version < 3) {
            f.insert(f.end(), {1, 1});
            f.insert(f.end(), 256 + (version == 2), 0);
            regs.resize(29 + (version == 2), 0xC0);
            for (int i = 0; i < 2; ++i) {
                f.insert(f.end(), regs.begin(), regs.end());
                f.insert(f.end(), version, 0);
            }
            f.insert(f.end(), {4, 'L', 'e', 'a', 'd', 4, 'S', 'n', 'a', 'r', 0, 0, 0, 0});
        } else {
            regs.push_back(0xC0);
            f.insert(f.end(), 13, 0);
            f[8] = 16;
            for (const char* name : {"Lead", "Snar"}) {
                f.insert(f.end(), {1, 0, 41, 0});
                f.insert(f.end(), regs.begin(), regs.end());
                f.insert(f.end(), {0, 1, 1, 5, 4}); // one chord note
                f.insert(f.end(), name, name + 4);
            }
            f.insert(f.end(), 512, 0); // empty GM maps
            f[4] = static_cast<uint8_t>(f.size()), f[5] = static_cast<uint8_t>(f.size() >> 8);
        }
        const voice_file_read read = read_gyb(f);
        ASSERT_TRUE(read.done()) << read.problem;
        ASSERT_EQ(read.voices.size(), 2u);
        EXPECT_EQ(read.voices[0].voice[4], 0x31);
        EXPECT_EQ(read.voices[0].voice[23], 0x22);
        EXPECT_EQ(read.voices[1].voice[0], 0x2B);
        EXPECT_EQ(read.voices[1].name, "Snar");
        f.resize(version < 3 ? 270 : 50);
        EXPECT_FALSE(read_gyb(f).done());
    }
}

TEST(VoiceFormats, FuiReadsOldAndNewLayoutsAlike) {
    // New layout: OP1 stored DT 1 (= chip 6, -2), MULT 3; OP3 AR 31.
    bytes fm{0xF4, 0x52, 0x00, 0x00};
    for (int i = 0; i < 4; ++i) {
        fm.insert(fm.end(),
                  {uint8_t(i == 0 ? 0x13 : 0x30), 10, uint8_t(i == 2 ? 31 : 0), 0, 0, 0, 0, 0});
    }
    bytes fresh = file(
        "FINS", {200, 0, 1, 0, 'N', 'A', 4, 0, 'O', 'r', 'g', 0, 'F', 'M', uint8_t(fm.size()), 0});
    fresh.insert(fresh.end(), fm.begin(), fm.end());
    fresh.insert(fresh.end(), {'E', 'N'});
    const voice_file_read a = read_voice_bytes("organ.bin", fresh);
    ASSERT_TRUE(a.done()) << a.problem;
    EXPECT_EQ(a.voices[0].name, "Org");
    EXPECT_EQ(a.voices[0].voice[0], 2 << 3 | 5);
    EXPECT_EQ(a.voices[0].voice[4], 0x63);
    EXPECT_EQ(a.voices[0].voice[6], 31); // OP3 is group position 1

    bytes old(32, 0);
    std::memcpy(old.data(), "-Furnace instr.-", 16);
    old[20] = 32;
    old.insert(old.end(), {'I', 'N', 'S', 'T', 0, 0, 0, 0, 100, 0, 1, 0,
                           'O', 'r', 'g', 0,   5, 2, 0, 0, 4,   0, 0, 0});
    for (int i = 0; i < 4; ++i) {
        bytes op(32, 0);
        op[3] = i == 0 ? 3 : 0;  // MULT
        op[9] = i == 0 ? 1 : 3;  // DT
        op[1] = i == 2 ? 31 : 0; // AR
        op[6] = 10;
        old.insert(old.end(), op.begin(), op.end());
    }
    const voice_file_read b = read_fui(old);
    ASSERT_TRUE(b.done()) << b.problem;
    EXPECT_EQ(b.voices[0].voice, a.voices[0].voice);
    EXPECT_TRUE(b.dropped.empty());
    old[32 + 12 + 4 + 3] = 2; // AMS
    EXPECT_EQ(read_fui(old).dropped, std::vector<std::string>{"AMS"});
}

TEST(VoiceFormats, OpmMapsSlotsToRegisterOrderAndReadsValuesPastTheirRangeByTheirLowBits) {
    const std::string text =
        "//comment\r\n@:0 Bell Tone\r\nLFO: 10 0 0 0 0\r\nCH: 64 6 4 0 0 120 0\r\n"
        "M1: 31 1 2 3 4 5 1 6 7 0 0\r\nC1: 30 0 0 0 0 0 0 0 0 0 128\r\n"
        "M2: 29 0 0 0 0 0 0 0 0 0 0\r\nC2: 28 0 0 0 0 0 0 0 0 0 0\r\n"
        "@:1 Real\nLFO: 0 0 0 0 0\nCH: 64 7 12 0 0 120 0\n"
        "M1: 31 0 0 15 0 20 6 1 0 0 0\nC1: 31 0 0 15 0 0 7 1 0 0 0\n"
        "M2: 33 0 0 15 0 20 0 1 0 0 0\nC2: 31 0 0 15 0 0 0 1 9 0 0\n";
    const voice_file_read r = read_opm(file(text));
    ASSERT_TRUE(r.done()) << r.problem;
    ASSERT_EQ(r.voices.size(), 2u);
    const voice_record& v = r.voices[0].voice;
    EXPECT_EQ(r.voices[0].name, "Bell Tone");
    EXPECT_EQ(v[0], 6 << 3 | 4);
    EXPECT_EQ(v[8], 0x40 | 31); // M1 -> OP1: KS 1, AR 31
    EXPECT_EQ(v[7], 29);        // M2 -> OP2 (+4)
    EXPECT_EQ(v[6], 30);        // C1 -> OP3 (+8)
    EXPECT_EQ(v[10], 0x80);     // C1 AMS-EN
    EXPECT_EQ(v[4], 0x76);      // M1 DT1 7, MUL 6
    EXPECT_EQ(r.dropped, std::vector<std::string>{"LFO"});
    EXPECT_EQ(r.out_of_range, (std::vector<std::string>{"CON", "KS", "AR", "DT1"}));
    const voice_params p = unpack_voice(r.voices[1].voice);
    EXPECT_EQ(p.alg, 12 & 7);
    EXPECT_EQ(p.op[1].ar, 33 & 31); // M2 is OP2
    EXPECT_EQ(p.op[3].dt, 9 & 7);
}

// Content before extension is checked by the CLI, which reads a WOPN bank named .tfi.
TEST(VoiceFormats, ExtensionsInAnyCaseNoGuessesAndAFailedSignatureFallsBack) {
    EXPECT_EQ(recognise_voice_file("LEAD.TFI", bytes(42, 0))->id, "tfi");
    EXPECT_EQ(recognise_voice_file("track.bin", bytes(42, 0)), nullptr);
    // An Echo instrument whose first bytes happen to be the GYB signature is still read.
    const voice_format* used = nullptr;
    const voice_file_read read = read_voice_bytes("odd.eif", file("", {26, 12, 2}, 26), &used);
    EXPECT_TRUE(read.done()) << read.problem;
    EXPECT_EQ(used->id, "eif");
}

TEST(VoiceFormats, RefusalsNameWhatTheFileHoldsAndWhatItsFormatNeeds) {
    const struct {
        const char* format;
        bytes file;
        const char* problem;
    } cases[] = {
        {"dmp", {}, "The file is empty, but a DefleMask preset starts with its version byte."},
        {"dmp",
         {12},
         "The file is a DefleMask preset of version 12, but versions 0 to 11 are read."},
        {"dmp", file("", {11, 3, 1}, 48),
         "The file is a DefleMask preset for system 3, not for the Genesis (system 2 or 0x42)."},
        {"dmp", file("", {11, 2, 0}, 48),
         "The file is a DefleMask standard (PSG) instrument, not an FM one."},
        {"tfi", file("", {0, 0, 0, 0, 200}, 37),
         "The file holds TL 200 for operator 1, past the field's range 0-127; it is damaged or "
         "of another kind."},
        {"opni", file("WOPN2-INSX"),
         "The file does not begin with \"WOPN2-INST\" or \"WOPN2-IN2T\", the signature of an "
         "OPNI instrument."},
        {"wopn", file("WOPN2-B2NK\0"sv, {3, 0, 0, 0, 0, 0, 0}),
         "The file is a WOPN bank of version 3, but versions 1 and 2 are read."},
        {"gyb", file("", {26, 12, 1, 2, 2}, 256),
         "The file is 261 bytes long, but a GYB bank of version 1 with 2 melody and 2 drum "
         "instruments takes at least 385 bytes."},
        {"gyb", file("", {26, 12, 3, 0, 0xE8, 3, 0, 0, 16}, 7),
         "The file is 16 bytes long, but its GYB header gives its size as 1000 bytes."},
        {"opm", file("@:0 x\n\0"sv),
         "The file holds a zero byte at offset 6, but an OPM bank is plain text."},
        {"opm", file("@:0 x\r\nLFO: 1 2\r\n"), "Line 2 is not an LFO line of 5 numbers 0-255."},
        {"opm", file("// a comment\n"),
         "The file holds no \"@:\" voice, so it is not an OPM bank."},
        {"fui", file("FINS", {1, 0, 2, 0}),
         "The file is a Furnace instrument of type 2, not an FM (OPN) instrument."},
        {"fui", file("FINS", {1, 0, 1, 0, 'N', 'A', 9, 0, 'x'}),
         "The file is 13 bytes long and ends inside feature \"NA\" of the Furnace instrument."},
    };
    for (const auto& c : cases) {
        const voice_file_read read = format(c.format).read(c.file);
        EXPECT_EQ(read.code, result_refused) << c.problem;
        EXPECT_EQ(read.problem, c.problem) << c.format;
        EXPECT_TRUE(read.voices.empty()) << c.problem;
    }
}

} // namespace
} // namespace kavelo
