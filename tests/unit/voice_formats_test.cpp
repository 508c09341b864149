#include "formats/fm_operator_fields.h"
#include "formats/voice_formats.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kavelo {
namespace {

// Voices that use every field, with the detune values that trip offset conversions.
std::vector<named_voice> sample_voices() {
    std::vector<named_voice> voices;
    for (uint8_t n = 0; n < 3; ++n) {
        voice_params v;
        v.alg = static_cast<uint8_t>(n * 3 % 8);
        v.fb = static_cast<uint8_t>(7 - n);
        for (std::size_t i = 0; i < 4; ++i) {
            const auto k = static_cast<uint8_t>(n * 4 + i);
            v.op[i] = {static_cast<uint8_t>(k % 8),       static_cast<uint8_t>(15 - k),
                       static_cast<uint8_t>(k * 9 % 128), static_cast<uint8_t>(k % 4),
                       static_cast<uint8_t>(31 - k),      static_cast<uint8_t>(k % 2),
                       static_cast<uint8_t>(k + 3),       static_cast<uint8_t>(k * 2),
                       static_cast<uint8_t>(k % 16),      static_cast<uint8_t>((k + 5) % 16)};
        }
        voices.push_back({pack_voice(v), "Voice " + std::to_string(n)});
    }
    return voices;
}

voice_record without_am(const voice_record& record) {
    voice_params v = unpack_voice(record);
    for (operator_params& o : v.op) {
        o.am = 0;
    }
    return pack_voice(v);
}

struct round_trip_case {
    const char* id;
    bool keeps_am;
    bool keeps_name;
};

class FormatRoundTrip : public ::testing::TestWithParam<round_trip_case> {};

TEST_P(FormatRoundTrip, WritesAndReadsBackEveryVoice) {
    const round_trip_case& c = GetParam();
    const voice_format* format = nullptr;
    for (const voice_format& f : voice_formats()) {
        if (f.id == c.id) {
            format = &f;
        }
    }
    ASSERT_NE(format, nullptr);
    const auto all = sample_voices();
    const std::size_t count = format->kind == voice_file_kind::bank ? all.size() : 1;
    const std::span<const named_voice> given(all.data(), count);
    std::vector<uint8_t> bytes;
    const voice_file_written written = write_voice_bytes(*format, given, bytes);
    ASSERT_TRUE(written.ok) << written.problem;
    std::vector<std::string> expected_lost;
    if (!c.keeps_am) {
        expected_lost.push_back("AM");
    }
    if (!c.keeps_name) {
        expected_lost.push_back("name");
    }
    EXPECT_EQ(written.lost, expected_lost);

    const voice_file_read back = read_voice_bytes(std::string("x.") + c.id, bytes);
    ASSERT_TRUE(back.ok) << back.problem;
    EXPECT_TRUE(back.dropped.empty()) << join_field_names(back.dropped);
    ASSERT_EQ(back.voices.size(), count);
    for (std::size_t i = 0; i < count; ++i) {
        EXPECT_EQ(back.voices[i].voice, c.keeps_am ? all[i].voice : without_am(all[i].voice));
        EXPECT_EQ(back.voices[i].name, c.keeps_name ? all[i].name : "");
    }
    // Damage: the written file cut short is refused, never read past its end.
    if (std::string_view(c.id) != "opm") {
        const std::vector<uint8_t> cut(bytes.begin(),
                                       bytes.begin() + static_cast<long>(bytes.size() / 2));
        EXPECT_FALSE(format->read(cut).ok);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryWritableFormat, FormatRoundTrip,
    ::testing::Values(round_trip_case{"dmp", true, false}, round_trip_case{"tfi", false, false},
                      round_trip_case{"vgi", true, false}, round_trip_case{"opni", true, true},
                      round_trip_case{"y12", true, true}, round_trip_case{"eif", true, false},
                      round_trip_case{"wopn", true, true}, round_trip_case{"gyb", true, true},
                      round_trip_case{"opm", true, true}, round_trip_case{"ymx", true, true}),
    [](const auto& info) { return std::string(info.param.id); });

// One FM block of a DefleMask preset: FMS, FB, ALG, AMS and 4 operators of 11 bytes, where
// operator 0 has MULT 1 and stored DT 0 (= chip 7) and operator 3 stored DT 6 (= chip 3).
std::vector<uint8_t> dmp_fm_block() {
    std::vector<uint8_t> fm{0, 5, 4, 0};
    for (int i = 0; i < 4; ++i) {
        const uint8_t dt = i == 0 ? 0 : i == 3 ? 6 : 3;
        fm.insert(fm.end(),
                  {static_cast<uint8_t>(i == 0 ? 1 : 2), 20, 31, 10, 5, 7, 0, 1, dt, 3, 0});
    }
    return fm;
}

TEST(DmpFile, ReadsEveryVersionHeaderToTheSameVoice) {
    // Versions 0 and 1: version, operator count, then the block without FMS. Versions 2-9:
    // version, mode, operator count. Version 10: version, mode. Version 11: version,
    // system, mode.
    const auto fm = dmp_fm_block();
    std::vector<std::vector<uint8_t>> files{{0, 4},    {1, 4},  {2, 1, 4}, {8, 1, 4},
                                            {9, 1, 4}, {10, 1}, {11, 2, 1}};
    for (auto& file : files) {
        file.insert(file.end(), fm.begin() + (file[0] < 2 ? 1 : 0), fm.end());
    }
    const voice_file_read first = read_dmp(files[0]);
    ASSERT_TRUE(first.ok) << first.problem;
    const voice_record& r = first.voices[0].voice;
    EXPECT_EQ(r[0], 5 << 3 | 4);
    EXPECT_EQ(r[4], 7 << 4 | 1); // OP1 (register +0) is the last byte of its group
    EXPECT_EQ(r[1], 3 << 4 | 2); // OP4: stored DT 6 is +3
    EXPECT_EQ(r[3] >> 4, 0);     // OP2: stored DT 3 is none
    for (const auto& file : files) {
        const voice_file_read read = read_dmp(file);
        ASSERT_TRUE(read.ok) << "version " << int(file[0]) << ": " << read.problem;
        EXPECT_EQ(read.voices[0].voice, r) << "version " << int(file[0]);
        // The operator count of the early versions is not FMS.
        EXPECT_TRUE(read.dropped.empty()) << "version " << int(file[0]);
    }
    // A version 8 preset without the operator count byte is one byte short.
    std::vector<uint8_t> short_v8{8, 1};
    short_v8.insert(short_v8.end(), fm.begin(), fm.end());
    EXPECT_FALSE(read_dmp(short_v8).ok);
    std::vector<uint8_t> psg = files[6];
    psg[2] = 0;
    EXPECT_FALSE(read_dmp(psg).ok);
    std::vector<uint8_t> ssg = files[6];
    ssg[3 + 4 + 10] = 8 | 2;
    EXPECT_EQ(read_dmp(ssg).dropped, std::vector<std::string>{"SSG-EG"});
}

TEST(FieldFormats, KeepOperatorOrderAndDetuneOffset) {
    // TFI: the first operator block is OP1; stored DT 0 is the chip's 7 (-3).
    std::vector<uint8_t> tfi(42, 0);
    tfi[2] = 9;  // OP1 MUL
    tfi[3] = 0;  // OP1 DT
    tfi[13] = 4; // OP2 DT (+1)
    tfi[23] = 3;
    tfi[33] = 3;
    const voice_file_read t = read_tfi(tfi);
    ASSERT_TRUE(t.ok) << t.problem;
    EXPECT_EQ(t.voices[0].voice[4], 0x79);
    EXPECT_EQ(t.voices[0].voice[3], 0x10);
    EXPECT_EQ(t.voices[0].voice[1], 0x00);

    // VGI: the AM bit rides on DR's bit 7; AMS/FMS are reported as dropped.
    std::vector<uint8_t> vgi(43, 0);
    vgi[2] = 0x21;
    for (int i = 0; i < 4; ++i) {
        vgi[3 + 10 * i + 1] = 3;
    }
    vgi[3 + 10 + 5] = 0x80 | 7; // OP2 AM and DR 7
    const voice_file_read g = read_vgi(vgi);
    ASSERT_TRUE(g.ok) << g.problem;
    EXPECT_EQ(g.voices[0].voice[11], 0x87);
    EXPECT_EQ(g.dropped, (std::vector<std::string>{"AMS", "FMS"}));

    // Register dumps keep the chip's DT: EIF byte 1 is register 0x30 (OP1), byte 2 is 0x34.
    std::vector<uint8_t> eif(29, 0);
    eif[0] = 0x3A;
    eif[1] = 0x75;
    eif[2] = 0x12;
    const voice_file_read e = read_eif(eif);
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.voices[0].voice[0], 0x3A);
    EXPECT_EQ(e.voices[0].voice[4], 0x75);
    EXPECT_EQ(e.voices[0].voice[3], 0x12);

    std::vector<uint8_t> y12(128, 0);
    y12[16] = 0x46; // block 1 (OP2) DT/MUL
    y12[0x40] = 2;
    y12[0x41] = 6;
    std::memcpy(y12.data() + 0x50, "Brass", 5);
    const voice_file_read y = read_y12(y12);
    ASSERT_TRUE(y.ok);
    EXPECT_EQ(y.voices[0].voice[3], 0x46);
    EXPECT_EQ(y.voices[0].voice[0], 6 << 3 | 2);
    EXPECT_EQ(y.voices[0].name, "Brass");

    // A value past its field's range marks the file as not what its name says.
    tfi[4] = 200;
    EXPECT_FALSE(read_tfi(tfi).ok);
}

std::vector<uint8_t> wopn_instrument(const char* name, uint8_t fbalg, std::size_t size) {
    std::vector<uint8_t> ins(size, 0);
    std::memcpy(ins.data(), name, std::strlen(name));
    ins[34] = 36; // percussion key
    ins[35] = fbalg;
    ins[37] = 0x21; // OP1 DT/MUL
    return ins;
}

TEST(OpniFile, ReadsBothVersionsWithSixtyFiveByteRecords) {
    // A single instrument holds no key-on/off delays, in version 2 as in version 1.
    for (int version = 1; version <= 2; ++version) {
        const char* magic = version == 1 ? "WOPN2-INST" : "WOPN2-IN2T";
        std::vector<uint8_t> file(magic, magic + 11);
        if (version == 2) {
            file.insert(file.end(), {2, 0});
        }
        file.push_back(0); // melodic
        std::vector<uint8_t> ins = wopn_instrument("Bass", 0x2C, 65);
        ins[34] = 0;
        ins[37 + 3 * 7 + 1] = 0x15; // the fourth record is register +0xC (OP4): TL
        file.insert(file.end(), ins.begin(), ins.end());
        ASSERT_EQ(file.size(), version == 1 ? 77u : 79u);
        const voice_file_read read = read_voice_bytes("x.opni", file);
        ASSERT_TRUE(read.ok) << "version " << version << ": " << read.problem;
        EXPECT_EQ(read.voices[0].name, "Bass");
        EXPECT_EQ(read.voices[0].voice[0], 0x2C);
        EXPECT_EQ(read.voices[0].voice[4], 0x21);  // OP1 DT/MUL
        EXPECT_EQ(read.voices[0].voice[21], 0x15); // OP4 TL
        EXPECT_TRUE(read.dropped.empty());
        file.insert(file.end(), 4, 0);
        EXPECT_FALSE(read_opni(file).ok) << "version " << version << " with delays";
    }
    std::vector<uint8_t> out;
    const std::vector<named_voice> one{{voice_record{}, "x"}};
    ASSERT_TRUE(write_voice_bytes(*voice_format_by_extension("a.opni"), one, out).ok);
    EXPECT_EQ(out.size(), 79u);
}

TEST(GybFile, ReadsVersionsOneToThree) {
    for (int version = 1; version <= 3; ++version) {
        std::vector<uint8_t> regs(28, 0);
        regs[0] = 0x31;       // 0x30 OP1
        regs[5] = 0x22;       // 0x40 OP2 (TL)
        regs.push_back(0x2B); // 0xB0
        std::vector<uint8_t> file{26, 12, static_cast<uint8_t>(version)};
        if (version < 3) {
            file.insert(file.end(), {1, 1});
            file.insert(file.end(), 256, 0);
            if (version == 2) {
                file.push_back(0);
                regs.push_back(0xC0);
            }
            for (int i = 0; i < 2; ++i) {
                file.insert(file.end(), regs.begin(), regs.end());
                file.insert(file.end(), version == 1 ? 1 : 2, 0);
            }
            file.insert(file.end(), {4, 'L', 'e', 'a', 'd', 4, 'S', 'n', 'a', 'r'});
            file.insert(file.end(), 4, 0); // checksum
        } else {
            regs.push_back(0xC0);
            file.insert(file.end(), 13, 0);
            file[8] = 16;
            for (int bank = 0; bank < 2; ++bank) {
                file.insert(file.end(), {1, 0, 41, 0});
                file.insert(file.end(), regs.begin(), regs.end());
                file.insert(file.end(), {0, 1, 1, 5, 4}); // one chord note
                const char* name = bank == 0 ? "Lead" : "Snar";
                file.insert(file.end(), name, name + 4);
            }
            file.insert(file.end(), 512, 0); // empty GM maps
            file[4] = static_cast<uint8_t>(file.size() & 0xFF);
            file[5] = static_cast<uint8_t>(file.size() >> 8);
        }
        const voice_file_read read = read_gyb(file);
        ASSERT_TRUE(read.ok) << "version " << version << ": " << read.problem;
        ASSERT_EQ(read.voices.size(), 2u);
        EXPECT_EQ(read.voices[0].voice[4], 0x31);
        EXPECT_EQ(read.voices[0].voice[23], 0x22);
        EXPECT_EQ(read.voices[1].voice[0], 0x2B);
        EXPECT_EQ(read.voices[1].name, "Snar");
        file.resize(version < 3 ? 270 : 50);
        EXPECT_FALSE(read_gyb(file).ok) << "version " << version;
    }
}

TEST(FuiFile, ReadsOldAndNewLayoutsWithDetuneOffset) {
    // New layout: OP1 stored DT 1 (= chip 6, -2), MULT 3; OP3 AR 31.
    std::vector<uint8_t> fm{0xF4, 0x52, 0x00, 0x00};
    for (int i = 0; i < 4; ++i) {
        fm.insert(fm.end(), {static_cast<uint8_t>(i == 0 ? 0x13 : 0x30), 10,
                             static_cast<uint8_t>(i == 2 ? 31 : 0), 0, 0, 0, 0, 0});
    }
    std::vector<uint8_t> fresh{'F',
                               'I',
                               'N',
                               'S',
                               200,
                               0,
                               1,
                               0,
                               'N',
                               'A',
                               4,
                               0,
                               'O',
                               'r',
                               'g',
                               0,
                               'F',
                               'M',
                               static_cast<uint8_t>(fm.size()),
                               0};
    fresh.insert(fresh.end(), fm.begin(), fm.end());
    fresh.insert(fresh.end(), {'E', 'N'});
    const voice_file_read a = read_voice_bytes("organ.bin", fresh);
    ASSERT_TRUE(a.ok) << a.problem;
    EXPECT_EQ(a.voices[0].name, "Org");
    EXPECT_EQ(a.voices[0].voice[0], 2 << 3 | 5);
    EXPECT_EQ(a.voices[0].voice[4], 0x63);
    EXPECT_EQ(a.voices[0].voice[6], 31); // OP3 is group position 1

    std::vector<uint8_t> old(32, 0);
    std::memcpy(old.data(), "-Furnace instr.-", 16);
    old[20] = 32;
    old.insert(old.end(), {'I', 'N', 'S', 'T', 0, 0, 0, 0, 100, 0, 1, 0,
                           'O', 'r', 'g', 0,   5, 2, 0, 0, 4,   0, 0, 0});
    for (int i = 0; i < 4; ++i) {
        std::vector<uint8_t> op(32, 0);
        op[3] = i == 0 ? 3 : 0;  // MULT
        op[9] = i == 0 ? 1 : 3;  // DT
        op[1] = i == 2 ? 31 : 0; // AR
        op[6] = 10;
        old.insert(old.end(), op.begin(), op.end());
    }
    const voice_file_read b = read_fui(old);
    ASSERT_TRUE(b.ok) << b.problem;
    EXPECT_EQ(b.voices[0].voice, a.voices[0].voice);
    old.resize(100);
    EXPECT_FALSE(read_fui(old).ok);
}

TEST(OpmFile, MapsSlotsToRegisterOrderAndReportsLfo) {
    const std::string text =
        "//comment\r\n@:0 Bell Tone\r\nLFO: 10 0 0 0 0\r\nCH: 64 6 4 0 0 120 0\r\n"
        "M1: 31 1 2 3 4 5 1 6 7 0 0\r\nC1: 30 0 0 0 0 0 0 0 0 0 128\r\n"
        "M2: 29 0 0 0 0 0 0 0 0 0 0\r\nC2: 28 0 0 0 0 0 0 0 0 0 0\r\n";
    const voice_file_read r =
        read_opm(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    ASSERT_TRUE(r.ok) << r.problem;
    const voice_record& v = r.voices[0].voice;
    EXPECT_EQ(r.voices[0].name, "Bell Tone");
    EXPECT_EQ(v[0], 6 << 3 | 4);
    EXPECT_EQ(v[8], 0x40 | 31); // M1 -> OP1: KS 1, AR 31
    EXPECT_EQ(v[7], 29);        // M2 -> OP2 (+4)
    EXPECT_EQ(v[6], 30);        // C1 -> OP3 (+8)
    EXPECT_EQ(v[10], 0x80);     // C1 AMS-EN
    EXPECT_EQ(v[4], 0x76);      // M1 DT1 7, MUL 6
    EXPECT_EQ(r.dropped, std::vector<std::string>{"LFO"});
    const std::string missing =
        "@:0 x\nLFO: 0 0 0 0 0\nCH: 64 0 0 0 0 120 0\nM1: 0 0 0 0 0 0 0 0 0 0 0\n";
    EXPECT_FALSE(
        read_opm(std::span(reinterpret_cast<const uint8_t*>(missing.data()), missing.size())).ok);
}

TEST(VoiceFormatTable, RecognisesByMagicBeforeExtension) {
    std::vector<uint8_t> wopn{'W', 'O', 'P', 'N', '2', '-', 'B', '2', 'N', 'K', 0};
    EXPECT_EQ(recognise_voice_file("drums.tfi", wopn)->id, "wopn");
    EXPECT_EQ(recognise_voice_file("LEAD.TFI", std::vector<uint8_t>(42, 0))->id, "tfi");
    EXPECT_EQ(recognise_voice_file("track.bin", std::vector<uint8_t>(42, 0)), nullptr);
    // An Echo instrument whose first bytes happen to be the GYB signature is still read.
    std::vector<uint8_t> eif(29, 0);
    eif[0] = 26;
    eif[1] = 12;
    eif[2] = 2;
    const voice_format* used = nullptr;
    const voice_file_read read = read_voice_bytes("odd.eif", eif, &used);
    EXPECT_TRUE(read.ok) << read.problem;
    EXPECT_EQ(used->id, "eif");
    const std::vector<named_voice> two(2);
    std::vector<uint8_t> out;
    EXPECT_FALSE(write_voice_bytes(*voice_format_by_extension("a.tfi"), two, out).ok);
    EXPECT_FALSE(
        write_voice_bytes(*voice_format_by_extension("a.fui"), std::span(two.data(), 1), out).ok);
}

} // namespace
} // namespace kavelo
