// The Voice editor over a plain-data view and a file in memory: the save prompt, commits, the
// clipboards, the import and Export bank lists, undo, another file and enabled states.

#include "res/resource.h"
#include "rom/track_table.h"
#include "test_support.h"
#include "voice_editor_in_memory.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

using names = std::vector<std::string>;
using message = std::pair<std::string, std::string>;

struct editor : ::testing::Test, test::voice_editor_in_memory {
    std::vector<uint8_t> original = fs.files[path];
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
    uint32_t voice_at(const std::vector<uint8_t>& bytes, int track, int index) {
        const uint32_t start = track_table[track].start;
        return start + (bytes[start] << 8 | bytes[start + 1]) + 25 * index;
    }
    voice_record stored_voice(int track, int index) {
        voice_record stored;
        std::copy_n(file().begin() + voice_at(file(), track, index), 25, stored.begin());
        return swap_voice_order(stored);
    }
};

TEST_F(editor, OpensOnTheFirstTrackShowingVoiceZero) {
    EXPECT_TRUE(view.tracks_enabled);
    EXPECT_EQ(view.track, 0);
    EXPECT_EQ(view.voice_entries, state.table.count);
    EXPECT_EQ(state.current, stored_voice(0, 0));
    EXPECT_EQ(shown(), stored_voice(0, 0));
    EXPECT_EQ(view.algorithm_picture, stored_voice(0, 0)[0] & 7);
}

TEST_F(editor, PromptsOnlyAfterAListChangeAndNotAgainAfterNo) {
    user_chooses_track(2);
    EXPECT_EQ(state.track_offset, track_table[2].start);
    user_chooses_voice(1);
    view.check(1013, true); // a click on AME raises no selection change
    user_chooses_voice(0);
    EXPECT_EQ(view.prompts, 0);
    session.selection_changed(1088); // any list, even the Import list
    view.save_answers = {false};
    view.algorithm_picture = -1;
    user_chooses_voice(2);
    EXPECT_EQ(view.prompts, 1);
    EXPECT_EQ(view.algorithm_picture, stored_voice(2, 2)[0] & 7);
    EXPECT_FALSE(state.modified);
    EXPECT_EQ(state.current_index, 2);
    user_chooses_voice(3); // No cleared the flag
    EXPECT_EQ(view.prompts, 1);
    EXPECT_EQ(file(), original);

    user_edits(1045, 7);   // ALG
    session.save_to_rom(); // saving keeps the flag: the next change still asks
    EXPECT_EQ(stored_voice(2, 3)[0] & 7, 7);
    view.save_answers = {false};
    user_chooses_track(1);
    EXPECT_EQ(view.prompts, 2);
    EXPECT_FALSE(session.can_undo()) << "a chosen voice starts its own history";
}

TEST_F(editor, YesSavesTheEditIntoTheVoiceAndTrackThatWereShown) {
    user_chooses_track(2);
    user_chooses_voice(1);
    user_edits(1036, 99); // OP4 TL
    view.save_answers = {true};
    user_chooses_voice(4);
    EXPECT_EQ(stored_voice(2, 1)[21], 99);
    EXPECT_NE(stored_voice(2, 4)[21], 99);
    EXPECT_EQ(state.current, stored_voice(2, 4));
    ASSERT_GE(view.log_lines.size(), 2u);
    EXPECT_EQ(view.log_lines[1], "  * Voice Edited successfully!");

    user_edits(1005, 9); // OP1 MUL
    view.save_answers = {true};
    user_chooses_track(6);
    EXPECT_EQ(stored_voice(2, 4)[4] & 0x0F, 9);
    EXPECT_EQ(state.current_index, 0);
    EXPECT_EQ(view.algorithm_picture, stored_voice(6, 0)[0] & 7);
}

