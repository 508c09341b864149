#pragma once
// Where core operations write their Status log lines: the app appends to its log
// control, the CLI prints, tests collect.

#include <functional>
#include <string_view>

namespace kavelo {

using log_sink = std::function<void(std::string_view line)>;

} // namespace kavelo
