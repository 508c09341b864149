// A written file that reads back different names exactly the fields its round trip changed.

#include "formats/fm_operator_fields.h"
#include "formats/voice_formats.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kavelo {
namespace {

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

TEST(VoiceFormatLosses, AWrittenFileNamesEachFieldItsRoundTripChanged) {
    using change = void (*)(voice_params&);
    const std::pair<const char*, change> cases[] = {
        {"ALG", [](voice_params& v) { v.alg ^= 1; }},
        {"FB", [](voice_params& v) { v.fb ^= 1; }},
        {"DT", [](voice_params& v) { v.op[1].dt = 2; }},
        {"MUL", [](voice_params& v) { v.op[2].mul ^= 1; }},
        {"TL", [](voice_params& v) { v.op[3].tl ^= 1; }},
        {"RS", [](voice_params& v) { v.op[0].rs ^= 1; }},
        {"AR", [](voice_params& v) { v.op[1].ar ^= 1; }},
        {"AM", [](voice_params& v) { v.op[2].am ^= 1; }},
        {"D1R", [](voice_params& v) { v.op[3].d1r ^= 1; }},
        {"D2R", [](voice_params& v) { v.op[0].d2r ^= 1; }},
        {"D1L", [](voice_params& v) { v.op[1].d1l ^= 1; }},
        {"RR", [](voice_params& v) { v.op[2].rr ^= 1; }},
    };
    voice_params given;
    given.alg = 4;
    given.fb = 2;
    for (operator_params& op : given.op) {
        op = {1, 3, 40, 1, 30, 0, 12, 6, 5, 7};
    }
    const named_voice voice{pack_voice(given), ""};
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

} // namespace
} // namespace kavelo
