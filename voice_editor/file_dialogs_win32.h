#pragma once
// The common Open dialog as the editors use it, for reading and for choosing a file to write.

#include <windows.h>

#include <optional>
#include <string>

namespace kavelo {

// `filter` is the given filter pair (description, pattern); "All Files (*.*)" follows it.
// Returns the chosen path, or nothing when the user cancels.
std::optional<std::string> ask_for_file(HWND owner, HINSTANCE instance, const char* description,
                                        const char* pattern, const char* default_extension,
                                        DWORD flags);

} // namespace kavelo
