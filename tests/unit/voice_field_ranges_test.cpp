// Values at the edges of a field's range: OPM text banks whose real files hold values past
// a field's range, and detune "minus zero" in the formats that store detune with an offset.

#include "formats/fm_operator_fields.h"
#include "formats/voice_formats.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

std::span<const uint8_t> text_bytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TEST(OpmFile, ReadsValuesPastTheirRangeByTheirLowBitsAndNamesTheirFields) {
    const std::string text = "@:0 Real\nLFO: 0 0 0 0 0\nCH: 64 7 12 0 0 120 0\n"
                             "M1: 31 0 0 15 0 20 6 1 0 0 0\nC1: 31 0 0 15 0 0 7 1 0 0 0\n"
                             "M2: 33 0 0 15 0 20 0 1 0 0 0\nC2: 31 0 0 15 0 0 0 1 9 0 0\n"
                             "@:1 Also\nLFO: 0 0 0 0 0\nCH: 64 0 0 0 0 120 0\n"
                             "M1: 0 0 0 0 0 0 5 0 0 0 0\nC1: 0 0 0 0 0 0 0 0 0 0 0\n"
                             "M2: 0 0 0 0 0 0 0 0 0 0 0\nC2: 0 0 0 0 0 0 0 0 0 0 0\n";
    const voice_file_read read = read_opm(text_bytes(text));
    ASSERT_TRUE(read.ok) << read.problem;
    EXPECT_EQ(read.out_of_range, (std::vector<std::string>{"CON", "KS", "AR", "DT1"}));
    ASSERT_EQ(read.voices.size(), 2u);
    const voice_params v = unpack_voice(read.voices[0].voice);
    EXPECT_EQ(v.alg, 12 & 7);
    EXPECT_EQ(v.op[0].rs, 6 & 3);
    EXPECT_EQ(v.op[1].ar, 33 & 31); // M2 is OP2
    EXPECT_EQ(v.op[2].rs, 7 & 3);
    EXPECT_EQ(v.op[3].dt, 9 & 7);
    EXPECT_EQ(unpack_voice(read.voices[1].voice).op[0].rs, 5 & 3);

    // What was read writes back in range and reads the same.
    std::vector<uint8_t> out;
    const voice_file_written written =
        write_voice_bytes(*voice_format_by_extension("x.opm"), read.voices, out);
    ASSERT_TRUE(written.ok) << written.problem;
    EXPECT_TRUE(written.lost.empty());
    const voice_file_read back = read_opm(out);
    EXPECT_TRUE(back.out_of_range.empty());
    EXPECT_EQ(back.voices, read.voices);
    EXPECT_EQ(reading_notes(read),
              std::vector<std::string>{"read values past their field's range by their low bits, "
                                       "as the chip does: CON, KS, AR, DT1"});
}

TEST(OffsetDetune, MinusZeroIsWrittenAsNoDetuneWithoutALoss) {
    // Chip detune 4 ("minus zero") is the sound of 0; stored 3 is none, 7 is past +3.
    voice_params v;
    const std::array<uint8_t, 4> chip{4, 0, 5, 3};
    for (std::size_t i = 0; i < 4; ++i) {
        v.op[i].dt = chip[i];
        v.op[i].mul = 1;
    }
    const std::vector<named_voice> voice{{pack_voice(v), ""}};
    struct offset_format {
        const char* id;
        std::size_t op1_dt; // byte of operator 1's stored detune
    };
    for (const offset_format f :
         {offset_format{"dmp", 3 + 4 + 8}, offset_format{"tfi", 3}, offset_format{"vgi", 4}}) {
        const voice_format& format = *voice_format_by_extension(std::string("x.") + f.id);
        std::vector<uint8_t> out;
        const voice_file_written written = write_voice_bytes(format, voice, out);
        ASSERT_TRUE(written.ok) << f.id << ": " << written.problem;
        EXPECT_TRUE(written.lost.empty()) << f.id << ": " << join_field_names(written.lost);
        EXPECT_EQ(out[f.op1_dt], 3) << f.id;
        const voice_file_read back = format.read(out);
        ASSERT_TRUE(back.ok) << f.id << ": " << back.problem;
        const voice_params read = unpack_voice(back.voices[0].voice);
        EXPECT_EQ(read.op[0].dt, 0) << f.id;
        EXPECT_EQ(read.op[2].dt, 5) << f.id;

        out[f.op1_dt] = 7;
        const voice_file_read seven = format.read(out);
        ASSERT_TRUE(seven.ok) << f.id << ": " << seven.problem;
        EXPECT_EQ(seven.voices, back.voices) << f.id;
    }
}

} // namespace
} // namespace kavelo
