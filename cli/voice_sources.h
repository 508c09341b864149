#pragma once
// Where a command's voice comes from: 50 hex digits, an entry of a .ymx bank, a voice
// of a TX81Z dump, or a voice of any instrument or bank file. Each prints its own error.

#include "rom/voice_record.h"

#include <optional>
#include <string>

namespace kavelo::cli {

std::optional<voice_record> voice_from_argument(const std::string& hex);
std::optional<voice_record> voice_from_bank(const std::string& path, int entry);
std::optional<voice_record> voice_from_sysex(const std::string& path, int entry);
// Any instrument or bank file; entry -1 takes the file's only voice.
std::optional<voice_record> voice_from_file(const std::string& path, int entry);

} // namespace kavelo::cli
