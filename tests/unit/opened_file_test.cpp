// What opening a path does, from the file alone: refused with the path named, or taken as
// a ROM image or a bare track with its own log line, byte for byte.

#include "app/opened_file.h"
#include "demo/demo_rom.h"
#include "memory_file_system.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

const std::string rom_line = "  * Opened compatible Brisco ROM";
const std::string track_line = "  * Opened Binary Music Track";

// The demo ROM with serial byte `at` flipped, or cut inside its serial for `at` past it.
std::vector<uint8_t> changed_serial(std::size_t at) {
    std::vector<uint8_t> rom = make_demo_rom();
    if (at < 14) {
        rom[rom_serial_offset + at] ^= 0x01;
    } else {
        rom.resize(rom_serial_offset + 7);
    }
    return rom;
}

TEST(opened_file, TheFileDecidesRefusalOrMode) {
    const std::string folder = "/roms/";
    const std::string longest = folder + std::string(opened_path_capacity - 1 - folder.size(), 'r');
    const std::string too_long = longest + "x";
    const struct {
        const char* what;
        std::string path;
        std::optional<std::vector<uint8_t>> bytes; // nothing: no such file
        file_mode mode;                            // none: not opened
        std::string line;
    } cases[] = {
        {"the game's ROM", "/roms/game.bin", make_demo_rom(), file_mode::rom_image, rom_line},
        {"a bare track", "/roms/track.bin", make_demo_track(4), file_mode::bare_track, track_line},
        {"the serial's last byte off", "/b.bin", changed_serial(13), file_mode::bare_track,
         track_line},
        {"a ROM cut inside its serial", "/c.bin", changed_serial(14), file_mode::bare_track,
         track_line},
        {"no such file", "/roms/missing.bin", std::nullopt, file_mode::none,
         "  * ERROR: Cannot open /roms/missing.bin"},
        {"the longest path kept", longest, make_demo_rom(), file_mode::rom_image, rom_line},
        {"a path past the Open dialog's buffer", too_long, make_demo_rom(), file_mode::none,
         "  * ERROR: Cannot open " + too_long},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::memory_file_system fs;
        if (c.bytes) {
            fs.files[c.path] = *c.bytes;
        }
        const auto before = fs.files;
        const open_outcome outcome = open_outcome_for(fs, c.path);
        const bool opened = c.mode != file_mode::none;
        EXPECT_EQ(outcome.opened, opened);
        EXPECT_EQ(outcome.file.mode, c.mode);
        EXPECT_EQ(outcome.file.path, opened ? c.path : "");
        EXPECT_EQ(outcome.log_line, c.line);
        EXPECT_EQ(fs.files, before) << "opening writes nothing";
    }
}

TEST(opened_file, OnlyARomImagesMenuFailureIsLoggedInsteadOfItsKind) {
    test::memory_file_system fs;
    fs.files["/rom.bin"] = make_demo_rom();
    fs.files["/track.bin"] = make_demo_track(0);
    EXPECT_EQ(open_outcome_for(fs, "/rom.bin").line_after_menu(true), rom_line);
    EXPECT_EQ(open_outcome_for(fs, "/rom.bin").line_after_menu(false),
              "  * ERROR: Cannot switch menus!");
    EXPECT_EQ(open_outcome_for(fs, "/track.bin").line_after_menu(false), track_line);
}

} // namespace
} // namespace kavelo
