// The drum player's sample lengths by their pitches.

#include "drums/drum_player.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

using bytes = std::vector<uint8_t>;

// Three 850-byte samples at the game's pitches and a long sample of the ROM's length.
drum_kit timing_kit() {
    drum_kit kit;
    kit.dpcm = {bytes(850), bytes(850), bytes(850)};
    kit.pitch = {0x17, 0x01, 0x1B};
    kit.long_pcm = bytes(27000, 0xB0);
    return kit;
}

// Frames rendered one at a time until the sample has ended.
int32_t frames_playing(drum_player& player) {
    std::vector<int16_t> frame(1);
    int32_t frames = 0;
    do {
        player.render(frame);
        ++frames;
    } while (player.playing() && frames < 200000);
    return frames;
}

TEST(drum_player, samples_last_as_long_as_their_nominal_rates_say) {
    struct timing {
        const char* name;
        int32_t timpani_pitch; // -1: the kit's own
        uint8_t handed_over;
        std::size_t values;
        double rate; // Hz
    };
    const std::vector<timing> cases = {
        {"kick at 0x17", -1, 0x81, 1700, 8200.6},
        {"timpani at 0 (256)", 0x00, 0x83, 1700, 2 * 3579545.0 / (301 + 26 * 255)},
        {"kick keeps its pitch when the timpani's changes", 0x12, 0x81, 1700, 8200.6},
        {"long sample", -1, 0x87, 27000, 16270.7},
    };
    for (const timing& c : cases) {
        SCOPED_TRACE(c.name);
        drum_player player(timing_kit());
        if (c.timpani_pitch >= 0) {
            player.set_timpani_pitch(static_cast<uint8_t>(c.timpani_pitch));
        }
        player.trigger(c.handed_over);
        EXPECT_NEAR(frames_playing(player), c.values / c.rate * 44100.0, 1.0);
    }
}

} // namespace
} // namespace kavelo
