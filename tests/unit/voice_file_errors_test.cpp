// The words a refused instrument or bank file gets: one sentence that says what the file
// holds and what its format needs, in every format.

#include "formats/voice_formats.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string_view>

namespace kavelo {
namespace {

std::vector<uint8_t> file(std::string_view start, std::vector<uint8_t> rest = {},
                          std::size_t zeros = 0) {
    std::vector<uint8_t> bytes(start.begin(), start.end());
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    bytes.resize(bytes.size() + zeros, 0);
    return bytes;
}

const voice_format& format(std::string_view id) {
    for (const voice_format& f : voice_formats()) {
        if (f.id == id) {
            return f;
        }
    }
    throw std::invalid_argument(std::string(id));
}

struct error_case {
    const char* format;
    std::vector<uint8_t> bytes;
    const char* problem;
};

TEST(VoiceFileErrors, NameWhatTheFileHoldsAndWhatItsFormatNeeds) {
    using namespace std::string_view_literals;
    const std::size_t wopn_sets = 68 + 2 * 128 * 69; // names and slots of 1 + 1 sets
    const error_case cases[] = {
        {"dmp", file("", {11, 2, 1}, 49),
         "The file is 52 bytes long, but a DefleMask FM preset of version 11 is 51 bytes."},
        {"dmp", file("", {8, 1, 4}, 20),
         "The file is 23 bytes long, but a DefleMask FM preset of version 8 is 51 bytes."},
        {"dmp", {}, "The file is empty, but a DefleMask preset starts with its version byte."},
        {"dmp",
         {12},
         "The file is a DefleMask preset of version 12, but versions 0 to 11 are read."},
        {"dmp", file("", {11, 3, 1}, 48),
         "The file is a DefleMask preset for system 3, not for the Genesis (system 2 or 0x42)."},
        {"dmp", file("", {11, 2, 0}, 48),
         "The file is a DefleMask standard (PSG) instrument, not an FM one."},
        {"tfi", file("", {}, 41), "The file is 41 bytes long, but a TFI instrument is 42 bytes."},
        {"tfi", file("", {0, 0, 0, 0, 200}, 37),
         "The file holds TL 200 for operator 1, past the field's range 0-127; it is damaged or "
         "of another kind."},
        {"vgi", file("", {}, 44), "The file is 44 bytes long, but a VGI instrument is 43 bytes."},
        {"y12", file("", {}, 1), "The file is 1 byte long, but a Y12 voice dump is 128 bytes."},
        {"eif", file("", {}, 30), "The file is 30 bytes long, but an Echo instrument is 29 bytes."},
        {"opni", file("WOPN2-IN2T\0"sv, {2, 0}, 70),
         "The file is 83 bytes long, but an OPNI instrument of version 2 is 79 bytes."},
        {"opni", file("WOPN2-INST\0"sv, {}, 10),
         "The file is 21 bytes long, but an OPNI instrument of version 1 is 77 bytes."},
        {"opni", file("WOPN2-IN2T\0"sv, {3, 0}, 66),
         "The file is an OPNI instrument of version 3, but versions 1 and 2 are read."},
        {"opni", file("WOPN2-INSX"),
         "The file does not begin with \"WOPN2-INST\" or \"WOPN2-IN2T\", the signature of an "
         "OPNI instrument."},
        {"wopn", file("WOPN2-B2NK\0"sv, {2, 0, 0, 1, 0, 1, 0}, wopn_sets + 1),
         "The file is 17751 bytes long, but a WOPN bank of version 2 with 1 melodic and 1 "
         "percussion set is 17750 bytes."},
        {"wopn", file("WOPN2-BANK\0"sv, {0, 2, 0, 0, 0}, 100),
         "The file is 116 bytes long, but a WOPN bank of version 1 with 2 melodic and 0 "
         "percussion sets is 16656 bytes."},
        {"wopn", file("WOPN2-B2NK\0"sv, {2}),
         "The file is 12 bytes long, but a WOPN bank header is 18 bytes."},
        {"wopn", file("WOPN2-B2NK\0"sv, {3, 0, 0, 0, 0, 0, 0}),
         "The file is a WOPN bank of version 3, but versions 1 and 2 are read."},
        {"gyb", file("", {26, 12, 4}, 300),
         "The file is a GYB bank of version 4, but versions 1 to 3 are read."},
        {"gyb", file("", {26, 12, 1, 2, 2}, 256),
         "The file is 261 bytes long, but a GYB bank of version 1 with 2 melody and 2 drum "
         "instruments takes at least 385 bytes."},
        {"gyb", file("", {26, 12, 3, 0, 0xE8, 3, 0, 0, 16}, 7),
         "The file is 16 bytes long, but its GYB header gives its size as 1000 bytes."},
        {"gyb", file("", {26, 13}),
         "The file does not begin with 26 12 (decimal), the signature of a GYB bank."},
        {"opm", file("@:0 x\n\0"sv),
         "The file holds a zero byte at offset 6, but an OPM bank is plain text."},
        {"opm", file("@:0 x\r\nLFO: 1 2\r\n"), "Line 2 is not an LFO line of 5 numbers 0-255."},
        {"opm", file("@:0 x\nLFO: 0 0 0 0 0\n"),
         "The voice \"x\" of line 1 lacks some of its LFO, CH, M1, C1, M2 and C2 lines."},
        {"opm", file("// a comment\n"),
         "The file holds no \"@:\" voice, so it is not an OPM bank."},
        {"fui", file("FINS", {1, 0, 2, 0}),
         "The file is a Furnace instrument of type 2, not an FM (OPN) instrument."},
        {"fui", file("FINS", {1, 0, 1, 0, 'N', 'A', 9, 0, 'x'}),
         "The file is 13 bytes long and ends inside feature \"NA\" of the Furnace instrument."},
        {"fui", file("FINX"),
         "The file does not begin with \"FINS\" or \"-Furnace instr.-\", the signature of a "
         "Furnace instrument."},
        {"syx",
         {0xF0, 0x43, 0, 0, 0},
         "The file is 5 bytes long, but a TX81Z voice dump takes at least 8 bytes."},
        {"ymx", file("YM"), "The file is 2 bytes long, but a voice bank takes at least 8 bytes."},
    };
    for (const error_case& c : cases) {
        const voice_file_read read = format(c.format).read(c.bytes);
        EXPECT_FALSE(read.ok) << c.problem;
        EXPECT_EQ(read.problem, c.problem) << c.format;
        EXPECT_TRUE(read.voices.empty()) << c.problem;
    }
}

} // namespace
} // namespace kavelo
