// The streaming feeder against a fake device: a ring of frame stamps played by a cursor
// that a fake clock moves, refilled at chosen times.

#include "sound/stream_feeder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace kavelo {
namespace {

constexpr uint32_t ring = 16384; // big enough for a step of 36 ms
constexpr uint32_t lead = 882;   // 20 ms at 44100 Hz
constexpr uint32_t guard = 220;
constexpr uint32_t refill_every = 176; // 4 ms

// A play cursor moving `step` frames at a time at `rate` frames a clock frame; write runs ahead.
struct device_kind {
    uint32_t step = 1;
    double rate = 1;
    uint32_t write_lead = 300;
};

struct fake_device {
    device_kind kind;
    std::vector<uint64_t> frames = std::vector<uint64_t>(ring, 0); // 0 is silence
    uint64_t position = 0;                                         // frames played so far
    uint64_t burst = 0;                                            // frames played ahead of pace
    std::vector<uint64_t> played;

    uint32_t play() const { return static_cast<uint32_t>(position % ring); }
    uint32_t write() const { return static_cast<uint32_t>((position + kind.write_lead) % ring); }
    void play_until(uint64_t end) {
        for (; position < end; ++position) {
            played.push_back(frames[play()]);
        }
    }
    // Where the cursor is at this time of the clock.
    void run_to(uint64_t clock) {
        const auto paced = static_cast<uint64_t>(static_cast<double>(clock) * kind.rate);
        play_until(paced / kind.step * kind.step + burst);
    }
    void leap(uint32_t count) {
        burst += count;
        play_until(position + count);
    }
};

// Applies a plan as the window does; every frame but the fresh ones must then be silent.
struct fake_renderer {
    uint64_t next_stamp = 1;
    void apply(const feed_plan& plan, const stream_feeder& feeder, fake_device& device) {
        for (const ring_span& cleared : {plan.silence, plan.dropped}) {
            for (const ring_span& s : split_ring(cleared, ring)) {
                std::fill_n(device.frames.begin() + s.start, s.count, 0);
            }
        }
        for (const ring_span& s : split_ring(plan.render, ring)) {
            for (uint32_t i = 0; i < s.count; ++i) {
                device.frames[s.start + i] = next_stamp++;
            }
        }
        const ring_span stale{device.play() + feeder.lead_frames(), ring - feeder.lead_frames()};
        for (const ring_span& s : split_ring(stale, ring)) {
            const auto begin = device.frames.begin() + s.start;
            ASSERT_TRUE(std::all_of(begin, begin + s.count, [](uint64_t f) { return f == 0; }))
                << "sound beyond the fresh frames";
        }
    }
};

// Stamps that were played come in order: no frame is heard twice or after a later one.
void expect_in_order(const std::vector<uint64_t>& played) {
    uint64_t last = 0;
    for (std::size_t i = 0; i < played.size(); ++i) {
        if (played[i] != 0) {
            ASSERT_GT(played[i], last) << "frame " << i << " replays old sound";
            last = played[i];
        }
    }
}

// A device, the window's renderer and a feeder refilling them at chosen clock times.
struct rig {
    fake_device device;
    fake_renderer renderer;
    stream_feeder feeder;
    explicit rig(device_kind kind = {}, uint32_t refill = refill_every)
        : feeder(ring, lead, guard, refill) {
        device.kind = kind;
    }
    feed_plan refill_at(uint64_t clock) {
        device.run_to(clock);
        const feed_plan plan = feeder.refill(device.play(), device.write(), clock);
        renderer.apply(plan, feeder, device);
        return plan;
    }
};

TEST(stream_feeder, steady_refills_keep_the_lead_and_play_every_frame_once_in_order) {
    for (const uint32_t interval : {1u, 97u, 220u, 500u}) {
        SCOPED_TRACE(interval);
        rig r;
        for (uint64_t clock = 0; clock < 200 * interval; clock += interval) {
            EXPECT_FALSE(r.refill_at(clock).stalled);
            EXPECT_EQ(r.feeder.lead_frames(), lead);
        }
        // After the first write-lead frames of start-up silence, no gap and no repeat.
        const std::size_t start = r.device.kind.write_lead;
        for (std::size_t i = start; i < r.device.played.size(); ++i) {
            ASSERT_EQ(r.device.played[i], i - start + 1) << "frame " << i;
        }
        EXPECT_EQ(r.feeder.stalls(), 0u);
    }
}

TEST(stream_feeder, a_late_refill_plays_silence_then_fresh_frames_never_old_ones) {
    // Stalls up to a ring less the write lead: a longer one comes round to old frames anyway.
    for (const uint64_t stall : {600ull, 1500ull, ring / 2 - 1ull, 12000ull, ring - 300ull}) {
        SCOPED_TRACE(stall);
        rig r({}, 200);
        uint64_t clock = 0;
        for (int32_t i = 0; i < 30; ++i) {
            r.refill_at(clock);
            clock += i == 20 ? stall : 200;
        }
        EXPECT_EQ(r.feeder.stalls(), 1u);
        const std::vector<uint64_t>& played = r.device.played;
        expect_in_order(played);
        // The gap is the stall less the lead, plus the device's write lead after it.
        const auto silent = std::count(played.begin() + r.device.kind.write_lead, played.end(), 0u);
        EXPECT_EQ(static_cast<uint64_t>(silent), stall - lead + r.device.kind.write_lead);
    }
}

TEST(stream_feeder, the_lead_stays_at_the_devices_target_through_stalls_and_bursts) {
    // Devices: smooth, 10 ms steps, 500-frame leaps at 2.5x, 36 ms steps at 3.5x (Wine's dsound
    // over ALSA's file capture). The target is the lead, or the guard past the write cursor
    // after one step; a stall or a burst leaves it alone, refills that keep coming late raise
    // it until they stop a while.
    struct device_case {
        device_kind kind;
        uint32_t target;
    };
    enum class disturbance { none, one_stall, a_burst, late_refills };
    constexpr uint64_t late_by = 3 * refill_every;
    for (const device_case& d :
         {device_case{{1, 1, 300}, lead}, device_case{{1, 1, 1000}, 1396},
          device_case{{441, 1, 441}, 1102}, device_case{{1, 3, 441}, 1189},
          device_case{{500, 2.5, 441}, 1161}, device_case{{1588, 3.5, 441}, 2249}}) {
        for (const disturbance what : {disturbance::none, disturbance::one_stall,
                                       disturbance::a_burst, disturbance::late_refills}) {
            SCOPED_TRACE(testing::Message() << d.kind.step << " x" << d.kind.rate << ", "
                                            << static_cast<int32_t>(what));
            rig r(d.kind);
            const stream_feeder& feeder = r.feeder;
            uint64_t clock = 0;
            uint32_t disturbances = 0;
            uint32_t stalls_learning = 0;
            for (int32_t i = 0; i < 1200; ++i) {
                const bool busy = what == disturbance::late_refills && i >= 100 && i < 500;
                const bool disturbed = busy ? i % 10 == 0 : what != disturbance::none && i == 100;
                disturbances += disturbed ? 1 : 0;
                // A stall of 23 ms; late refills each come after three periods.
                const uint64_t late = what == disturbance::one_stall ? 1000 : late_by;
                clock += disturbed && what != disturbance::a_burst ? late : refill_every;
                if (disturbed && what == disturbance::a_burst) {
                    r.device.run_to(clock);
                    r.device.leap(1500);
                }
                r.refill_at(clock);
                // Late refills raise the target; two seconds after the last it falls back.
                const bool raised =
                    busy || (what == disturbance::late_refills && i >= 500 &&
                             i < 500 + 2 * 44100 / static_cast<int32_t>(refill_every));
                if (i >= 50) {
                    ASSERT_EQ(feeder.lead_frames(), raised ? feeder.target_frames() : d.target)
                        << "refill " << i;
                    ASSERT_GE(feeder.target_frames(), d.target);
                }
                if (i == 50) {
                    stalls_learning = feeder.stalls();
                }
            }
            // Late refills stall only while the feeder learns them (a tenth at most).
            EXPECT_LE(feeder.stalls() - stalls_learning,
                      what == disturbance::late_refills ? disturbances / 10 : disturbances);
            EXPECT_EQ(feeder.target_frames(), d.target);
            expect_in_order(r.device.played);
        }
    }
}

TEST(stream_feeder, frames_rendered_beyond_a_target_that_fell_are_dropped_and_silenced) {
    // Once a leaping device plays smoothly, the lead falls to 20 ms in one refill.
    rig r({1588, 1, 441});
    const stream_feeder& feeder = r.feeder;
    int32_t dropped_at = -1;
    for (int32_t i = 0; i < 400; ++i) {
        if (i == 100) {
            r.device.kind.step = 1; // from here on it plays smoothly
        }
        const feed_plan plan = r.refill_at(static_cast<uint64_t>(i + 1) * refill_every);
        if (plan.dropped.count > 0) {
            EXPECT_EQ(dropped_at, -1) << "one drop";
            dropped_at = i;
            EXPECT_EQ(plan.render.count, 0u);
        }
        EXPECT_EQ(feeder.lead_frames(), i >= 50 && dropped_at < 0 ? 2249 : feeder.target_frames());
    }
    EXPECT_GT(dropped_at, 100);
    EXPECT_LT(dropped_at, 100 + 2 * 8192 / refill_every + 1);
    EXPECT_EQ(feeder.lead_frames(), lead);
    expect_in_order(r.device.played);
}

TEST(stream_feeder, spans_split_where_the_ring_wraps) {
    constexpr uint32_t small_ring = 4096;
    struct split {
        ring_span in;
        ring_span first, second;
    };
    for (const split& s :
         {split{{0, 10}, {0, 10}, {0, 0}}, split{{4090, 6}, {4090, 6}, {0, 0}},
          split{{4090, 10}, {4090, 6}, {0, 4}}, split{{4095, 4096}, {4095, 1}, {0, 4095}},
          split{{8190, 10}, {4094, 2}, {0, 8}}, split{{5, 9999}, {5, 4091}, {0, 5}}}) {
        const std::array<ring_span, 2> out = split_ring(s.in, small_ring);
        EXPECT_EQ((std::array{out[0].start, out[0].count, out[1].start, out[1].count}),
                  (std::array{s.first.start, s.first.count, s.second.start, s.second.count}))
            << s.in.start << " + " << s.in.count;
    }
}

} // namespace
} // namespace kavelo
