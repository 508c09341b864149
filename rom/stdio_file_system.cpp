#include "rom/stdio_file_system.h"

#include <cstdio>
#include <memory>

namespace kavelo {

namespace {

struct file_closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using file_handle = std::unique_ptr<std::FILE, file_closer>;

// Reads up to `limit` bytes; `truncated` tells whether more followed.
read_status read_up_to(const std::string& path, std::size_t limit, std::vector<uint8_t>& out,
                       bool& truncated) {
    file_handle file{std::fopen(path.c_str(), "rb")};
    if (!file) {
        return read_status::cannot_open;
    }
    out.clear();
    uint8_t chunk[65536];
    truncated = false;
    for (;;) {
        std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        if (out.size() + got > limit) {
            out.insert(out.end(), chunk, chunk + (limit - out.size()));
            truncated = true;
            return read_status::ok;
        }
        out.insert(out.end(), chunk, chunk + got);
        if (got < sizeof chunk) {
            return std::ferror(file.get()) ? read_status::read_failed : read_status::ok;
        }
    }
}

} // namespace

read_status stdio_file_system::read_file(const std::string& path, std::size_t max_size,
                                         std::vector<uint8_t>& out) const {
    bool truncated = false;
    read_status status = read_up_to(path, max_size, out, truncated);
    if (status == read_status::ok && truncated) {
        out.clear();
        return read_status::too_large;
    }
    return status;
}

read_status stdio_file_system::read_head(const std::string& path, std::size_t count,
                                         std::vector<uint8_t>& out) const {
    bool truncated = false;
    return read_up_to(path, count, out, truncated);
}

} // namespace kavelo
