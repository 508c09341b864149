#pragma once
// Keeps a looping device buffer (a ring of frames) fed from a renderer that runs a short
// lead ahead of the play cursor. The device reports its play cursor and the write cursor
// (the first frame it has not committed to playing); the feeder says which frames to
// render and which to clear, so that a late refill lets the cursor run into silence,
// never into sound it has already played. All positions are frames in the ring.

#include <array>
#include <cstdint>

namespace kavelo {

struct ring_span {
    uint32_t start = 0;
    uint32_t count = 0;
};

struct feed_plan {
    ring_span silence;    // clear these first: frames the cursor has passed
    ring_span dropped;    // and these: fresh frames further ahead than the lead needs
    ring_span render;     // then write this many fresh frames here
    bool stalled = false; // the cursor ran past the fresh frames since the last refill
};

class stream_feeder {
  public:
    // `lead` frames are kept fresh ahead of the play cursor, and at least `guard` beyond the
    // device's write cursor after one recent step of a play cursor that moves in steps, or
    // after the cursor's move between two refills when a busy machine keeps them late, up to
    // a quarter of the ring. The caller refills every `refill` frames of its clock; a
    // refill later than twice that says nothing about the device's step, since the cursor
    // went on for as long as the refill was late. One late refill (a stall) moves nothing.
    stream_feeder(uint32_t ring_frames, uint32_t lead_frames, uint32_t guard_frames,
                  uint32_t refill_frames);

    // One refill, with the device's cursors and a monotonic clock in frames. The first
    // call starts at the write cursor; the ring is expected to start silent.
    feed_plan refill(uint32_t play, uint32_t write, uint64_t now_frames);

    uint32_t stalls() const { return stalls_; }
    // How far ahead of the play cursor the last refill left fresh frames, and aimed to.
    uint32_t lead_frames() const { return last_lead_; }
    uint32_t target_frames() const { return last_target_; }
    uint32_t ring_frames() const { return ring_; }

  private:
    // The device's recent behaviour over one window of the clock: the two largest steps
    // of on-time refills and the largest write lead.
    struct device_window {
        uint32_t largest_step = 0;
        uint32_t second_step = 0;
        uint32_t write_lead = 0;
    };

    uint32_t distance(uint32_t from, uint32_t to) const { return (to + ring_ - from) % ring_; }
    // The two largest of the values seen in one window of the clock.
    struct two_largest {
        uint32_t largest = 0;
        uint32_t second = 0;
        void add(uint32_t value);
    };

    void remember(uint64_t now_frames, uint32_t step, uint32_t write_lead);
    void remember_gap(uint64_t now_frames, uint32_t late_move);
    uint32_t target() const;

    uint32_t ring_;
    uint32_t lead_;
    uint32_t guard_;
    uint64_t late_after_;
    bool started_ = false;
    uint32_t last_play_ = 0;
    uint32_t write_pos_ = 0; // end of the fresh frames
    uint64_t last_now_ = 0;
    uint32_t stalls_ = 0;
    uint32_t last_lead_ = 0;
    uint32_t last_target_ = 0;
    uint64_t window_start_ = 0;
    device_window current_;
    device_window previous_;
    uint64_t gap_window_start_ = 0;
    two_largest gaps_;          // cursor moves by late refills, this window
    two_largest previous_gaps_; // and the window before
};

// A span of the ring as at most two straight pieces (the second empty unless it wraps).
std::array<ring_span, 2> split_ring(ring_span span, uint32_t ring_frames);

} // namespace kavelo
