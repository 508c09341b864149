#pragma once
// Where the Keyboard window's piano keys lie and which note a point or a computer key
// plays; portable so the hit rules are tested without a window.

#include <cstdint>
#include <vector>

namespace kavelo {

struct piano_key {
    int32_t note = 0;
    bool black = false;
    int32_t left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
};

// The keys of `octaves` octaves from the C `first_note` plus the top C, filling a
// width x height area: white keys first, then the black keys drawn over them.
std::vector<piano_key> piano_keys(int32_t first_note, int32_t octaves, int32_t width,
                                  int32_t height);

// The note at a point, black keys before the white ones beneath them; -1 for none.
int32_t piano_note_at(const std::vector<piano_key>& keys, int32_t x, int32_t y);

// Semitones above the C of the chosen octave that a computer key plays, as trackers lay
// out two octaves: Z S X D C V G B H N J M, then Q 2 W 3 E R 5 T 6 Y 7 U. The key is its
// upper-case letter or digit (as Windows numbers those keys); -1 for any other key.
int32_t tracker_key_semitone(uint32_t key);

} // namespace kavelo
