// The Voice editor's answer to each report of its controls: which list selections mark the
// voice modified, which changes are undo steps, and which ids are no control of its own.

#include "res/resource.h"
#include "rom/track_table.h"
#include "test_support.h"
#include "voice_editor_in_memory.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

using test::voice_editor_in_memory;

enum class report { selection, click };

constexpr uint16_t save_to_rom_button = 1; // IDOK

// Changes what the control shows, as the user's pick or click would before it reports.
void user_changes(test::fake_voice_editor_view& view, uint16_t control) {
    for (const field_control& c : voice_field_controls()) {
        if (c.control_id != control) {
            continue;
        }
        if (c.field->display == field_display::check_box) {
            view.check(control, !view.checked(control));
        } else {
            view.select(control, (view.selection(control) + 1) % c.field->entries);
        }
    }
}

TEST(voice_editor_reports, OnlyTheDialogsListsMarkTheVoiceModified) {
    const struct {
        const char* what;
        report kind;
        uint16_t control;
        bool marks_modified;
        bool undo_step;
        bool redraws_picture;
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
        {"Save to ROM", report::click, save_to_rom_button, false, false, false},
        {"a list's id clicked", report::click, IDC_TRACK_LIST, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        voice_editor_in_memory editor;
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

TEST(voice_editor_reports, TrackAndVoiceListsChooseAndAskOnlyForAnEditedVoice) {
    const struct {
        const char* what;
        uint16_t control;
        void (*pick)(test::fake_voice_editor_view&);
        uint32_t track_offset;
        int32_t voice;
    } cases[] = {
        {"the track list", IDC_TRACK_LIST, [](test::fake_voice_editor_view& v) { v.track = 3; },
         track_table[3].start, 0},
        {"the voice list", IDC_VOICE_LIST, [](test::fake_voice_editor_view& v) { v.voice = 2; },
         track_table[0].start, 2},
    };
    for (const auto& c : cases) {
        for (const bool edited : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (edited ? ", after an edit" : ""));
            voice_editor_in_memory editor;
            if (edited) {
                user_changes(editor.view, IDC_OP2_TL);
                editor.session.selection_changed(IDC_OP2_TL);
            }
            c.pick(editor.view);
            editor.session.selection_changed(c.control);
            EXPECT_EQ(editor.view.prompts, edited ? 1 : 0);
            EXPECT_FALSE(editor.state.modified);
            EXPECT_EQ(editor.state.track_offset, c.track_offset);
            EXPECT_EQ(editor.state.current_index, c.voice);
            EXPECT_FALSE(editor.session.can_undo()) << "a chosen voice starts its own history";
        }
    }
}

TEST(voice_editor_reports, DoubleClicksAndTypingReachOnlyTheirOwnControls) {
    voice_editor_in_memory editor;
    editor.state.source = import_source::bank;
    editor.state.imported_bank = {{test::counting_record(0), "Sent"}};
    editor.view.import_index = 0;

    editor.session.list_double_clicked(IDC_EXPORT_LIST);
    editor.session.list_double_clicked(IDC_VOICE_LIST);
    EXPECT_EQ(editor.state.export_bank.count(), 0);
    editor.session.list_double_clicked(IDC_IMPORT_LIST);
    ASSERT_EQ(editor.state.export_bank.count(), 1);
    EXPECT_EQ(editor.state.export_bank.entries()[0].voice, test::counting_record(0));

    editor.view.export_index = 0;
    editor.view.name_field.clear();
    editor.session.selection_changed(IDC_EXPORT_LIST);
    EXPECT_EQ(editor.view.name_field, "Sent") << "a pick in the list shows its name";
    editor.session.text_changed(IDC_EXPORT_LIST, "Elsewhere");
    EXPECT_EQ(editor.state.export_bank.entries()[0].name, "Sent");
    editor.session.text_changed(IDC_VOICE_NAME, "Warm Brass Lead");
    EXPECT_EQ(editor.state.export_bank.entries()[0].name, "Warm Brass");
}

} // namespace
} // namespace kavelo
