#include "fm/fm_script.h"

#include "fm/fm.h"

#include <charconv>
#include <optional>

namespace kavelo {

namespace {

std::vector<std::string_view> split_words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) {
            ++i;
        }
        std::size_t end = i;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r') {
            ++end;
        }
        if (end > i) {
            words.push_back(line.substr(i, end - i));
        }
        i = end;
    }
    return words;
}

std::optional<uint32_t> parse_number(std::string_view word) {
    int base = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        word.remove_prefix(2);
        base = 16;
    }
    uint32_t value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value, base);
    if (ec != std::errc{} || end != word.data() + word.size() || word.empty()) {
        return std::nullopt;
    }
    return value;
}

struct script_runner {
    fm_core core;
    fm_script_output& output;
    int64_t max_frames;
    std::string problem;

    // Reads argument `i` of `words` as a number no larger than `max`.
    bool number(const std::vector<std::string_view>& words, std::size_t i, uint32_t max,
                const char* name, uint32_t& value) {
        const std::optional<uint32_t> parsed = parse_number(words[i]);
        if (!parsed) {
            problem = std::string(name) + " \"" + std::string(words[i]) +
                      "\" is not a decimal or 0x-hex number";
            return false;
        }
        if (*parsed > max) {
            problem = std::string(name) + " " + std::string(words[i]) + " is above " +
                      std::to_string(max);
            return false;
        }
        value = *parsed;
        return true;
    }

    bool chip(const std::vector<std::string_view>& words, uint32_t& index) {
        if (!number(words, 1, 0x7FFFFFFF, "chip", index)) {
            return false;
        }
        if (!core.chips) {
            problem = "no chips exist (init first)";
            return false;
        }
        if (index >= static_cast<uint32_t>(core.count)) {
            problem = "chip " + std::to_string(index) + " does not exist (" +
                      std::to_string(core.count) + " chips)";
            return false;
        }
        return true;
    }

    bool init(const std::vector<std::string_view>& words) {
        uint32_t count = 0, clock = 0, rate = 0;
        if (!number(words, 1, fm_max_chips, "count", count) ||
            !number(words, 2, 0x7FFFFFFF, "clock", clock) ||
            !number(words, 3, 0x7FFFFFFF, "rate", rate)) {
            return false;
        }
        const bool had_chips = core.chips != nullptr;
        const int32_t result =
            fm_init(core, static_cast<int32_t>(count), static_cast<int32_t>(clock),
                    static_cast<int32_t>(rate), nullptr, nullptr);
        if (result == fm_init_bad_arguments) {
            problem = "init needs 1-" + std::to_string(fm_max_chips) +
                      " chips and at most 128 chip ticks (clock / 144) per output frame";
            return false;
        }
        if (result == fm_init_no_memory) {
            problem = "out of memory for " + std::to_string(count) + " chips";
            return false;
        }
        if (!had_chips && output.rate == 0) {
            output.rate = static_cast<int32_t>(rate);
        }
        return true;
    }

    bool update(const std::vector<std::string_view>& words) {
        uint32_t index = 0, frames = 0;
        if (!chip(words, index) || !number(words, 2, 0x7FFFFFFF, "frames", frames)) {
            return false;
        }
        const std::size_t used = output.samples.size() / 2;
        if (static_cast<int64_t>(used) + frames > max_frames) {
            problem = "the output would pass " + std::to_string(max_frames) + " frames";
            return false;
        }
        std::vector<int8_t> left(frames), right(frames);
        fm_update(core, static_cast<int32_t>(index), left, right, static_cast<int32_t>(frames));
        output.samples.reserve(output.samples.size() + 2 * std::size_t{frames});
        for (uint32_t i = 0; i < frames; ++i) {
            output.samples.push_back(left[i]);
            output.samples.push_back(right[i]);
        }
        return true;
    }

    bool run_line(const std::vector<std::string_view>& words) {
        struct command {
            std::string_view name;
            std::size_t arguments;
        };
        static constexpr command commands[] = {
            {"init", 3}, {"reset", 1}, {"write", 3}, {"update", 2}, {"shutdown", 0}};
        const command* found = nullptr;
        for (const command& c : commands) {
            if (c.name == words[0]) {
                found = &c;
            }
        }
        if (!found) {
            problem = "unknown command \"" + std::string(words[0]) +
                      "\" (init, reset, write, update, shutdown)";
            return false;
        }
        if (words.size() != found->arguments + 1) {
            problem = std::string(found->name) + " takes " + std::to_string(found->arguments) +
                      " numbers";
            return false;
        }
        uint32_t index = 0, port = 0, value = 0;
        switch (words[0][0]) {
        case 'i':
            return init(words);
        case 'r':
            if (!chip(words, index)) {
                return false;
            }
            fm_reset(core, static_cast<int32_t>(index));
            return true;
        case 'w':
            if (!chip(words, index) || !number(words, 2, 0xFFFFFFFF, "port", port) ||
                !number(words, 3, 0xFF, "value", value)) {
                return false;
            }
            fm_write(core, static_cast<int32_t>(index), static_cast<int32_t>(port & 3),
                     static_cast<uint8_t>(value));
            return true;
        case 'u':
            return update(words);
        default:
            fm_shutdown(core);
            return true;
        }
    }
};

} // namespace

fm_script_result run_fm_script(std::string_view text, fm_script_output& output,
                               int64_t max_frames) {
    script_runner runner{{}, output, max_frames, {}};
    int32_t line_number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++line_number;
        line = line.substr(0, line.find('#'));
        const std::vector<std::string_view> words = split_words(line);
        if (words.empty()) {
            continue;
        }
        if (!runner.run_line(words)) {
            fm_script_result error = only_outcome<fm_script_result>(refused(runner.problem));
            error.line = line_number;
            return error;
        }
    }
    return {};
}

} // namespace kavelo
