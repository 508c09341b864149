#include "keyboard/stream_feeder.h"

#include <algorithm>

namespace kavelo {

stream_feeder::stream_feeder(uint32_t ring_frames, uint32_t lead_frames, uint32_t guard_frames)
    : ring_(std::max<uint32_t>(ring_frames, 2)), lead_(std::min(lead_frames, ring_ / 2)),
      guard_(std::min(guard_frames, ring_ / 4)) {}

feed_plan stream_feeder::refill(uint32_t play, uint32_t write, uint64_t now_frames) {
    play %= ring_;
    write %= ring_;
    if (!started_) {
        started_ = true;
        last_play_ = play;
        write_pos_ = write;
        last_now_ = now_frames;
    }
    feed_plan plan;
    const uint32_t advanced = distance(last_play_, play);
    const uint32_t fresh_before = distance(last_play_, write_pos_);
    const uint32_t write_lead = distance(play, write);
    // After half a ring without a refill the cursors may have wrapped unseen.
    const bool long_stall = now_frames - last_now_ >= ring_ / 2;
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
    if (!long_stall && advanced > now_frames - last_now_) {
        largest_leap_ = std::max(largest_leap_, advanced);
    }
    const uint32_t fresh = distance(play, write_pos_);
    const uint32_t target =
        std::max({lead_, write_lead + guard_, std::min(largest_leap_ + write_lead, ring_ / 4)});
    last_target_ = target;
    plan.render = {write_pos_, target > fresh ? target - fresh : 0};
    write_pos_ = (write_pos_ + plan.render.count) % ring_;
    last_play_ = play;
    last_now_ = now_frames;
    return plan;
}

std::array<ring_span, 2> split_ring(ring_span span, uint32_t ring_frames) {
    const uint32_t start = span.start % ring_frames;
    const uint32_t count = std::min(span.count, ring_frames);
    const uint32_t first = std::min(count, ring_frames - start);
    return {ring_span{start, first}, ring_span{0, count - first}};
}

} // namespace kavelo
