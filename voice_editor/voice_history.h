#pragma once
// Undo and redo for the voice on show. A step is the editor's voice before and after one
// user change: what the controls show and the current voice, since a paste or a send moves
// both while a list edit moves only the first. The history belongs to one shown voice and
// starts afresh whenever another voice or track is loaded.

#include "rom/voice_record.h"

#include <cstddef>
#include <deque>
#include <optional>

namespace kavelo {

struct voice_snapshot {
    voice_record shown{};   // as read back from the controls
    voice_record current{}; // the editor's current voice
    bool operator==(const voice_snapshot&) const = default;
};

class voice_history {
  public:
    // Older steps are dropped beyond this many, so a long session cannot grow without end.
    static constexpr std::size_t max_steps = 200;

    // Starts afresh with `present` as the only state: nothing to undo or redo.
    void reset(const voice_snapshot& present);
    // Replaces the present state without making a step (the current voice moved by Preview).
    void amend_present(const voice_snapshot& present);
    // A change to `after`: one step, and the redo steps are gone. An `after` equal to the
    // present is no change and makes no step; returns whether a step was made.
    bool record(const voice_snapshot& after);

    // The state to show, or nothing at either end.
    std::optional<voice_snapshot> undo();
    std::optional<voice_snapshot> redo();

    bool can_undo() const { return position_ > 0; }
    bool can_redo() const { return position_ + 1 < states_.size(); }
    const voice_snapshot& present() const { return states_[position_]; }

  private:
    std::deque<voice_snapshot> states_{voice_snapshot{}};
    std::size_t position_ = 0;
};

} // namespace kavelo
