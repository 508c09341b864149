#include "app/open_request.h"

namespace kavelo {

std::vector<std::string> split_command_line(std::string_view line) {
    std::vector<std::string> arguments;
    std::string argument;
    bool in_argument = false;
    bool quoted = false;
    std::size_t at = 0;
    while (at < line.size()) {
        const char c = line[at];
        if (c == '\\') {
            std::size_t slashes = 0;
            while (at < line.size() && line[at] == '\\') {
                ++slashes;
                ++at;
            }
            in_argument = true;
            if (at < line.size() && line[at] == '"') {
                argument.append(slashes / 2, '\\');
                if (slashes % 2 == 1) {
                    argument += '"';
                    ++at;
                }
            } else {
                argument.append(slashes, '\\');
            }
            continue;
        }
        if (c == '"') {
            in_argument = true;
            // Inside quotes, a doubled quote stands for one.
            if (quoted && at + 1 < line.size() && line[at + 1] == '"') {
                argument += '"';
                at += 2;
                continue;
            }
            quoted = !quoted;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (in_argument) {
                arguments.push_back(std::move(argument));
                argument.clear();
                in_argument = false;
            }
        } else {
            argument += c;
            in_argument = true;
        }
        ++at;
    }
    if (in_argument) {
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

open_request command_line_request(std::string_view line) {
    open_request request;
    for (std::string& argument : split_command_line(line)) {
        if (!request.path && !argument.empty() && argument[0] != '-') {
            request.path = std::move(argument);
        } else {
            request.ignored.push_back(std::move(argument));
        }
    }
    return request;
}

open_request dropped_files_request(std::vector<std::string> files) {
    open_request request;
    if (!files.empty()) {
        request.path = std::move(files.front());
        request.ignored.assign(std::make_move_iterator(files.begin() + 1),
                               std::make_move_iterator(files.end()));
    }
    return request;
}

std::string ignored_line(const open_request& request, std::string_view from) {
    if (request.ignored.empty()) {
        return {};
    }
    std::string line = "  * Ignored " + std::string(from) + ":";
    for (const std::string& argument : request.ignored) {
        line += argument.find_first_of(" \t") == std::string::npos ? " " + argument
                                                                   : " \"" + argument + "\"";
    }
    return line;
}

} // namespace kavelo
