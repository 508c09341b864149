#pragma once
// What the program does with its command line and with files dropped on its main window:
// the first path is opened as File > Open opens a file; everything else is named in one
// Status log line and otherwise ignored.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavelo {

// Splits a command line into arguments as the Windows C runtime does: blanks and tabs
// apart arguments outside quotes; 2n backslashes before a quote give n and the quote
// toggles quoting; 2n + 1 give n and a literal quote; other backslashes stay as they are.
std::vector<std::string> split_command_line(std::string_view line);

struct open_request {
    std::optional<std::string> path; // the file to open
    std::vector<std::string> ignored;
};

// The first argument that is not an option ("-x") is the path; the rest is ignored.
open_request command_line_request(std::string_view line);
// The first dropped file is the path; further ones are ignored.
open_request dropped_files_request(std::vector<std::string> files);

// "  * Ignored on the command line: ..." (or "...dropped: ..."); empty when nothing was
// ignored. `from` names where the arguments came from.
std::string ignored_line(const open_request& request, std::string_view from);

} // namespace kavelo
