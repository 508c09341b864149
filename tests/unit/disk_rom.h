#pragma once
// A ROM image or bare track written to a scratch folder, opened for loads and commits.

#include "rom/voice_commit.h"
#include "rom/voice_table.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace kavelo::test {

struct disk_rom {
    scratch_dir dir;
    log_lines log;
    rom_access access;
    std::vector<uint8_t> original;
    explicit disk_rom(std::vector<uint8_t> bytes, file_mode mode = file_mode::rom_image)
        : access{native_file_system(), dir.file("rom.bin"), mode, log.sink()},
          original(std::move(bytes)) {
        write_bytes(access.path, original);
    }
    std::vector<uint8_t> on_disk() const { return read_bytes(access.path); }
    voice_table loaded(uint32_t start) const {
        voice_table table;
        EXPECT_EQ(load_track_voices(access, start, table).code, result_done);
        return table;
    }
};

} // namespace kavelo::test
