// The Voice editor over a plain-data view and a file in memory: the save prompt, commits, the
// clipboards, the import and Export bank lists, instrument files, undo, another file and
// enabled states.

#include "demo/demo_rom.h"
#include "fake_voice_editor_view.h"
#include "formats/voice_file_formats.h"
#include "formats/voice_formats.h"
#include "memory_file_system.h"
#include "res/resource.h"
#include "rom/track_table.h"
#include "test_support.h"
#include "voice_editor/voice_editor_session.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

using names = std::vector<std::string>;

// A Voice editor opened on a demo ROM image held in memory.
struct editor : ::testing::Test {
    static constexpr const char* path = "/music/file.bin";
    test::memory_file_system fs;
    voice_editor_state state;
    test::fake_voice_editor_view view;
    voice_editor_session session{
        state, view,
        rom_access{fs, path, file_mode::rom_image, [this](std::string_view l) { view.log(l); }}};
    const std::vector<uint8_t> original = make_demo_rom();
    void SetUp() override {
        fs.files[path] = original;
        session.open();
    }
    std::vector<uint8_t>& file() { return fs.files[path]; }
    // A list pick as the dialog reports it: a selection change of that list.
    void user_edits(uint16_t id, int entry) {
        view.select(id, entry);
        session.selection_changed(id);
    }
    void user_chooses_track(int track) {
        view.track = track;
        session.selection_changed(IDC_TRACK_LIST);
    }
    void user_chooses_voice(int voice) {
        view.voice = voice;
        session.selection_changed(IDC_VOICE_LIST);
    }
    voice_record shown() const { return voice_editor_read_voice(view); }
    uint32_t voice_at(int track, int index) {
        const uint32_t start = track_table[track].start;
        return start + (file()[start] << 8 | file()[start + 1]) + 25 * index;
    }
    voice_record stored_voice(int track, int index) {
        voice_record stored;
        std::copy_n(file().begin() + voice_at(track, index), 25, stored.begin());
        return swap_voice_order(stored);
    }
};

TEST_F(editor, PromptsOnlyAfterAListChangeAndNotAgainAfterNo) {
    EXPECT_EQ(view.track, 0); // opens on the first track's first voice
    EXPECT_EQ(shown(), stored_voice(0, 0));
    user_chooses_track(2);
    view.check(IDC_OP1_AME, true);
    session.box_clicked(IDC_OP1_AME);               // a click on AME raises no selection change
    session.selection_changed(IDM_KEYBOARD_WINDOW); // an accelerator's command is no list
    user_chooses_voice(1);
    EXPECT_EQ(view.prompts, 0);
    session.selection_changed(IDC_IMPORT_LIST); // any other list, even the Import list
    view.algorithm_picture = -1;
    user_chooses_voice(2); // "No" when the answers run out
    EXPECT_EQ(view.prompts, 1);
    EXPECT_EQ(view.algorithm_picture, stored_voice(2, 2)[0] & 7);
    EXPECT_EQ(state.current, stored_voice(2, 2));
    user_chooses_voice(3); // No cleared the flag
    EXPECT_EQ(view.prompts, 1);
    EXPECT_EQ(file(), original);

    const int algorithm = (state.current[0] & 7) ^ 1;
    user_edits(IDC_ALG_LIST, algorithm);
    EXPECT_EQ(view.algorithm_picture, algorithm);
    session.save_to_rom(); // saving keeps the flag: the next change still asks
    EXPECT_EQ(stored_voice(2, 3)[0] & 7, algorithm);
    user_chooses_track(1);
    EXPECT_EQ(view.prompts, 2);
    EXPECT_FALSE(session.can_undo()) << "a chosen track starts its own history";
}

TEST_F(editor, YesSavesTheEditIntoTheVoiceAndTrackThatWereShown) {
    user_chooses_track(2);
    user_chooses_voice(1);
    user_edits(IDC_OP4_TL, 99);
    view.save_answers = {true};
    user_chooses_track(6);
    EXPECT_EQ(stored_voice(2, 1)[21], 99);
    EXPECT_EQ(state.current_index, 0);
    EXPECT_EQ(state.current, stored_voice(6, 0));
}

