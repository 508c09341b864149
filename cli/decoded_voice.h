#pragma once
// A voice's fields as the editor's lists name and show them, for the commands that print
// voices: as text lines under a voice's heading, or as members of its JSON object.

#include "rom/voice_record.h"

namespace kavelo::cli {

// "    ALG a  FBL f", then one line per operator with each field's name and shown entry.
void print_decoded(const voice_record& voice);

// "\"alg\": a, \"fbl\": f, \"operators\": [{...}, ...]": the members only, no braces.
void print_decoded_json(const voice_record& voice);

} // namespace kavelo::cli
