#pragma once
// The Export bank list: named voices collected for a new bank file. The names and the
// voices move together; every operation reports the entry to select afterwards.

#include "formats/ymx_bank.h"

#include <string>
#include <string_view>
#include <vector>

namespace kavelo {

class export_bank_list {
  public:
    const std::vector<bank_voice>& entries() const { return entries_; }
    int32_t count() const { return static_cast<int32_t>(entries_.size()); }
    bool full() const { return count() >= bank_max_entries; }

    // "Voice %i" with the present count, the name the editor's "Add to Bank" gives.
    std::string next_default_name() const;

    // Appends an entry; refuses when the list already holds 128. Names keep 10 characters.
    bool add(const voice_record& voice, std::string_view name);

    // Each returns the entry to select afterwards, or -1 for none; an index outside the
    // list changes nothing and returns it unchanged.
    int32_t remove(int32_t index);
    int32_t move_up(int32_t index);
    int32_t move_down(int32_t index);
    int32_t rename(int32_t index, std::string_view name);
    void clear() { entries_.clear(); }

  private:
    bool holds(int32_t index) const { return index >= 0 && index < count(); }
    std::vector<bank_voice> entries_;
};

} // namespace kavelo
