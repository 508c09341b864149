// The Voice editor's instrument and bank file commands, over a view made of plain data and
// a file system in memory.

#include "demo/demo_rom.h"
#include "fake_voice_editor_view.h"
#include "formats/fm_operator_fields.h"
#include "formats/voice_formats.h"
#include "memory_file_system.h"
#include "voice_editor/voice_editor_session.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kavelo {
namespace {

named_voice sample(uint8_t seed, std::string name) {
    voice_params v;
    v.alg = seed % 8;
    for (std::size_t i = 0; i < 4; ++i) {
        v.op[i] = {
            static_cast<uint8_t>(i), static_cast<uint8_t>(seed % 16), 20, 1, 31, 1, 5, 3, 2, 9};
    }
    return {pack_voice(v), std::move(name)};
}

std::vector<uint8_t> encoded(std::string_view extension, const std::vector<named_voice>& voices) {
    std::vector<uint8_t> bytes;
    write_voice_bytes(*voice_format_by_extension(std::string("x.") + std::string(extension)),
                      voices, bytes);
    return bytes;
}

struct voice_files : ::testing::Test {
    test::memory_file_system fs;
    voice_editor_state state;
    test::fake_voice_editor_view view;
    voice_editor_session session{state, view,
                                 rom_access{fs, "/rom.bin", file_mode::rom_image,
                                            [this](std::string_view line) { view.log(line); }}};
    void SetUp() override {
        fs.files["/rom.bin"] = make_demo_rom();
        session.open();
    }
};

TEST_F(voice_files, ImportsReadableFilesNamesThemAndListsTheRefusedOnce) {
    fs.files["/in/lead.tfi"] = encoded("tfi", {sample(3, "")});
    fs.files["/in/organs.gyb"] = encoded("gyb", {sample(4, "Organ"), sample(5, "")});
    fs.files["/in/bad.dmp"] = {11, 2, 1};
    fs.files["/in/odd.txt"] = {1, 2, 3};
    view.next_files = {"/in/lead.tfi", "/in/bad.dmp", "/in/organs.gyb", "/in/odd.txt"};
    session.import_instrument_files();
    EXPECT_EQ(view.import_names, (std::vector<std::string>{"lead", "Organ", "organs 2"}));
    EXPECT_EQ(state.source, import_source::instrument_files);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_NE(view.messages[0].first.find("bad.dmp: "), std::string::npos);
    EXPECT_NE(view.messages[0].first.find("odd.txt: "), std::string::npos);

    view.import_index = 2;
    session.send_to_voice();
    EXPECT_EQ(state.current, sample(5, "").voice);
    session.add_import_entry();
    EXPECT_EQ(view.export_names, std::vector<std::string>{"organs 2"});

    // Nothing readable: the list and its kind stay as they were.
    view.next_files = {"/in/bad.dmp"};
    session.import_voice_bank();
    EXPECT_EQ(state.source, import_source::instrument_files);
    EXPECT_EQ(view.import_names.size(), 3u);
}

TEST_F(voice_files, ImportReadsValuesPastTheirRangeAndSaysSoInTheStatusLog) {
    const std::string bank = "@:0 Real\nLFO: 0 0 0 0 0\nCH: 64 0 4 0 0 120 0\n"
                             "M1: 31 0 0 15 0 20 6 1 0 0 0\nC1: 31 0 0 15 0 0 0 1 0 0 0\n"
                             "M2: 31 0 0 15 0 20 0 1 0 0 0\nC2: 31 0 0 15 0 0 0 1 0 0 0\n";
    fs.files["/in/real.opm"] = std::vector<uint8_t>(bank.begin(), bank.end());
    view.next_files = {"/in/real.opm"};
    session.import_voice_bank();
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(view.import_names, std::vector<std::string>{"Real"});
    EXPECT_EQ(std::count(view.log_lines.begin(), view.log_lines.end(),
                         "  * real.opm: read values past their field's range by their low bits, "
                         "as the chip does: KS"),
              1);
}

TEST_F(voice_files, ExportsTheBankListAndTheShownVoiceNotingWhatAFormatLoses) {
    state.export_bank.add(sample(1, "").voice, "One");
    state.export_bank.add(sample(2, "").voice, "Two");
    view.next_output = "/out/bank.opm";
    session.export_bank_as();
    EXPECT_EQ(fs.files["/out/bank.opm"],
              encoded("opm", {{sample(1, "").voice, "One"}, {sample(2, "").voice, "Two"}}));

    view.next_output = "/out/voice.tfi";
    session.export_voice();
    ASSERT_TRUE(fs.files.count("/out/voice.tfi"));
    const voice_file_read back = read_tfi(fs.files["/out/voice.tfi"]);
    ASSERT_TRUE(back.done());
    EXPECT_EQ(back.voices[0].voice, voice_editor_read_voice(view));
    EXPECT_TRUE(std::any_of(view.log_lines.begin(), view.log_lines.end(), [](const auto& line) {
        return line.find("voice.tfi: the format cannot hold: name") != std::string::npos;
    }));

    view.next_output = "/out/voice.fui";
    session.export_voice();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_FALSE(fs.files.count("/out/voice.fui"));
}

} // namespace
} // namespace kavelo
