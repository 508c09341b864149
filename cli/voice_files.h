#pragma once
// Instrument and bank files for the commands: read with the format table, voices without
// a name of their own named after the file, notes on standard error for fields a format
// drops or cannot hold. Each prints its own error.

#include "formats/voice_file.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavelo::cli {

// Prints "kavelo: FILE: note: text" on standard error.
void print_note(const std::string& file, const std::string& text);

// Reads any instrument or bank file; nothing when it is refused.
std::optional<std::vector<named_voice>> read_voices(const std::string& path);

// Writes voices in the format of the path's extension (or `fallback` when the extension
// names none) and prints "wrote N voices to PATH".
int write_voices(const std::string& path, const std::vector<named_voice>& voices,
                 std::string_view fallback = {});

} // namespace kavelo::cli
