#pragma once
// Helpers shared by the unit tests: scratch folders, file bytes, a log collector and
// a file system whose steps can be made to fail.

#include "rom/file_system.h"
#include "rom/log_sink.h"
#include "rom/voice_record.h"

#include "memory_file_system.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kavelo::test {

// A fresh folder under the system temp folder, removed with everything in it.
class scratch_dir {
  public:
    scratch_dir();
    ~scratch_dir();
    scratch_dir(const scratch_dir&) = delete;
    scratch_dir& operator=(const scratch_dir&) = delete;
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

std::vector<uint8_t> read_bytes(const std::string& path);

// A record whose bytes count up from `first`, so every byte's position shows.
voice_record counting_record(uint8_t first);
void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes);

struct log_lines {
    std::vector<std::string> lines;
    log_sink sink() {
        return [this](std::string_view line) { lines.emplace_back(line); };
    }
};

// Wraps the native file system; `fault` makes one step of a rewrite fail (a failed write
// stops half way, as on a full disk).
struct failing_file_system : file_system {
    write_fault fault = write_fault::none;

    read_status read_file(const std::string& path, std::size_t max_size,
                          std::vector<uint8_t>& out) const override;
    read_status read_head(const std::string& path, std::size_t count,
                          std::vector<uint8_t>& out) const override;
    bool is_read_only(const std::string& path) const override;
    std::unique_ptr<temp_file> create_temp_beside(const std::string& target) const override;
    bool replace(const std::string& temp, const std::string& target) const override;
    void remove(const std::string& path) const override;
};

} // namespace kavelo::test
