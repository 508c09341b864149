#include "fm/preview_render.h"

#include "fm/fm.h"

#include <limits>

namespace kavelo {

namespace {

// Every register write is a pair of port accesses on part I of chip 0.
void write_register(fm_core& core, uint8_t reg, uint8_t value) {
    fm_write(core, 0, 0x4000, reg);
    fm_write(core, 0, 0x4001, value);
}

} // namespace

void preview_chip_setup(fm_core& core) {
    fm_init(core, 1, preview_clock, preview_rate, nullptr, nullptr);
    fm_reset(core, 0);
    write_register(core, 0x22, 0x00);
    write_register(core, 0x2B, 0x00);
}

void preview_voice_writes(const voice_record& voice, int32_t note_index,
                          const std::function<void(uint8_t reg, uint8_t value)>& write) {
    write(0xB0, voice[0]);
    for (std::size_t i = 0; i < preview_register_table.size(); ++i) {
        write(preview_register_table[i], voice[i + 1]);
    }
    const preview_note& note = preview_note_table[note_index];
    write(0xA4, note.block_fnum_high);
    write(0xA0, note.fnum_low);
    write(0x28, 0xF0); // key on all four operators of channel 1
}

int32_t preview_render(const voice_record& voice, int32_t note_index, uint32_t frames,
                       std::span<int8_t> left, std::span<int8_t> right) {
    if (note_index < 0 || note_index >= preview_note_count || left.size() < frames ||
        right.size() < frames || frames > uint32_t{std::numeric_limits<int32_t>::max()}) {
        return preview_refused;
    }
    fm_core core;
    preview_chip_setup(core);
    if (!core.chips) {
        return preview_refused;
    }
    preview_voice_writes(voice, note_index,
                         [&core](uint8_t reg, uint8_t value) { write_register(core, reg, value); });
    fm_update(core, 0, left, right, static_cast<int32_t>(frames));
    fm_shutdown(core);
    return preview_done;
}

} // namespace kavelo
