#pragma once
// Helpers shared by the unit tests: scratch folders, file bytes and a log collector.

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

} // namespace kavelo::test
