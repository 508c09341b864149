#include "sound/stream_feeder.h"

#include <algorithm>
#include <functional>

namespace kavelo {

namespace {

// The device's behaviour is remembered for one to two windows of the clock (0.19 to 0.37 s
// at 44.1 kHz), so a device that changes its ways changes the lead soon after.
constexpr uint64_t window_frames = 8192;
// How far the cursor moved by each late refill is remembered for one to two seconds: a
// machine that stays busy keeps the lead that covers its late refills, one that calms
// down soon loses it.
constexpr uint64_t gap_window_frames = 44100;

} // namespace

stream_feeder::stream_feeder(uint32_t ring_frames, uint32_t lead_frames, uint32_t guard_frames,
                             uint32_t refill_frames)
    : ring_(std::max<uint32_t>(ring_frames, 2)), lead_(std::min(lead_frames, ring_ / 2)),
      guard_(std::min(guard_frames, ring_ / 4)), late_after_(2 * uint64_t{refill_frames}) {}

feed_plan stream_feeder::refill(uint32_t play, uint32_t write, uint64_t now_frames) {
    play %= ring_;
    write %= ring_;
    if (!started_) {
        started_ = true;
        last_play_ = play;
        write_pos_ = write;
        last_now_ = now_frames;
        window_start_ = now_frames;
        gap_window_start_ = now_frames;
    }
    feed_plan plan;
    const uint32_t advanced = distance(last_play_, play);
    const uint32_t fresh_before = distance(last_play_, write_pos_);
    const uint32_t write_lead = distance(play, write);
    const uint64_t elapsed = now_frames - last_now_;
    // After half a ring without a refill the cursors may have wrapped unseen.
    const bool long_stall = elapsed >= ring_ / 2;
    const bool ran_past = advanced > fresh_before || distance(play, write_pos_) < write_lead;
    if (long_stall) {
        plan.silence = {write, ring_ - write_lead};
    } else {
        plan.silence = {last_play_, advanced};
    }
    if (long_stall || ran_past) {
        plan.stalled = true;
        ++stalls_;
        write_pos_ = write;
    }
    // A late refill's advance is its lateness, not the device's step: it is left out.
    const bool on_time = !long_stall && elapsed <= late_after_;
    remember(now_frames, on_time ? advanced : 0, write_lead);
    remember_gap(now_frames, on_time || long_stall ? 0 : advanced);
    const uint32_t aim = target();
    uint32_t fresh = distance(play, write_pos_);
    // Fresh frames well beyond the target would make every later note late: they are
    // cleared, and the renderer goes on from the target.
    if (fresh > aim + guard_) {
        plan.dropped = {(play + aim) % ring_, fresh - aim};
        write_pos_ = plan.dropped.start;
        fresh = aim;
    }
    plan.render = {write_pos_, aim > fresh ? aim - fresh : 0};
    write_pos_ = (write_pos_ + plan.render.count) % ring_;
    last_lead_ = distance(play, write_pos_);
    last_target_ = aim;
    last_play_ = play;
    last_now_ = now_frames;
    return plan;
}

void stream_feeder::remember(uint64_t now_frames, uint32_t step, uint32_t write_lead) {
    if (now_frames - window_start_ >= window_frames) {
        const bool gap = now_frames - window_start_ >= 2 * window_frames;
        previous_ = gap ? device_window{} : current_;
        current_ = {};
        window_start_ = now_frames;
    }
    if (step > current_.largest_step) {
        current_.second_step = current_.largest_step;
        current_.largest_step = step;
    } else if (step > current_.second_step) {
        current_.second_step = step;
    }
    current_.write_lead = std::max(current_.write_lead, write_lead);
}

void stream_feeder::two_largest::add(uint32_t value) {
    if (value > largest) {
        second = largest;
        largest = value;
    } else if (value > second) {
        second = value;
    }
}

void stream_feeder::remember_gap(uint64_t now_frames, uint32_t gap) {
    if (now_frames - gap_window_start_ >= gap_window_frames) {
        const bool idle = now_frames - gap_window_start_ >= 2 * gap_window_frames;
        previous_gaps_ = idle ? two_largest{} : gaps_;
        gaps_ = {};
        gap_window_start_ = now_frames;
    }
    gaps_.add(gap);
}

uint32_t stream_feeder::target() const {
    // The second largest step of the two windows: a device that moves in steps shows them
    // again and again, while a single burst of the cursor is one step seen once.
    std::array<uint32_t, 4> steps{current_.largest_step, current_.second_step,
                                  previous_.largest_step, previous_.second_step};
    std::sort(steps.begin(), steps.end(), std::greater<>());
    const uint32_t write_lead = std::max(current_.write_lead, previous_.write_lead);
    // Likewise the second largest move of the cursor by a late refill: refills that keep
    // coming late need fresh frames for that long, a single late one does not.
    std::array<uint32_t, 4> gaps{gaps_.largest, gaps_.second, previous_gaps_.largest,
                                 previous_gaps_.second};
    std::sort(gaps.begin(), gaps.end(), std::greater<>());
    // Until the next refill the cursor moves a gap; the frames it leaves must still reach
    // past the write cursor.
    return std::max({lead_, write_lead + guard_,
                     std::min(steps[1] + write_lead + guard_, ring_ / 4),
                     std::min(gaps[1] + write_lead, ring_ / 4)});
}

std::array<ring_span, 2> split_ring(ring_span span, uint32_t ring_frames) {
    const uint32_t start = span.start % ring_frames;
    const uint32_t count = std::min(span.count, ring_frames);
    const uint32_t first = std::min(count, ring_frames - start);
    return {ring_span{start, first}, ring_span{0, count - first}};
}

} // namespace kavelo
