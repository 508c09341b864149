// The streaming feeder against a fake device: a ring of frame stamps played by a cursor
// that a fake clock moves, refilled at chosen times.

#include "keyboard/stream_feeder.h"

#include <gtest/gtest.h>
#include <vector>

namespace kavelo {
namespace {

constexpr uint32_t ring = 4096;
constexpr uint32_t lead = 882; // 20 ms at 44100 Hz
constexpr uint32_t guard = 220;

// The device: plays one frame per clock tick; its write cursor runs `write_lead` ahead.
struct fake_device {
    std::vector<uint64_t> frames = std::vector<uint64_t>(ring, 0); // 0 is silence
    uint64_t clock = 0;
    uint32_t write_lead = 300;
    std::vector<uint64_t> played;

    uint32_t play() const { return static_cast<uint32_t>(clock % ring); }
    uint32_t write() const { return static_cast<uint32_t>((clock + write_lead) % ring); }
    void run(uint64_t ticks) {
        for (uint64_t i = 0; i < ticks; ++i) {
            played.push_back(frames[play()]);
            ++clock;
        }
    }
};

// Applies a plan the way the window does: clear, then write stamps of rendered frames.
struct fake_renderer {
    uint64_t next_stamp = 1;
    void apply(const feed_plan& plan, fake_device& device) {
        for (const ring_span& s : split_ring(plan.silence, ring)) {
            for (uint32_t i = 0; i < s.count; ++i) {
                device.frames[s.start + i] = 0;
            }
        }
        for (const ring_span& s : split_ring(plan.render, ring)) {
            for (uint32_t i = 0; i < s.count; ++i) {
                device.frames[s.start + i] = next_stamp++;
            }
        }
    }
};

TEST(stream_feeder, steady_refills_keep_the_lead_and_play_every_frame_once_in_order) {
    for (const uint32_t interval : {1u, 97u, 220u, 500u}) {
        SCOPED_TRACE(interval);
        fake_device device;
        fake_renderer renderer;
        stream_feeder feeder(ring, lead, guard);
        for (int32_t i = 0; i < 200; ++i) {
            const feed_plan plan = feeder.refill(device.play(), device.write(), device.clock);
            EXPECT_FALSE(plan.stalled);
            renderer.apply(plan, device);
            // Fresh frames reach exactly `lead` beyond the play cursor.
            const uint32_t end = (plan.render.start + plan.render.count) % ring;
            EXPECT_EQ((end + ring - device.play()) % ring, lead);
            device.run(interval);
        }
        // After the first write-lead frames of start-up silence, no gap and no repeat.
        const std::size_t start = device.write_lead;
        for (std::size_t i = start; i < device.played.size(); ++i) {
            ASSERT_EQ(device.played[i], i - start + 1) << "frame " << i;
        }
        EXPECT_EQ(feeder.stalls(), 0u);
    }
}

TEST(stream_feeder, a_late_refill_plays_silence_then_fresh_frames_never_old_ones) {
    // Stalls shorter and longer than half the ring, up to a ring less the device's write
    // lead: only the device itself could stop a longer one from coming round to the last
    // fresh frames again (the window's ring is a second long).
    for (const uint64_t stall : {600ull, 1500ull, 2047ull, 3000ull, 3796ull}) {
        SCOPED_TRACE(stall);
        fake_device device;
        fake_renderer renderer;
        stream_feeder feeder(ring, lead, guard);
        for (int32_t i = 0; i < 30; ++i) {
            renderer.apply(feeder.refill(device.play(), device.write(), device.clock), device);
            device.run(i == 20 ? stall : 200);
        }
        EXPECT_EQ(feeder.stalls(), 1u);
        uint64_t last = 0;
        std::size_t silent_after_start = 0;
        for (std::size_t i = device.write_lead; i < device.played.size(); ++i) {
            const uint64_t stamp = device.played[i];
            if (stamp == 0) {
                ++silent_after_start;
                continue;
            }
            ASSERT_GT(stamp, last) << "frame " << i << " replays old sound";
            last = stamp;
        }
        // The gap is the stall less the lead, plus the device's write lead after it.
        EXPECT_EQ(silent_after_start, stall - lead + device.write_lead);
    }
}

TEST(stream_feeder, a_write_cursor_beyond_the_lead_gets_the_guard_past_it) {
    fake_device device;
    device.write_lead = 1000; // more than the 882-frame lead
    fake_renderer renderer;
    stream_feeder feeder(ring, lead, guard);
    for (int32_t i = 0; i < 50; ++i) {
        const feed_plan plan = feeder.refill(device.play(), device.write(), device.clock);
        renderer.apply(plan, device);
        const uint32_t end = (plan.render.start + plan.render.count) % ring;
        EXPECT_EQ((end + ring - device.play()) % ring, device.write_lead + guard);
        device.run(150);
    }
    EXPECT_EQ(feeder.stalls(), 0u);
}

TEST(stream_feeder, a_cursor_that_leaps_by_periods_gets_one_leap_plus_the_write_lead) {
    // A device that moves its play cursor 441 frames (10 ms) at a time, its write cursor
    // one period ahead, and one that leaps 500 frames at two and a half times real time
    // (as Wine's dsound does over ALSA's null device).
    struct device_kind {
        uint32_t leap;
        uint32_t every; // clock frames between leaps
        uint32_t expected_lead;
    };
    for (const device_kind& kind : {device_kind{441, 441, lead}, device_kind{500, 200, 941}}) {
        SCOPED_TRACE(kind.leap);
        fake_device device;
        device.write_lead = 441;
        fake_renderer renderer;
        stream_feeder feeder(ring, lead, guard);
        uint64_t clock = 0;
        uint32_t stalls_after_first_leaps = 0;
        for (int32_t i = 0; i < 2000; ++i) {
            const uint32_t position = static_cast<uint32_t>(clock / kind.every * kind.leap);
            device.clock = position; // play() and write() read the device's clock
            const feed_plan plan = feeder.refill(device.play(), device.write(), clock);
            if (i > 50 && plan.stalled) {
                ++stalls_after_first_leaps;
            }
            renderer.apply(plan, device);
            clock += 176; // a refill every 4 ms
        }
        EXPECT_EQ(stalls_after_first_leaps, 0u);
        EXPECT_EQ(feeder.lead_frames(), kind.expected_lead);
    }
}

TEST(stream_feeder, spans_split_where_the_ring_wraps) {
    struct split {
        ring_span in;
        ring_span first, second;
    };
    for (const split& s :
         {split{{0, 10}, {0, 10}, {0, 0}}, split{{4090, 6}, {4090, 6}, {0, 0}},
          split{{4090, 10}, {4090, 6}, {0, 4}}, split{{4095, 4096}, {4095, 1}, {0, 4095}},
          split{{8190, 10}, {4094, 2}, {0, 8}}, split{{5, 9999}, {5, 4091}, {0, 5}}}) {
        const std::array<ring_span, 2> out = split_ring(s.in, ring);
        EXPECT_EQ(out[0].start, s.first.start);
        EXPECT_EQ(out[0].count, s.first.count);
        EXPECT_EQ(out[1].start, s.second.start);
        EXPECT_EQ(out[1].count, s.second.count);
    }
}

} // namespace
} // namespace kavelo
