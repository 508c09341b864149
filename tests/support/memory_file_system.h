#pragma once
// A file system held in memory for tests and fuzz targets: no disk I/O per input, and
// each step of an atomic rewrite can be made to fail, or the "disk" can run full.

#include "rom/file_system.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kavelo::test {

// The step of a rewrite that fails; none lets every step succeed.
enum class write_fault { none, create, write, flush, close, replace };

class memory_file_system : public file_system {
  public:
    // Files by path. Temporary files appear here while they are written.
    mutable std::map<std::string, std::vector<uint8_t>> files;
    std::set<std::string> read_only;
    write_fault fault = write_fault::none;
    // Bytes all temporary files together may still take before a write fails part way.
    mutable std::size_t free_space = std::numeric_limits<std::size_t>::max();

    read_status read_file(const std::string& path, std::size_t max_size,
                          std::vector<uint8_t>& out) const override;
    read_status read_head(const std::string& path, std::size_t count,
                          std::vector<uint8_t>& out) const override;
    bool is_read_only(const std::string& path) const override { return read_only.count(path) != 0; }
    std::unique_ptr<temp_file> create_temp_beside(const std::string& target) const override;
    bool replace(const std::string& temp, const std::string& target) const override;
    void remove(const std::string& path) const override { files.erase(path); }

  private:
    mutable int32_t temp_serial_ = 0;
};

} // namespace kavelo::test
