#pragma once
// Reading through C stdio is the same on every platform; the platform file systems
// derive from this and add the writing half.

#include "rom/file_system.h"

namespace kavelo {

class stdio_file_system : public file_system {
  public:
    read_status read_file(const std::string& path, std::size_t max_size,
                          std::vector<uint8_t>& out) const override;
    read_status read_head(const std::string& path, std::size_t count,
                          std::vector<uint8_t>& out) const override;
};

} // namespace kavelo
