#pragma once
// Draws the four operators' envelopes of a voice into a rectangle.

#include "rom/voice_record.h"

#include <windows.h>

#include <cstdint>

namespace kavelo {

void draw_envelopes(HDC dc, const RECT& area, const voice_record& voice, uint8_t key_code);

} // namespace kavelo