TEST_F(editor, PreviewMakesTheShownVoiceCurrentAndDisablesItselfWhileItPlays) {
    user_edits(IDC_OP1_AR, 4);
    session.preview();
    ASSERT_EQ(view.played.size(), 1u);
    EXPECT_EQ(view.played[0][8] & 0x1F, 4);
    EXPECT_EQ(view.enabled_while_played[0], (voice_editor_enabled{.preview = false, .undo = true}));
    EXPECT_EQ(view.enabled, voice_editor_enabled{.undo = true}) << "enabled again once it ends";
    session.add_current_voice();
    EXPECT_EQ(state.export_bank.entries().at(0).voice, view.played[0]);
}

TEST_F(editor, ExportListNamesMovesDeletesAndRenames) {
    for (int i = 0; i < 3; ++i) {
        session.add_current_voice();
    }
    using s = voice_editor_session;
    constexpr int keep = -2; // the selection as the last step left it, or left unchecked
    const struct {
        void (s::*step)();
        int select;
        names expected;
        int selected;
    } steps[] = {
        {&s::move_export_entry_up, 0, {"Voice 0", "Voice 1", "Voice 2"}, keep},   // the first
        {&s::move_export_entry_down, 2, {"Voice 0", "Voice 1", "Voice 2"}, keep}, // the last
        {&s::move_export_entry_up, 1, {"Voice 1", "Voice 0", "Voice 2"}, 0},
        {&s::move_export_entry_down, keep, {"Voice 0", "Voice 1", "Voice 2"}, 1},
        {&s::delete_export_entry, 2, {"Voice 0", "Voice 1"}, 1}, // the new last is selected
        {&s::delete_export_entry, 0, {"Voice 1"}, 0}, // the entry that moved up is selected
        {&s::add_current_voice, keep, {"Voice 1", "Voice 1"}, keep}, // names from the count
    };
    for (const auto& st : steps) {
        if (st.select != keep) {
            view.export_index = st.select;
        }
        (session.*st.step)();
        EXPECT_EQ(view.export_names, st.expected);
        if (st.selected != keep) {
            EXPECT_EQ(view.export_index, st.selected);
        }
    }

    view.export_index = 2; // past the last entry: no name shown
    session.selection_changed(IDC_EXPORT_LIST);
    EXPECT_EQ(view.name_field, "");
    view.export_index = 0;
    session.selection_changed(IDC_EXPORT_LIST);
    EXPECT_EQ(view.name_field, "Voice 1");
    session.text_changed(IDC_VOICE_NAME, "Warm Brass Lead");
    EXPECT_EQ(view.export_names, (names{"Warm Brass", "Voice 1"}));
    EXPECT_EQ(view.export_index, 0);

    session.clear_export_bank();
    EXPECT_EQ(view.export_index, -1);
    for (int i = 0; i < 129; ++i) {
        session.add_current_voice();
    }
    EXPECT_EQ(state.export_bank.count(), 128);
    EXPECT_EQ(view.messages.size(), 1u);
}

TEST_F(editor, ExportedBankImportsBackAndSendsTheSameVoice) {
    user_chooses_track(2);
    for (int v = 0; v < 3; ++v) {
        user_chooses_voice(v);
        session.add_current_voice();
    }
    view.next_file = "/music/out.ymx";
    session.export_bank();
    session.import_bank();
    EXPECT_EQ(view.import_names, (names{"Voice 0", "Voice 1", "Voice 2"}));
    view.import_index = 1;
    session.send_to_voice();
    EXPECT_EQ(state.current, stored_voice(2, 1));
    session.list_double_clicked(IDC_IMPORT_LIST);
    EXPECT_EQ(state.export_bank.entries().back().voice, stored_voice(2, 1));
    EXPECT_EQ(view.export_names, (names{"Voice 0", "Voice 1", "Voice 2", "Voice 1"}));
    EXPECT_EQ(file(), original); // sending writes nothing

    view.next_file.reset(); // a cancelled export
    session.export_bank();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], (std::pair<std::string, std::string>{"Unknown Error!", "Error"}));
}

