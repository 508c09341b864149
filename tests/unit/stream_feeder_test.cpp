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

TEST(stream_feeder, the_lead_stays_at_the_devices_target_through_stalls_and_bursts) {
    // Devices: smooth, 10 ms steps, 500-frame leaps at 2.5x, 36 ms steps at 3.5x (Wine's dsound
    // over ALSA's file capture). The target is the lead, or the guard past the write cursor
    // after one step; a stall, two long ones or a burst leave it alone, refills that keep
    // coming late raise it until they stop a while.
    struct device_case {
        device_kind kind;
        uint32_t target;
    };
    enum class disturbance { none, one_stall, long_stalls, a_burst, late_refills };
    constexpr uint64_t late_by = 3 * refill_every;
    for (const device_case& d :
         {device_case{{1, 1, 300}, lead}, device_case{{1, 1, 1000}, 1396},
          device_case{{441, 1, 441}, 1102}, device_case{{1, 3, 441}, 1189},
          device_case{{500, 2.5, 441}, 1161}, device_case{{1588, 3.5, 441}, 2249}}) {
        for (const disturbance what :
             {disturbance::none, disturbance::one_stall, disturbance::long_stalls,
              disturbance::a_burst, disturbance::late_refills}) {
            if (what == disturbance::long_stalls && d.kind.rate != 1) {
                continue; // a faster cursor comes round the ring to old frames in a long stall
            }
            SCOPED_TRACE(testing::Message() << d.kind.step << " x" << d.kind.rate << ", "
                                            << static_cast<int32_t>(what));
            rig r(d.kind);
            const stream_feeder& feeder = r.feeder;
            uint64_t clock = 0;
            uint32_t disturbances = 0;
            uint32_t stalls_learning = 0;
            for (int32_t i = 0; i < 1200; ++i) {
                const bool busy = what == disturbance::late_refills && i >= 100 && i < 500;
                const bool twice = what == disturbance::long_stalls && i == 110;
                const bool disturbed =
                    busy ? i % 10 == 0 : twice || (what != disturbance::none && i == 100);
                disturbances += disturbed ? 1 : 0;
                // A stall of 23 ms, two long ones of half the ring; late refills come after
                // three periods.
                const uint64_t late = what == disturbance::one_stall     ? 1000
                                      : what == disturbance::long_stalls ? ring / 2
                                                                         : late_by;
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
            // The stamps played come in order: no frame is heard twice or after a later one.
            uint64_t last = 0;
            for (const uint64_t stamp : r.device.played) {
                ASSERT_TRUE(stamp == 0 || stamp > last) << "old sound replayed";
                last = std::max(last, stamp);
            }
        }
    }
}

} // namespace
} // namespace kavelo
