#pragma once
// Results of the file operations. Callers (dialogs, the CLI) decide what the user sees.

#include <cstdint>
#include <string>

namespace kavelo {

inline constexpr int32_t result_done = 1;          // read or written
inline constexpr int32_t result_cannot_read = 0;   // the file could not be opened for reading
inline constexpr int32_t result_write_failed = -1; // the rewrite failed; the file is intact
inline constexpr int32_t result_refused =
    -2; // bad input: nothing read past the file, nothing written

struct op_result {
    int32_t code = result_done;
    std::string problem; // set for result_refused: one sentence naming the problem
};

inline op_result refused(std::string problem) {
    return {result_refused, std::move(problem)};
}

} // namespace kavelo
