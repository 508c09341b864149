#pragma once
// The YM2612 emulation's public operations. Chips are numbered from 0 and must be below
// the count given to fm_init; a call naming a chip that does not exist does nothing.
// Nothing here is re-entrant: all calls on one core run on one thread.

#include "fm/fm_types.h"

#include <cstdint>
#include <span>

namespace kavelo {

inline constexpr int32_t fm_init_done = 0;
inline constexpr int32_t fm_init_no_memory = 1;
inline constexpr int32_t fm_init_bad_arguments = 2; // count, clock or rate out of range
inline constexpr int32_t fm_init_chips_exist = 0x20000000;

inline constexpr int32_t fm_max_chips = 256;
// Above this many chip ticks per frame the envelope steps would leave their fixed-point range.
inline constexpr double fm_max_freq_base = 128.0;

// Creates `count` chips at `clock` Hz rendering at `rate` Hz and resets each. Leaves
// existing chips alone (fm_init_chips_exist). Handlers may be null; a chip without a timer
// handler runs its timers itself inside fm_update.
int32_t fm_init(fm_core& core, int32_t count, int32_t clock, int32_t rate,
                fm_timer_handler timer_handler, fm_irq_handler irq_handler);
// Destroys every chip of the core.
void fm_shutdown(fm_core& core);
// Brings a chip to its reset state: both outputs on, every other register 0, all keys off.
void fm_reset(fm_core& core, int32_t chip);
// One port access (port & 3: 0 address I, 1 data I, 2 address II, 3 data II); returns the
// chip's interrupt line.
uint8_t fm_write(fm_core& core, int32_t chip, int32_t port, uint8_t value);
// Renders `length` frames, one signed 8-bit sample per frame into each buffer. Renders no
// more frames than both buffers hold.
void fm_update(fm_core& core, int32_t chip, std::span<int8_t> left, std::span<int8_t> right,
               int32_t length);

// The same operations on the process-wide core.
fm_core& fm_default_core();
inline int32_t fm_init(int32_t count, int32_t clock, int32_t rate, fm_timer_handler timer_handler,
                       fm_irq_handler irq_handler) {
    return fm_init(fm_default_core(), count, clock, rate, timer_handler, irq_handler);
}
inline void fm_shutdown() {
    fm_shutdown(fm_default_core());
}
inline void fm_reset(int32_t chip) {
    fm_reset(fm_default_core(), chip);
}
inline uint8_t fm_write(int32_t chip, int32_t port, uint8_t value) {
    return fm_write(fm_default_core(), chip, port, value);
}
inline void fm_update(int32_t chip, std::span<int8_t> left, std::span<int8_t> right,
                      int32_t length) {
    fm_update(fm_default_core(), chip, left, right, length);
}

} // namespace kavelo
