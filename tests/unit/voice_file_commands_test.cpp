// The Voice editor's instrument and bank file commands, over a view made of plain data and
// a file system in memory.

#include "formats/fm_operator_fields.h"
#include "formats/voice_formats.h"
#include "memory_file_system.h"
#include "rom/demo_rom.h"
#include "voice_editor/voice_editor_session.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

struct file_view : voice_editor_view {
    std::map<uint16_t, int> lists;
    std::map<uint16_t, bool> boxes;
    std::vector<std::pair<std::string, std::string>> messages;
    std::vector<std::string> log_lines;
    std::vector<std::string> import_names;
    int import_index = -1;
    std::vector<std::string> export_names;
    std::vector<std::string> next_files;
    std::optional<std::string> next_output;

    void select(uint16_t id, int entry) override { lists[id] = entry; }
    int selection(uint16_t id) const override { return lists.count(id) ? lists.at(id) : -1; }
    void check(uint16_t id, bool on) override { boxes[id] = on; }
    bool checked(uint16_t id) const override { return boxes.count(id) && boxes.at(id); }
    bool ask_save_voice() override { return false; }
    void show_message(std::string_view text, std::string_view title) override {
        messages.emplace_back(text, title);
    }
    void log(std::string_view line) override { log_lines.emplace_back(line); }
    void show_algorithm_picture(int) override {}
    void set_track_list(bool, int) override {}
    int track_selection() const override { return 0; }
    void set_voice_list(int) override {}
    int voice_selection() const override { return 0; }
    void set_import_list(const std::vector<std::string>& names) override { import_names = names; }
    int import_selection() const override { return import_index; }
    void set_export_list(const std::vector<std::string>& names, int) override {
        export_names = names;
    }
    int export_selection() const override { return -1; }
    void set_voice_name_field(std::string_view) override {}
    std::optional<std::string> choose_tx81z_file() override { return std::nullopt; }
    std::optional<std::string> choose_bank_file() override { return std::nullopt; }
    std::optional<std::string> choose_bank_export_file() override { return std::nullopt; }
    std::optional<std::string> choose_music_log_file() override { return std::nullopt; }
    std::vector<std::string> choose_instrument_files() override { return next_files; }
    std::vector<std::string> choose_voice_bank_files() override { return next_files; }
    std::optional<std::string> choose_voice_export_file() override { return next_output; }
    std::optional<std::string> choose_bank_export_as_file() override { return next_output; }
    void set_preview_enabled(bool) override {}
    void play_preview(const voice_record&, int) override {}
};

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
    file_view view;
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
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.voices[0].voice, voice_editor_read_voice(view));
    bool noted = false;
    for (const std::string& line : view.log_lines) {
        noted = noted || line.find("voice.tfi: the format cannot hold: name") != std::string::npos;
    }
    EXPECT_TRUE(noted);

    view.next_output = "/out/voice.fui";
    session.export_voice();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_FALSE(fs.files.count("/out/voice.fui"));
}

} // namespace
} // namespace kavelo
