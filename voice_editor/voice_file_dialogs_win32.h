#pragma once
// Open dialogs for instrument and bank files of every format, built from the format table.

#include "formats/voice_formats.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace kavelo {

// Several files to read: "All ... files", then one filter per format of `kind`, then
// "All Files (*.*)". Returns the chosen paths, none when cancelled.
std::vector<std::string> ask_for_voice_files(HWND owner, HINSTANCE instance, voice_file_kind kind);

// A file to write in one of the written formats of `kind`; a typed name without such an
// extension gets the chosen filter's. An existing file is replaced without a question.
std::optional<std::string> ask_for_voice_file_to_write(HWND owner, HINSTANCE instance,
                                                       voice_file_kind kind);

} // namespace kavelo
