#include "voice_editor/voice_history.h"

namespace kavelo {

void voice_history::reset(const voice_snapshot& present) {
    states_.assign(1, present);
    position_ = 0;
}

void voice_history::amend_present(const voice_snapshot& present) {
    states_[position_] = present;
}

bool voice_history::record(const voice_snapshot& after) {
    if (after == present()) {
        return false;
    }
    states_.erase(states_.begin() + static_cast<std::ptrdiff_t>(position_) + 1, states_.end());
    states_.push_back(after);
    ++position_;
    if (states_.size() > max_steps + 1) {
        states_.pop_front();
        --position_;
    }
    return true;
}

std::optional<voice_snapshot> voice_history::undo() {
    if (!can_undo()) {
        return std::nullopt;
    }
    return states_[--position_];
}

std::optional<voice_snapshot> voice_history::redo() {
    if (!can_redo()) {
        return std::nullopt;
    }
    return states_[++position_];
}

} // namespace kavelo
