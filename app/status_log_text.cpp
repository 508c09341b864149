#include "app/status_log_text.h"

namespace kavelo {

namespace {

constexpr std::string_view line_end = "\r\n";

} // namespace

std::string status_log_text_append(std::string_view current, std::string_view line,
                                   std::size_t max_chars) {
    if (max_chars < line_end.size()) {
        return {};
    }
    if (line.size() > max_chars - line_end.size()) {
        line = line.substr(0, max_chars - line_end.size());
    }
    const std::size_t needed = line.size() + line_end.size();

    // Drop from the front at line boundaries only, so what stays begins with a whole line.
    while (current.size() + needed > max_chars) {
        const std::size_t end = current.find(line_end);
        if (end == std::string_view::npos) {
            current = {};
            break;
        }
        current.remove_prefix(end + line_end.size());
    }

    std::string text;
    text.reserve(current.size() + needed);
    text.append(current);
    text.append(line);
    text.append(line_end);
    return text;
}

} // namespace kavelo