TEST_F(editor, CopyInOneTrackPasteInAnother) {
    session.paste_voice(); // never copied: nothing happens
    EXPECT_EQ(state.current, stored_voice(0, 0));
    user_chooses_track(2);
    user_chooses_voice(2);
    user_edits(1016, 3); // an unsaved edit is copied too
    session.copy_voice();
    view.save_answers = {false};
    user_chooses_track(5);
    session.paste_voice();
    voice_record expected = stored_voice(2, 2);
    expected[23] = 3;
    EXPECT_EQ(shown(), expected);
    EXPECT_EQ(state.current, expected);
    session.save_to_rom();
    EXPECT_EQ(stored_voice(5, 0), expected);
}

TEST_F(editor, PreviewMakesTheShownVoiceCurrentAndDisablesItselfWhileItPlays) {
    user_edits(1008, 4);
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

    view.export_index = -1;
    session.rename_export_entry("Nothing"); // no selection: no entry changes
    view.export_index = 2;                  // past the last entry: no name shown
    session.show_export_name();
    EXPECT_EQ(view.name_field, "");
    view.export_index = 0;
    session.show_export_name();
    EXPECT_EQ(view.name_field, "Voice 1");
    session.rename_export_entry("Warm Brass Lead");
    EXPECT_EQ(view.export_names, (names{"Warm Brass", "Voice 1"}));
    EXPECT_EQ(view.export_index, 0);

    session.clear_export_bank();
    EXPECT_TRUE(view.export_names.empty());
    EXPECT_EQ(view.export_index, -1);
    for (int i = 0; i < 128; ++i) {
        session.add_current_voice();
    }
    EXPECT_EQ(view.export_names[0], "Voice 0");
    EXPECT_TRUE(view.messages.empty());
    session.add_current_voice();
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
    EXPECT_EQ(fs.files[*view.next_file].size(), 8u + 3 * 35);
    session.import_bank();
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(state.source, import_source::bank);
    EXPECT_EQ(view.import_names, (names{"Voice 0", "Voice 1", "Voice 2"}));
    view.import_index = 1;
    session.send_to_voice();
    EXPECT_EQ(state.current, stored_voice(2, 1));
    session.add_import_entry();
    EXPECT_EQ(state.export_bank.entries().back().voice, stored_voice(2, 1));
    EXPECT_EQ(view.export_names.back(), "Voice 1");
    EXPECT_EQ(file(), original); // sending writes nothing

    view.next_file.reset(); // a cancelled export
    session.export_bank();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], (message{"Unknown Error!", "Error"}));
}

TEST_F(editor, MusicLogImportListsVoicesWithVolumeStepsGrouped) {
    // Algorithm 2 (OP4 alone heard): OP1's MUL 1 at OP4 levels 0x30 then 0x10, then MUL 2.
    std::vector<uint8_t> log{'V', 'g', 'm', ' '};
    log.resize(0x40, 0);
    log[0x08] = 0x50, log[0x09] = 1, log[0x34] = 0x0C;
    for (const auto& [reg, value] : {std::pair{0xB0, 0x02},
                                     {0x30, 0x01},
                                     {0x4C, 0x30},
                                     {0x28, 0xF0},
                                     {0x4C, 0x10},
                                     {0x28, 0xF0},
                                     {0x30, 0x02},
                                     {0x28, 0xF0}}) {
        log.insert(log.end(), {0x52, uint8_t(reg), uint8_t(value)});
    }
    log.push_back(0x66);
    view.next_file = "/music/song.vgm";
    fs.files[*view.next_file] = log;
    session.import_music_log();
    ASSERT_TRUE(view.messages.empty()) << view.messages[0].first;
    EXPECT_EQ(state.source, import_source::music_log);
    EXPECT_EQ(view.import_names, (names{"ch1 #2", "ch1 #1"}));
    view.import_index = 1;
    session.add_import_entry();
    EXPECT_EQ(state.export_bank.entries().back().voice,
              *voice_from_hex("02000000020000000000000000000000000000000010000000"));

    // A log without key-ons says so and keeps the list; a cut one names the offset.
    fs.files[*view.next_file].resize(0x40);
    fs.files[*view.next_file].push_back(0x66);
    session.import_music_log();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].second, "Import");
    fs.files[*view.next_file].assign(log.begin(), log.begin() + 0x44);
    session.import_music_log();
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_NE(view.messages[1].first.find("offset 0x43"), std::string::npos);
    EXPECT_EQ(view.import_names.size(), 2u);
    EXPECT_EQ(state.source, import_source::music_log);
}

