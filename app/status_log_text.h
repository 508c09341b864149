#pragma once
// The text rules of the Status log, apart from the EDIT control that shows it: each append
// adds one line ending in CR LF, and the oldest whole lines make room when the log would
// pass its limit.

#include <cstddef>
#include <string>
#include <string_view>

namespace kavelo {

// The log's text, read back and its terminator included, fits a 64,000-byte buffer.
inline constexpr std::size_t status_log_max_chars = 63999;

// Returns `current` followed by `line` and CR LF. When that would pass `max_chars`, the
// oldest whole lines (each ending in CR LF) are dropped until it fits; a line too long for
// an empty log is cut to fit. The result never exceeds `max_chars`.
std::string status_log_text_append(std::string_view current, std::string_view line,
                                   std::size_t max_chars = status_log_max_chars);

} // namespace kavelo
