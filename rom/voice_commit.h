#pragma once
// Writes the displayed voice into its slot of the track's voice table in the file.

#include "rom/results.h"
#include "rom/rom_access.h"
#include "rom/voice_table.h"

namespace kavelo {

// Re-reads the file, takes the voice table offset anew from it, stores `displayed` into
// table slot `voice_index`, patches its 25 bytes (ROM order) into the image and rewrites
// the file atomically. Results: result_done, result_cannot_read (file untouched),
// result_write_failed (file intact), result_refused (nothing written: an empty table,
// an index past the loaded voices, or a record that would lie outside the file).
op_result commit_voice(const rom_access& access, uint32_t track_start, voice_table& table,
                       int32_t voice_index, const voice_record& displayed);

} // namespace kavelo
