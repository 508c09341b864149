#pragma once
// The one seam through which the core touches files, so that tests can make any
// step fail. native_file_system() is the real one for the build's platform.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kavelo {

enum class read_status { ok, cannot_open, too_large, read_failed };

// A file being written next to its target; destroying it unfinished removes it.
class temp_file {
  public:
    virtual ~temp_file() = default;
    virtual bool write(std::span<const uint8_t> bytes) = 0;
    virtual bool flush() = 0; // through to the disk
    virtual bool close() = 0;
    virtual const std::string& path() const = 0;
};

class file_system {
  public:
    virtual ~file_system() = default;
    // Reads the whole file into `out` unless it is larger than max_size.
    virtual read_status read_file(const std::string& path, std::size_t max_size,
                                  std::vector<uint8_t>& out) const = 0;
    // Reads at most `count` bytes from the start of the file.
    virtual read_status read_head(const std::string& path, std::size_t count,
                                  std::vector<uint8_t>& out) const = 0;
    virtual bool is_read_only(const std::string& path) const = 0;
    virtual std::unique_ptr<temp_file> create_temp_beside(const std::string& target) const = 0;
    virtual bool replace(const std::string& temp, const std::string& target) const = 0;
    virtual void remove(const std::string& path) const = 0;
};

const file_system& native_file_system();

} // namespace kavelo
