#include "voice_editor/export_bank_list.h"

#include <utility>

namespace kavelo {

std::string export_bank_list::next_default_name() const {
    return "Voice " + std::to_string(count());
}

bool export_bank_list::add(const voice_record& voice, std::string_view name) {
    if (full()) {
        return false;
    }
    entries_.push_back({voice, std::string(name.substr(0, bank_name_length))});
    return true;
}

int32_t export_bank_list::remove(int32_t index) {
    if (!holds(index)) {
        return index;
    }
    entries_.erase(entries_.begin() + index);
    // The entry that moved into the gap stays selected; after the last, the new last.
    return index < count() ? index : index - 1;
}

int32_t export_bank_list::move_up(int32_t index) {
    if (!holds(index) || index == 0) {
        return index;
    }
    std::swap(entries_[index - 1], entries_[index]);
    return index - 1;
}

int32_t export_bank_list::move_down(int32_t index) {
    if (!holds(index) || index == count() - 1) {
        return index;
    }
    std::swap(entries_[index], entries_[index + 1]);
    return index + 1;
}

int32_t export_bank_list::rename(int32_t index, std::string_view name) {
    if (holds(index)) {
        entries_[index].name = std::string(name.substr(0, bank_name_length));
    }
    return index;
}

} // namespace kavelo