TEST_F(editor, FailuresChangeNothingAndSaySo) {
    view.next_file = "/music/tiny.syx";
    fs.files[*view.next_file] = {0xF0, 0x43};
    session.import_tx81z();
    EXPECT_EQ(view.messages.size(), 1u);
    view.import_index = 0;
    session.send_to_voice(); // nothing imported: nothing to send
    EXPECT_EQ(state.current, stored_voice(0, 0));

    file()[track_table[3].start] = 0x7F; // table offset far past the track end
    const std::vector<uint8_t> bytes = file();
    user_chooses_track(3);
    EXPECT_EQ(view.voice_entries, 0);
    session.save_to_rom();
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[1].second, "Error!");
    EXPECT_EQ(file(), bytes);

    fs.files.erase(path);
    user_chooses_track(1);
    EXPECT_EQ(state.table.count, 0);
    EXPECT_EQ(view.messages.size(), 3u) << "the unreadable file is said";
    session.save_to_rom();
    EXPECT_FALSE(fs.files.count(path));
}

TEST_F(editor, EveryChangeOfTheShownVoiceIsOneUndoStep) {
    user_chooses_track(2);
    user_chooses_voice(1);
    session.copy_voice();
    const voice_record copied = shown();
    user_chooses_track(0);
    const voice_record loaded = shown();

    view.select(IDC_ALG_LIST, 5);
    user_edits(IDC_OP1_TL, 42); // then OP1 is copied with the edit
    const voice_record after_list = shown();
    session.box_clicked(IDC_TRACK_LIST); // not a voice control: no step
    view.check(IDC_OP2_AME, !view.checked(IDC_OP2_AME));
    session.box_clicked(IDC_OP2_AME);
    const voice_record after_box = shown();
    session.copy_operator(1);
    view.algorithm_picture = -1;
    session.paste_operator(3);
    const voice_record pasted = shown();
    EXPECT_EQ(view.algorithm_picture, 5);
    EXPECT_EQ(copy_operator(pasted, 3), copy_operator(pasted, 1));
    EXPECT_EQ(view.selection(IDC_OP3_TL), 42);
    session.swap_operators(2, 4);
    EXPECT_EQ(copy_operator(shown(), 2), copy_operator(pasted, 4));
    EXPECT_EQ(copy_operator(shown(), 4), copy_operator(pasted, 2));
    session.swap_operators(2, 2); // not a swap
    const voice_record swapped = shown();
    EXPECT_EQ(state.current, stored_voice(0, 0)) << "operator edits leave the current voice";
    session.paste_voice();
    state.source = import_source::bank;
    state.imported_bank = {{test::counting_record(0), "Sent"}};
    view.import_index = 0;
    session.send_to_voice();

    const voice_record first = stored_voice(0, 0);
    const std::pair<voice_record, voice_record> undone[] = {{copied, copied},    {swapped, first},
                                                            {pasted, first},     {after_box, first},
                                                            {after_list, first}, {loaded, first}};
    for (const auto& [shown_then, current_then] : undone) {
        session.undo();
        EXPECT_EQ(shown(), shown_then);
        EXPECT_EQ(state.current, current_then);
    }
    EXPECT_FALSE(session.can_undo());
    session.undo(); // nothing left: nothing changes
    EXPECT_EQ(shown(), loaded);
    session.redo();
    session.redo();
    EXPECT_EQ(shown(), after_box);
    EXPECT_EQ(view.algorithm_picture, 5);
    EXPECT_EQ(voice_editor_enabled_states(session),
              (voice_editor_enabled{
                  .undo = true, .redo = true, .paste_operator = {true, true, true, true}}));
    user_chooses_voice(1); // an undone edit still counts as a change
    EXPECT_EQ(view.prompts, 1);
    EXPECT_FALSE(session.can_undo()); // another voice: the history goes
    EXPECT_FALSE(session.can_redo());
}

