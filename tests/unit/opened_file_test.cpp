// What opening a path does, from the file alone: refused with the path named, or taken as
// a ROM image or a bare track with its own log line, byte for byte.

#include "app/opened_file.h"
#include "demo/demo_rom.h"
#include "memory_file_system.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

constexpr std::string_view rom_line = "  * Opened compatible Brisco ROM";
constexpr std::string_view track_line = "  * Opened Binary Music Track";

std::vector<uint8_t> with_serial_byte_changed(std::size_t at) {
    std::vector<uint8_t> rom = make_demo_rom();
    rom[rom_serial_offset + at] ^= 0x01;
    return rom;
}

std::vector<uint8_t> cut_inside_serial() {
    std::vector<uint8_t> rom = make_demo_rom();
    rom.resize(rom_serial_offset + 7);
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
        bool opened;
        file_mode mode;
        std::string line;
    } cases[] = {
        {"the game's ROM", "/roms/game.bin", make_demo_rom(), true, file_mode::rom_image,
         std::string(rom_line)},
        {"a bare track", "/roms/track.bin", make_demo_track(4), true, file_mode::bare_track,
         std::string(track_line)},
        {"the serial's first byte off", "/roms/a.bin", with_serial_byte_changed(0), true,
         file_mode::bare_track, std::string(track_line)},
        {"the serial's last byte off", "/roms/b.bin", with_serial_byte_changed(13), true,
         file_mode::bare_track, std::string(track_line)},
        {"a ROM cut inside its serial", "/roms/c.bin", cut_inside_serial(), true,
         file_mode::bare_track, std::string(track_line)},
        {"an empty file", "/roms/empty.bin", std::vector<uint8_t>{}, true, file_mode::bare_track,
         std::string(track_line)},
        {"no such file", "/roms/missing.bin", std::nullopt, false, file_mode::none,
         "  * ERROR: Cannot open /roms/missing.bin"},
        {"the longest path kept", longest, make_demo_rom(), true, file_mode::rom_image,
         std::string(rom_line)},
        {"a path past the Open dialog's buffer", too_long, make_demo_rom(), false, file_mode::none,
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
        EXPECT_EQ(outcome.opened, c.opened);
        EXPECT_EQ(outcome.file.mode, c.mode);
        EXPECT_EQ(outcome.file.path, c.opened ? c.path : "");
        EXPECT_EQ(outcome.log_line, c.line);
        EXPECT_EQ(fs.files, before) << "opening writes nothing";
    }
}

TEST(opened_file, OnlyARomImagesMenuFailureIsLoggedInsteadOfItsKind) {
    test::memory_file_system fs;
    fs.files["/rom.bin"] = make_demo_rom();
    fs.files["/track.bin"] = make_demo_track(0);
    const struct {
        const char* path;
        bool menu_set;
        std::string_view line;
    } cases[] = {
        {"/rom.bin", true, rom_line},
        {"/rom.bin", false, "  * ERROR: Cannot switch menus!"},
        {"/track.bin", true, track_line},
        {"/track.bin", false, track_line},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path) + (c.menu_set ? ", menu set" : ", menu failed"));
        EXPECT_EQ(open_outcome_for(fs, c.path).line_after_menu(c.menu_set), c.line);
    }
}

} // namespace
} // namespace kavelo