TEST_F(editor, FailuresChangeNothingAndSaySo) {
    view.next_file = "/music/tiny.syx";
    fs.files[*view.next_file] = {0xF0, 0x43};
    session.import_tx81z();
    EXPECT_EQ(state.source, import_source::none);
    EXPECT_EQ(view.messages.size(), 1u);
    view.next_file.reset();
    session.import_bank();
    EXPECT_EQ(state.source, import_source::none);
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
    EXPECT_GT(view.messages.size(), 2u);
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
    EXPECT_FALSE(session.can_undo());

    user_edits(1006, 50); // OP1 TL
    const voice_record after_list = shown();
    session.box_clicked(1058);             // not a voice control: no step
    view.check(1023, !view.checked(1023)); // OP2 AME
    session.box_clicked(1023);
    const voice_record after_box = shown();
    session.paste_voice();
    state.source = import_source::bank;
    state.imported_bank = {{test::counting_record(0), "Sent"}};
    view.import_index = 0;
    session.send_to_voice();
    EXPECT_EQ(state.current, test::counting_record(0));

    const voice_record first = stored_voice(0, 0);
    const std::pair<voice_record, voice_record> undone[] = {
        {copied, copied}, {after_box, first}, {after_list, first}, {loaded, first}};
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
    EXPECT_EQ(view.algorithm_picture, after_box[0] & 7);
    EXPECT_TRUE(session.can_redo());
    view.save_answers = {false};
    user_chooses_voice(1); // an undone edit still counts as a change
    EXPECT_EQ(view.prompts, 1);
    EXPECT_FALSE(session.can_undo()); // another voice: the history goes
    EXPECT_FALSE(session.can_redo());
}

TEST_F(editor, HistorySurvivesSaveToRomAndRevertIsOneStep) {
    user_chooses_track(2);
    user_chooses_voice(1);
    const voice_record loaded = shown();
    user_edits(1005, 3);
    session.save_to_rom();
    ASSERT_TRUE(session.can_undo());
    session.undo();
    EXPECT_EQ(shown(), loaded);

    user_edits(1036, 99);                       // OP4 TL
    file()[voice_at(file(), 2, 1) + 21] = 0x11; // the file's OP1 TL changes under the editor
    const std::vector<uint8_t> bytes = file();
    session.revert_voice();
    EXPECT_EQ(state.current, stored_voice(2, 1));
    EXPECT_EQ(shown(), stored_voice(2, 1));
    EXPECT_EQ(view.selection(1006), 0x11);
    EXPECT_EQ(file(), bytes) << "reverting writes nothing";
    user_chooses_voice(1); // nothing left to save
    EXPECT_EQ(view.prompts, 0);

    user_edits(1036, 98);
    const voice_record edited = shown();
    session.revert_voice();
    session.undo();
    EXPECT_EQ(shown(), edited);
    fs.files.erase(path);
    session.revert_voice(); // an unreadable file: said, and the shown voice stays
    EXPECT_EQ(shown(), edited);
    EXPECT_EQ(view.messages.size(), 1u);
}

