#pragma once
// Keeps a looping device buffer (a ring of frames) fed from a renderer that runs a short
// lead ahead of the play cursor. The device reports its play cursor and the write cursor
// (the first frame it has not committed to playing); the feeder says which frames to
// render and which played frames to clear, so that a late refill lets the cursor run into
// silence, never into sound it has already played. All positions are frames in the ring.

#include <array>
#include <cstdint>

namespace kavelo {

struct ring_span {
    uint32_t start = 0;
    uint32_t count = 0;
};

struct feed_plan {
    ring_span silence;    // clear these first
    ring_span render;     // then write this many fresh frames here
    bool stalled = false; // the cursor ran past the fresh frames since the last refill
};

class stream_feeder {
  public:
    // `lead` frames are kept fresh ahead of the play cursor, at least `guard` beyond the
    // device's write cursor. A device whose play cursor leaps further between two refills
    // than time went by (it moves in whole periods) gets one such leap plus its write lead
    // instead, up to a quarter of the ring: less would run dry at every leap.
    stream_feeder(uint32_t ring_frames, uint32_t lead_frames, uint32_t guard_frames);

    // One refill, with the device's cursors and a monotonic clock in frames. The first
    // call starts at the write cursor; the ring is expected to start silent.
    feed_plan refill(uint32_t play, uint32_t write, uint64_t now_frames);

    uint32_t stalls() const { return stalls_; }
    // How far ahead of the play cursor the last refill left fresh frames.
    uint32_t lead_frames() const { return last_target_; }
    uint32_t ring_frames() const { return ring_; }

  private:
    uint32_t distance(uint32_t from, uint32_t to) const { return (to + ring_ - from) % ring_; }

    uint32_t ring_;
    uint32_t lead_;
    uint32_t guard_;
    bool started_ = false;
    uint32_t last_play_ = 0;
    uint32_t write_pos_ = 0; // end of the fresh frames
    uint64_t last_now_ = 0;
    uint32_t stalls_ = 0;
    uint32_t largest_leap_ = 0;
    uint32_t last_target_ = 0;
};

// A span of the ring as at most two straight pieces (the second empty unless it wraps).
std::array<ring_span, 2> split_ring(ring_span span, uint32_t ring_frames);

} // namespace kavelo
