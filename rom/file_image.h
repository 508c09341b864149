#pragma once
// Whole-file reads and atomic rewrites of the files a user opens, imports and exports.

#include "rom/file_system.h"
#include "rom/results.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kavelo {

inline constexpr std::size_t max_file_size = 8u * 1024 * 1024;

struct file_image {
    read_status status = read_status::cannot_open;
    std::vector<uint8_t> bytes;
};

file_image read_file_image(const file_system& fs, const std::string& path);

// One sentence for a failed read, naming the file.
std::string describe_read_failure(read_status status, const std::string& path);
// A failed read as a result: result_cannot_read for a file that does not open, otherwise
// (too large, or the read broke off) result_refused, with describe_read_failure's sentence.
op_result read_failure(read_status status, const std::string& path);

// Writes `bytes` to a temporary file beside `path`, flushes it and replaces `path` with
// it. On any failure the original file stays byte for byte as it was.
bool replace_file_atomically(const file_system& fs, const std::string& path,
                             std::span<const uint8_t> bytes);

} // namespace kavelo
