#pragma once
// Results of the core's operations. Callers (dialogs, the CLI) decide what the user sees.

#include <cstdint>
#include <string>
#include <string_view>

namespace kavelo {

inline constexpr int32_t result_done = 1;          // read or written
inline constexpr int32_t result_cannot_read = 0;   // the file could not be opened for reading
inline constexpr int32_t result_write_failed = -1; // the rewrite failed; the file is intact
inline constexpr int32_t result_refused =
    -2; // bad input: nothing read past the file, nothing written

struct op_result {
    int32_t code = result_done;
    // One sentence naming the problem. A ROM rewrite that failed leaves it empty: its
    // callers have their own words for that.
    std::string problem;

    bool done() const { return code == result_done; }
};

// The title of the message box in which the editors show a failed operation's problem.
inline constexpr std::string_view error_title = "Error!";

inline op_result refused(std::string problem) {
    return {result_refused, std::move(problem)};
}

// A result that carries more than its outcome (a struct deriving from op_result), holding
// only `outcome`: a refusal or a failure, with nothing else filled in.
template <typename Result> Result only_outcome(op_result outcome) {
    Result result;
    static_cast<op_result&>(result) = std::move(outcome);
    return result;
}

} // namespace kavelo