TEST_F(editor, RevertReadsTheFileAgainAsOneStepAndSavingKeepsTheHistory) {
    user_chooses_track(2);
    user_chooses_voice(1);
    user_edits(IDC_OP4_TL, 99);
    session.save_to_rom();
    EXPECT_TRUE(session.can_undo());
    user_edits(IDC_OP4_TL, 98);
    const voice_record edited = shown();
    file()[voice_at(2, 1) + 21] = 0x11; // the file's OP1 TL changes under the editor
    const std::vector<uint8_t> bytes = file();
    session.revert_voice();
    EXPECT_EQ(state.current, stored_voice(2, 1));
    EXPECT_EQ(view.selection(IDC_OP1_TL), 0x11);
    EXPECT_EQ(file(), bytes) << "reverting writes nothing";
    session.undo();
    EXPECT_EQ(shown(), edited);
}

TEST_F(editor, AnotherFileShowsFromItsFirstVoiceAndTakesTheCommits) {
    const std::string track_path = "/music/track.bin";
    const std::vector<uint8_t> track = make_demo_track(9);
    fs.files[track_path] = track;
    session.show_file(track_path, file_mode::bare_track);
    EXPECT_EQ(view.enabled, voice_editor_enabled{.track_list = false});
    const std::size_t table = track[0] << 8 | track[1];
    voice_record first{};
    std::copy_n(track.begin() + table, 25, first.begin());
    EXPECT_EQ(shown(), swap_voice_order(first));
    const auto rom_now = file();
    user_edits(IDC_ALG_LIST, 3);
    session.save_to_rom();
    EXPECT_EQ(file(), rom_now) << "the earlier file is left alone";
    EXPECT_EQ(fs.files[track_path][table] & 7, 3);
    session.play_track();
    EXPECT_EQ(voice_editor_enabled_states(session),
              (voice_editor_enabled{.track_list = false, .undo = true, .stop_track = true}));
}

TEST_F(editor, InstrumentFilesImportNamedAfterThemAndListTheRefusedOnce) {
    const auto encoded = [](const char* name, const std::vector<named_voice>& voices) {
        std::vector<uint8_t> bytes;
        write_voice_bytes(*voice_format_by_extension(name), voices, bytes);
        return bytes;
    };
    fs.files["/in/lead.tfi"] = encoded("lead.tfi", {{stored_voice(2, 3), ""}});
    fs.files["/in/organs.gyb"] =
        encoded("organs.gyb", {{stored_voice(2, 4), "Organ"}, {stored_voice(2, 5), ""}});
    fs.files["/in/bad.dmp"] = {11, 2, 1};
    fs.files["/in/odd.txt"] = {1, 2, 3};
    view.next_files = {"/in/lead.tfi", "/in/bad.dmp", "/in/organs.gyb", "/in/odd.txt"};
    session.import_instrument_files();
    EXPECT_EQ(view.import_names, (names{"lead", "Organ", "organs 2"}));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_NE(view.messages[0].first.find("bad.dmp: "), std::string::npos);
    EXPECT_NE(view.messages[0].first.find("odd.txt: "), std::string::npos);
    view.import_index = 2;
    session.send_to_voice();
    EXPECT_EQ(state.current, stored_voice(2, 5));
    session.add_import_entry();
    EXPECT_EQ(view.export_names, names{"organs 2"});

    // The shown voice goes out in a chosen format, noting what it loses.
    view.next_output = "/out/voice.tfi";
    session.export_voice();
    const voice_file_read back = read_tfi(fs.files["/out/voice.tfi"]);
    ASSERT_TRUE(back.done());
    EXPECT_EQ(back.voices[0].voice, shown());
    EXPECT_EQ(view.log_lines.end()[-2], "  * voice.tfi: the format cannot hold: name");
}

} // namespace
} // namespace kavelo
