// Play in the two editors: the shown track with the editor's unsaved state plays, an edit is
// heard at once, leaving the track stops it, and nothing is written.

#include "demo/demo_rom.h"
#include "fake_header_editor_view.h"
#include "fake_voice_editor_view.h"
#include "header_editor/header_editor_session.h"
#include "rom/track_table.h"
#include "test_support.h"
#include "voice_editor/voice_editor_session.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

constexpr uint32_t half_second = track_output_rate / 2;
constexpr int32_t basalt = 2;
constexpr uint16_t op4_tl = 1036;

// A scratch copy of the demo ROM open in an editor at Basalt Zone.
template <class State, class View, class Session> struct editor_fixture : ::testing::Test {
    test::scratch_dir dir;
    std::string path = dir.file("rom.bin");
    std::vector<uint8_t> original = make_demo_rom();
    State state;
    View view;
    Session session{state, view,
                    rom_access{native_file_system(), path, file_mode::rom_image,
                               [this](std::string_view line) { view.log(line); }}};
    void SetUp() override {
        test::write_bytes(path, original);
        session.open();
        view.track = basalt;
        session.choose_track();
    }
    track_source file_track() const {
        return {original, file_mode::rom_image, track_table[basalt].start};
    }
};

struct editor_play
    : editor_fixture<voice_editor_state, test::fake_voice_editor_view, voice_editor_session> {
    // The demo track with the voice put in at `index`, as the file would hold it.
    track_source track_with(int32_t index, const voice_record& working) const {
        track_source source = file_track();
        voice_table table = state.table;
        table.voices[static_cast<std::size_t>(index)] = working;
        put_track_voices(source, std::span(table.voices).first(table.count));
        return source;
    }
};

TEST_F(editor_play, plays_the_shown_voice_unsaved_and_writes_nothing) {
    view.select(op4_tl, 90); // voice 0, OP4's total level: not saved
    session.selection_changed(op4_tl);
    const voice_record shown = voice_editor_read_voice(view);
    session.play_track();
    ASSERT_TRUE(session.playing());
    EXPECT_EQ(view.log_lines.back(), "  * Playing Basalt Zone");
    EXPECT_TRUE(view.sound.play_lead_in());
    const std::vector<int16_t> heard = view.sound.play(2 * half_second);
    EXPECT_EQ(heard, test::rendered_track(track_with(0, shown), 2 * half_second));
    EXPECT_NE(heard, test::rendered_track(file_track(), 2 * half_second)) << "the edit is heard";
    session.stop_track();
    EXPECT_EQ(view.log_lines.back(), "  * Stopped Basalt Zone");
    EXPECT_EQ(test::read_bytes(path), original);
    EXPECT_TRUE(state.modified) << "playing saves nothing, so the edit still asks";
}

TEST_F(editor_play, an_edit_while_playing_is_heard_at_once_and_another_voice_plays_on) {
    session.play_track();
    EXPECT_TRUE(view.sound.play_lead_in());
    std::vector<int16_t> heard = view.sound.play(half_second);
    session.follow_shown_voice(); // after a command that changed nothing
    view.select(op4_tl, 100);
    session.selection_changed(op4_tl);
    session.follow_shown_voice();
    const voice_record edited = voice_editor_read_voice(view);
    view.voice = 1; // No at the prompt: the edit is not saved, but it still plays
    session.choose_voice();
    session.follow_shown_voice();
    EXPECT_TRUE(session.playing()) << "choosing another voice keeps playing";
    const std::vector<int16_t> after = view.sound.play(half_second);
    heard.insert(heard.end(), after.begin(), after.end());
    EXPECT_EQ(heard,
              test::rendered_track(file_track(), 2 * half_second,
                                   test::voice_edit{half_second, 0, swap_voice_order(edited)}));
}

using fake_header_view = test::fake_header_editor_view;

using header_play = editor_fixture<header_editor_state, fake_header_view, header_editor_session>;

TEST_F(header_play, plays_the_fields_as_typed_uncommitted_and_a_press_or_another_track_stops) {
    const uint32_t start = track_table[basalt].start;
    view.fields[1062] = "2";  // Song Tempo
    view.fields[1071] = "30"; // FM channel 1's volume
    session.play_or_stop();
    ASSERT_TRUE(session.playing());
    EXPECT_TRUE(view.says_stop);
    track_source typed = file_track();
    typed.image[start + 5] = 2;
    typed.image[start + 13] = 30;
    EXPECT_TRUE(view.sound.play_lead_in());
    const std::vector<int16_t> heard = view.sound.play(2 * half_second);
    EXPECT_EQ(heard, test::rendered_track(typed, 2 * half_second));
    EXPECT_NE(heard, test::rendered_track(file_track(), 2 * half_second));
    EXPECT_EQ(test::read_bytes(path), original);

    session.play_or_stop();
    EXPECT_FALSE(session.playing());
    EXPECT_FALSE(view.says_stop);
    EXPECT_EQ(view.log_lines.back(), "  * Stopped Basalt Zone");

    session.play_or_stop();
    view.track = 4; // another track stops it too
    session.choose_track();
    EXPECT_FALSE(session.playing());
    EXPECT_FALSE(view.says_stop);
    EXPECT_FALSE(view.sound.running());
}

} // namespace
} // namespace kavelo
