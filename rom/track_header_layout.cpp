#include "rom/track_header_layout.h"

namespace kavelo {

namespace {

constexpr std::size_t first_entry = 6;
constexpr std::size_t fm_entry_size = 4;
constexpr std::size_t psg_entry_size = 6;
constexpr std::size_t modifiers_in_entry = 2; // after the channel pointer

} // namespace

track_header_layout header_layout(uint8_t fm_entries, uint8_t psg_entries) {
    if (fm_entries < 1 || fm_entries > max_fm_channels + 1 || psg_entries > max_psg_channels) {
        return {};
    }
    return {true, fm_entries, psg_entries,
            first_entry + fm_entry_size * fm_entries + psg_entry_size * psg_entries};
}

track_header_layout header_layout_of(std::span<const uint8_t> head) {
    return head.size() < 4 ? track_header_layout{} : header_layout(head[2], head[3]);
}

std::optional<std::size_t> channel_modifier_byte(const track_header_layout& layout,
                                                 header_channel kind, int channel,
                                                 channel_modifier modifier) {
    const std::size_t within = modifiers_in_entry + static_cast<std::size_t>(modifier);
    if (kind == header_channel::fm) {
        if (channel < 1 || channel > layout.fm_channels()) {
            return std::nullopt;
        }
        return first_entry + fm_entry_size * static_cast<std::size_t>(channel) + within;
    }
    if (channel < 1 || channel > layout.psg_channels()) {
        return std::nullopt;
    }
    return first_entry + fm_entry_size * static_cast<std::size_t>(layout.fm_entries) +
           psg_entry_size * static_cast<std::size_t>(channel - 1) + within;
}

} // namespace kavelo
