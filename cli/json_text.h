#pragma once
// Just enough JSON for the commands' --json output: quoted strings and arrays of them.

#include <string>
#include <string_view>

namespace kavelo::cli {

std::string json_quote(std::string_view text);

} // namespace kavelo::cli
