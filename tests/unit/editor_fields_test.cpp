// The voice and header field tables and the undo history of the Voice
// editor.

#include "fake_voice_editor_view.h"
#include "header_editor/header_fields.h"
#include "voice_editor/voice_fields.h"
#include "voice_editor/voice_history.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

using controls = test::fake_voice_editor_view;

voice_record shown_and_read(const voice_record& record) {
    controls shown;
    voice_editor_show_voice(record, shown);
    return voice_editor_read_voice(shown);
}

TEST(VoiceFields, EachControlShowsItsOwnBitsOfItsOwnByte) {
    voice_record record{};
    record[4] = 0x5A;  // OP1 DT/MUL
    record[21] = 0x45; // OP4 TL
    record[17] = 0xC3; // OP4 D1L/RR
    record[11] = 0x9F; // OP2 AM/D1R
    controls shown;
    voice_editor_show_voice(record, shown);
    const std::pair<uint16_t, int> lists[] = {{1004, 5},  {1005, 10}, {1036, 0x45},
                                              {1041, 12}, {1042, 3},  {1019, 31}};
    for (const auto& [id, entry] : lists) {
        EXPECT_EQ(shown.selection(id), entry) << id;
    }
    EXPECT_TRUE(shown.checked(1023));
    EXPECT_FALSE(shown.checked(1013));
}

TEST(VoiceFields, EveryFieldBitPatternSurvivesShowingAndReading) {
    const voice_record fields_only{0x3F, 0x7F, 0x12, 0x34, 0x70, 0xDF, 0x00, 0x41, 0x9F,
                                   0x80, 0x1F, 0x05, 0x9E, 0x1F, 0x00, 0x10, 0x0F, 0xF0,
                                   0x0F, 0xFF, 0x00, 0x7F, 0x00, 0x40, 0x3F};
    EXPECT_EQ(shown_and_read(fields_only), fields_only);
    // Bits 6-7 of ALG/FB, DT/MUL bit 7, RS/AR bit 5, D2R bits 5-7 and TL bit 7 have no
    // control: they read as 0.
    const voice_record unshown{0xC0, 0x80, 0,    0, 0, 0x20, 0, 0, 0, 0, 0,
                               0,    0,    0xE0, 0, 0, 0,    0, 0, 0, 0, 0x80};
    EXPECT_EQ(shown_and_read(unshown), voice_record{});
}

TEST(VoiceFields, ReleaseListsShowOddNumbersAndMissingSelectionsReadAsZero) {
    EXPECT_EQ(field_entry_text(voice_fields[10], 15), "31"); // RR
    controls picked;
    picked.select(1012, 15);  // the user picks "31" for OP1's RR
    picked.select(1045, 5);   // ALG; FB has no selection
    picked.select(1006, 200); // out of the list's range
    const voice_record record = voice_editor_read_voice(picked);
    EXPECT_EQ(record[20] & 0x0F, 15);
    EXPECT_EQ(record[0], 5);
    EXPECT_EQ(record[24], 0);
}

TEST(HeaderFields, BytesShowAsTwoCharacterDecimalsAndTextIsReadLikeTheDialogReadsIt) {
    EXPECT_EQ(format_header_byte(5), " 5");
    EXPECT_EQ(format_header_byte(244), "244");
    // "   9": the fourth character is never read.
    const std::pair<const char*, uint8_t> typed[] = {
        {" 7x", 7}, {"1234", 123}, {"-1", 255}, {"   9", 0}};
    for (const auto& [text, value] : typed) {
        EXPECT_EQ(read_header_text(text), value) << text;
    }
}

// A state whose shown voice is marked by `mark` in byte 0 and whose current voice by byte 1.
voice_snapshot history_state(uint8_t mark, uint8_t current_mark = 0) {
    voice_snapshot snapshot;
    snapshot.shown[0] = mark;
    snapshot.current[1] = current_mark;
    return snapshot;
}

TEST(VoiceHistory, ANewStepDropsTheRedoSideAndTheOldestStepsGoFirst) {
    voice_history history;
    history.reset(history_state(0));
    EXPECT_FALSE(history.record(history_state(0))) << "no change is no step";
    for (std::size_t i = 1; i <= voice_history::max_steps + 20; ++i) {
        EXPECT_TRUE(history.record(history_state(static_cast<uint8_t>(i))));
    }
    std::size_t undone = 0;
    while (history.undo()) {
        ++undone;
    }
    EXPECT_EQ(undone, voice_history::max_steps);
    EXPECT_EQ(history.present(), history_state(20)); // the oldest 20 steps went
    EXPECT_EQ(history.redo(), history_state(21));
    EXPECT_TRUE(history.record(history_state(250)));
    EXPECT_FALSE(history.can_redo());
    EXPECT_EQ(history.undo(), history_state(21));
}

} // namespace
} // namespace kavelo