TEST_F(editor, OperatorCopyPasteAndSwapAreStepsOnTheShownVoice) {
    session.paste_operator(3); // nothing copied yet
    EXPECT_FALSE(session.can_undo());
    const voice_record loaded = shown();
    user_edits(1045, 5);  // ALG
    user_edits(1006, 42); // OP1 TL, then copy OP1 with the edit
    session.copy_operator(1);
    session.paste_operator(3);
    const voice_record pasted = shown();
    EXPECT_EQ(view.algorithm_picture, 5);
    EXPECT_EQ(copy_operator(pasted, 3), copy_operator(pasted, 1));
    EXPECT_EQ(view.selection(1026), 42);
    session.swap_operators(2, 4);
    EXPECT_EQ(copy_operator(shown(), 2), copy_operator(pasted, 4));
    EXPECT_EQ(copy_operator(shown(), 4), copy_operator(pasted, 2));
    session.swap_operators(2, 2); // not a swap
    session.undo();
    EXPECT_EQ(shown(), pasted);
    for (int step = 0; step < 3; ++step) {
        session.undo();
    }
    EXPECT_EQ(shown(), loaded);
    EXPECT_EQ(state.current, stored_voice(0, 0)) << "operator edits leave the current voice";
}

TEST_F(editor, AnotherFileShowsFromItsFirstVoiceAndTakesTheCommits) {
    user_chooses_track(4);
    user_edits(1006, 5);
    const std::string track_path = "/music/track.bin";
    const std::vector<uint8_t> track = make_demo_track(9);
    fs.files[track_path] = track;
    view.save_answers = {true};
    session.ask_to_save(); // a Yes still writes into the file the editor showed
    EXPECT_EQ(stored_voice(4, 0)[24], 5);
    session.show_file(track_path, file_mode::bare_track);
    EXPECT_EQ(view.enabled, voice_editor_enabled{.track_list = false});
    EXPECT_EQ(state.track_offset, 0u);
    EXPECT_EQ(state.current_index, 0);
    voice_record first{};
    std::copy_n(track.begin() + (track[0] << 8 | track[1]), 25, first.begin());
    EXPECT_EQ(shown(), swap_voice_order(first));
    EXPECT_FALSE(session.can_undo());
    const auto rom_now = file();

    user_edits(1045, 3);
    session.save_to_rom();
    EXPECT_EQ(file(), rom_now) << "the earlier file is left alone";
    EXPECT_EQ(fs.files[track_path][std::size_t(track[0] << 8 | track[1])] & 7, 3);

    session.show_file(path, file_mode::rom_image);
    EXPECT_EQ(view.enabled, voice_editor_enabled{}) << "another file shows its own states";
    EXPECT_EQ(view.track, 0);
    EXPECT_EQ(state.current, stored_voice(0, 0));
}

enum class report { selection, click };

// Changes what the control shows, as the user's pick or click would before it reports.
void user_changes(test::fake_voice_editor_view& view, uint16_t control) {
    for (const field_control& c : voice_field_controls()) {
        if (c.control_id == control && c.field->display == field_display::check_box) {
            view.check(control, !view.checked(control));
        } else if (c.control_id == control) {
            view.select(control, (view.selection(control) + 1) % c.field->entries);
        }
    }
}

