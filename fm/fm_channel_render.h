#pragma once
// Rendering one channel over one block of frames (fm_update's inner work).

#include "fm/fm_tables.h"
#include "fm/fm_types.h"

#include <cstdint>

namespace kavelo {

// True when no frame can change the channel but for its phases: every operator silent
// and its envelope standing still.
bool channel_idle(const fm_channel& ch, const fm_tables& tables);

// Advances the phases of an idle channel by `count` frames (with vibrato when lfo_pm is
// given and the channel has a depth).
void advance_phases(fm_channel& ch, int32_t count, const int32_t* lfo_pm);

// Computes `count` frames of the channel and adds its floored output to `out`.
void render_channel(fm_channel& ch, const fm_tables& tables, fm_render_context& r, int32_t* out,
                    int32_t count, bool lfo_running);

} // namespace kavelo
