// The enabled and disabled states of both editors, each set computed from the model alone:
// the file mode, the undo history, the operator clipboard, a playing track or preview, and
// the track header's layout.

#include "header_editor/header_editor_enabled.h"
#include "rom/track_table.h"
#include "voice_editor_in_memory.h"

#include <gtest/gtest.h>

#include <set>
#include <string_view>

namespace kavelo {
namespace {

using test::voice_editor_in_memory;

// The user's pick in an operator list, as the dialog reports it.
void edit_a_list(voice_editor_in_memory& editor) {
    editor.view.select(IDC_OP2_TL, editor.view.selection(IDC_OP2_TL) + 1);
    editor.session.selection_changed(IDC_OP2_TL);
}

constexpr voice_editor_enabled fresh{};
constexpr std::array<bool, 4> all_four{true, true, true, true};

TEST(enabled_states, VoiceEditorSetFollowsTheModel) {
    const struct {
        const char* what;
        file_mode mode;
        void (*steps)(voice_editor_in_memory&);
        voice_editor_enabled expected;
    } cases[] = {
        {"a ROM image just opened", file_mode::rom_image, [](voice_editor_in_memory&) {}, fresh},
        {"a bare track just opened",
         file_mode::bare_track,
         [](voice_editor_in_memory&) {},
         {.track_list = false}},
        {"after an edit", file_mode::rom_image, edit_a_list, {.undo = true}},
        {"after an edit and its undo",
         file_mode::rom_image,
         [](voice_editor_in_memory& e) {
             edit_a_list(e);
             e.session.undo();
         },
         {.redo = true}},
        {"after undo and redo",
         file_mode::rom_image,
         [](voice_editor_in_memory& e) {
             edit_a_list(e);
             e.session.undo();
             e.session.redo();
         },
         {.undo = true}},
        {"an operator copied",
         file_mode::rom_image,
         [](voice_editor_in_memory& e) { e.session.copy_operator(3); },
         {.paste_operator = all_four}},
        {"an operator number out of range copied", file_mode::rom_image,
         [](voice_editor_in_memory& e) { e.session.copy_operator(5); }, fresh},
        {"another voice chosen after an edit", file_mode::rom_image,
         [](voice_editor_in_memory& e) {
             edit_a_list(e);
             e.view.voice = 1;
             e.session.selection_changed(IDC_VOICE_LIST);
         },
         fresh},
        {"while a track plays",
         file_mode::rom_image,
         [](voice_editor_in_memory& e) { e.session.play_track(); },
         {.stop_track = true}},
        {"a track played and stopped", file_mode::rom_image,
         [](voice_editor_in_memory& e) {
             e.session.play_track();
             e.session.stop_track();
         },
         fresh},
        {"a bare track edited and playing, an operator copied",
         file_mode::bare_track,
         [](voice_editor_in_memory& e) {
             edit_a_list(e);
             e.session.copy_operator(1);
             e.session.play_track();
         },
         {.track_list = false, .undo = true, .stop_track = true, .paste_operator = all_four}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        voice_editor_in_memory editor(c.mode);
        c.steps(editor);
        EXPECT_EQ(voice_editor_enabled_states(editor.session), c.expected);
    }
}

TEST(enabled_states, VoiceEditorShowsItsSetOnOpeningAndAroundThePreview) {
    voice_editor_in_memory editor(file_mode::bare_track);
    EXPECT_EQ(editor.view.enabled, voice_editor_enabled{.track_list = false});
    editor.session.show_file(editor.path, file_mode::rom_image);
    EXPECT_EQ(editor.view.enabled, fresh) << "another file shows its own states";

    editor.session.preview();
    ASSERT_EQ(editor.view.enabled_while_played.size(), 1u);
    EXPECT_EQ(editor.view.enabled_while_played[0], voice_editor_enabled{.preview = false});
    EXPECT_EQ(editor.view.enabled, fresh) << "Preview is enabled again once its note ends";
}

// A header whose bytes 2 and 3 are `fm` and `psg`.
track_header header_with_counts(uint8_t fm, uint8_t psg) {
    track_header header;
    header[2] = fm;
    header[3] = psg;
    return header;
}

TEST(enabled_states, HeaderEditorSetFollowsTheLayoutAndTheFileMode) {
    using names = std::set<std::string_view>;
    const names no_fm6{"fm6_key", "fm6_volume"};
    const names fm_from_3{"fm3_key", "fm3_volume", "fm4_key", "fm4_volume",
                          "fm5_key", "fm5_volume", "fm6_key", "fm6_volume"};
    const struct {
        const char* what;
        track_header header;
        file_mode mode;
        bool track_list;
        names disabled;
    } cases[] = {
        {"a ROM image's fixed layout", header_with_counts(0, 0), file_mode::rom_image, true,
         no_fm6},
        {"a bare track's fixed layout", header_with_counts(0, 0), file_mode::bare_track, false,
         no_fm6},
        {"six FM channels and three PSG", header_with_counts(7, 3), file_mode::rom_image, true, {}},
        {"the drum entry only",
         header_with_counts(1, 0),
         file_mode::rom_image,
         true,
         {"psg1_key", "psg1_volume", "psg2_key", "psg2_volume", "psg3_key", "psg3_volume",
          "fm1_key", "fm1_volume", "fm2_key", "fm2_volume", "fm3_key", "fm3_volume", "fm4_key",
          "fm4_volume", "fm5_key", "fm5_volume", "fm6_key", "fm6_volume"}},
        {"two FM channels and two PSG", header_with_counts(3, 2), file_mode::bare_track, false,
         [&] {
             names n = fm_from_3;
             n.insert({"psg3_key", "psg3_volume"});
             return n;
         }()},
        {"an FM count past 7 is the fixed layout", header_with_counts(8, 1), file_mode::rom_image,
         true, no_fm6},
        {"a PSG count past 3 is the fixed layout", header_with_counts(3, 4), file_mode::rom_image,
         true, no_fm6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const header_editor_enabled states = header_editor_enabled_states(c.header, c.mode);
        EXPECT_EQ(states.track_list, c.track_list);
        for (std::size_t i = 0; i < header_fields.size(); ++i) {
            EXPECT_EQ(states.fields[i], !c.disabled.contains(header_fields[i].name))
                << header_fields[i].name;
        }
    }
}

} // namespace
} // namespace kavelo