TEST(voice_editor_reports, OnlyTheDialogsListsMarkTheVoiceModified) {
    const struct {
        const char* what;
        report kind;
        uint16_t control;
        bool marks_modified, undo_step, redraws_picture;
    } cases[] = {
        {"an operator list", report::selection, IDC_OP3_RR, true, true, false},
        {"the ALG list", report::selection, IDC_ALG_LIST, true, true, true},
        {"the FBL list", report::selection, IDC_FBL_LIST, true, true, false},
        {"the Import list", report::selection, IDC_IMPORT_LIST, true, false, false},
        {"the Export bank list", report::selection, IDC_EXPORT_LIST, true, false, false},
        {"Ctrl+K, an accelerator", report::selection, IDM_KEYBOARD_WINDOW, false, false, false},
        {"F5, an accelerator", report::selection, IDM_PLAY_TRACK, false, false, false},
        {"the Voice Name field", report::selection, IDC_VOICE_NAME, false, false, false},
        {"OP1's AME box", report::click, IDC_OP1_AME, false, true, false},
        {"OP4's AME box", report::click, IDC_OP4_AME, false, true, false},
        {"Save to ROM (IDOK)", report::click, 1, false, false, false},
        {"a list's id clicked", report::click, IDC_TRACK_LIST, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::voice_editor_in_memory editor;
        user_changes(editor.view, c.control);
        editor.view.algorithm_picture = -1;
        if (c.kind == report::selection) {
            editor.session.selection_changed(c.control);
        } else {
            editor.session.box_clicked(c.control);
        }
        EXPECT_EQ(editor.state.modified, c.marks_modified);
        EXPECT_EQ(editor.session.can_undo(), c.undo_step);
        EXPECT_EQ(editor.view.algorithm_picture,
                  c.redraws_picture ? editor.view.selection(IDC_ALG_LIST) : -1);
        EXPECT_EQ(editor.view.prompts, 0);
    }
}

TEST_F(editor, DoubleClicksAndTypingReachOnlyTheirOwnControls) {
    state.source = import_source::bank;
    state.imported_bank = {{test::counting_record(0), "Sent"}};
    view.import_index = 0;
    session.list_double_clicked(IDC_EXPORT_LIST);
    session.list_double_clicked(IDC_VOICE_LIST);
    EXPECT_EQ(state.export_bank.count(), 0);
    session.list_double_clicked(IDC_IMPORT_LIST);
    ASSERT_EQ(state.export_bank.count(), 1);
    EXPECT_EQ(state.export_bank.entries()[0].voice, test::counting_record(0));

    view.export_index = 0;
    view.name_field.clear();
    session.selection_changed(IDC_EXPORT_LIST);
    EXPECT_EQ(view.name_field, "Sent") << "a pick in the list shows its name";
    session.text_changed(IDC_EXPORT_LIST, "Elsewhere");
    EXPECT_EQ(state.export_bank.entries()[0].name, "Sent");
    session.text_changed(IDC_VOICE_NAME, "Warm Brass Lead");
    EXPECT_EQ(state.export_bank.entries()[0].name, "Warm Brass");
}

// Each case's steps: e edits a list, u undoes, r redoes, 1 and 5 copy that operator, v picks
// another voice, p plays the track and s stops it.
TEST(enabled_states, VoiceEditorSetFollowsTheModel) {
    constexpr std::array<bool, 4> all_four{true, true, true, true};
    const struct {
        file_mode mode;
        const char* steps;
        voice_editor_enabled expected;
    } cases[] = {
        {file_mode::rom_image, "", {}},
        {file_mode::bare_track, "", {.track_list = false}},
        {file_mode::rom_image, "e", {.undo = true}},
        {file_mode::rom_image, "eu", {.redo = true}},
        {file_mode::rom_image, "eur", {.undo = true}},
        {file_mode::rom_image, "1", {.paste_operator = all_four}},
        {file_mode::rom_image, "5", {}}, // no operator 5
        {file_mode::rom_image, "ev", {}},
        {file_mode::rom_image, "p", {.stop_track = true}},
        {file_mode::rom_image, "ps", {}},
        {file_mode::bare_track,
         "e1p",
         {.track_list = false, .undo = true, .stop_track = true, .paste_operator = all_four}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps);
        test::voice_editor_in_memory e(c.mode);
        for (const char step : std::string_view(c.steps)) {
            if (step == 'e') {
                e.view.select(IDC_OP2_TL, e.view.selection(IDC_OP2_TL) + 1);
                e.session.selection_changed(IDC_OP2_TL);
            } else if (step == 'u' || step == 'r') {
                step == 'u' ? e.session.undo() : e.session.redo();
            } else if (step == '1' || step == '5') {
                e.session.copy_operator(step - '0');
            } else if (step == 'v') {
                e.view.voice = 1;
                e.session.selection_changed(IDC_VOICE_LIST);
            } else {
                step == 'p' ? e.session.play_track() : e.session.stop_track();
            }
        }
        EXPECT_EQ(voice_editor_enabled_states(e.session), c.expected);
        if (*c.steps == 0) {
            EXPECT_EQ(e.view.enabled, c.expected) << "shown on opening";
        }
    }
}

} // namespace
} // namespace kavelo
