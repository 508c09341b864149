#include "voice_editor/voice_history.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

// A state whose shown voice is marked by `mark` in byte 0 and whose current voice by byte 1.
voice_snapshot state(uint8_t mark, uint8_t current_mark = 0) {
    voice_snapshot snapshot;
    snapshot.shown[0] = mark;
    snapshot.current[1] = current_mark;
    return snapshot;
}

TEST(VoiceHistory, UndoAndRedoWalkTheStepsAndANewStepDropsTheRedoSide) {
    voice_history history;
    history.reset(state(1));
    EXPECT_FALSE(history.can_undo());
    EXPECT_TRUE(history.record(state(2)));
    EXPECT_TRUE(history.record(state(3, 7))); // a paste: the current voice moves too

    EXPECT_EQ(history.undo(), state(2));
    EXPECT_EQ(history.undo(), state(1));
    EXPECT_EQ(history.undo(), std::nullopt);
    EXPECT_EQ(history.present(), state(1));
    EXPECT_EQ(history.redo(), state(2));
    EXPECT_EQ(history.redo(), state(3, 7));
    EXPECT_EQ(history.redo(), std::nullopt);

    history.undo();
    EXPECT_TRUE(history.record(state(4)));
    EXPECT_FALSE(history.can_redo());
    EXPECT_EQ(history.undo(), state(2));
}

TEST(VoiceHistory, NoChangeIsNoStepAndAmendingThePresentIsNone) {
    voice_history history;
    history.reset(state(1));
    EXPECT_FALSE(history.record(state(1)));
    EXPECT_FALSE(history.can_undo());
    history.amend_present(state(1, 9)); // Preview made the shown voice current
    EXPECT_FALSE(history.can_undo());
    EXPECT_TRUE(history.record(state(2, 9)));
    EXPECT_EQ(history.undo(), state(1, 9));
}

TEST(VoiceHistory, ResetForgetsEverythingAndTheOldestStepsGoFirst) {
    voice_history history;
    history.reset(state(0));
    const int steps = static_cast<int>(voice_history::max_steps) + 20;
    for (int i = 1; i <= steps; ++i) {
        history.record(state(static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8)));
    }
    int undone = 0;
    std::optional<voice_snapshot> last;
    while (std::optional<voice_snapshot> previous = history.undo()) {
        last = previous;
        ++undone;
    }
    EXPECT_EQ(undone, static_cast<int>(voice_history::max_steps));
    EXPECT_EQ(last, state(static_cast<uint8_t>(steps - voice_history::max_steps)));

    history.reset(state(5));
    EXPECT_FALSE(history.can_undo());
    EXPECT_FALSE(history.can_redo());
    EXPECT_EQ(history.present(), state(5));
}

} // namespace
} // namespace kavelo
