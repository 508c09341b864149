// The Header editor over a plain-data view and a file in memory, and its enabled states.

#include "demo/demo_rom.h"
#include "fake_header_editor_view.h"
#include "header_editor/header_editor_session.h"
#include "header_editor/header_fields.h"
#include "memory_file_system.h"
#include "rom/track_table.h"

#include <gtest/gtest.h>

#include <set>

namespace kavelo {
namespace {

using lines = std::vector<std::string>;

struct header_editor : ::testing::Test {
    test::memory_file_system fs;
    const std::string path = "/music/file.bin";
    std::vector<uint8_t> original;
    header_editor_state state;
    test::fake_header_editor_view view;
    std::unique_ptr<header_editor_session> session;

    void open(std::vector<uint8_t> bytes, file_mode as) {
        fs.files[path] = original = std::move(bytes);
        session = std::make_unique<header_editor_session>(
            state, view, rom_access{fs, path, as, [this](std::string_view l) { view.log(l); }});
        session->open();
    }
    void SetUp() override { open(make_demo_rom(), file_mode::rom_image); }
};

TEST_F(header_editor, OpensOnTrackZeroAndAFailedCommitLeavesTheFileIntact) {
    EXPECT_TRUE(view.enabled);
    EXPECT_TRUE(view.filled);
    EXPECT_EQ(view.track, 0);
    session->commit();
    EXPECT_EQ(fs.files[path], original);
    EXPECT_EQ(view.log_lines,
              (lines{"  * Writing changes to ROM", "  * Header Edited successfully!"}));
    view.log_lines.clear();
    view.fields[1062] = "3";
    fs.read_only.insert(path);
    session->commit();
    EXPECT_EQ(fs.files[path], original);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0],
              (std::pair<std::string, std::string>{"Error Commiting Header to ROM!", "Error!"}));
    EXPECT_EQ(view.log_lines,
              (lines{"  * Writing changes to ROM", "Error Commiting Header to ROM!"}));
    EXPECT_EQ(view.fields[1062], "3"); // the user's values stay for another try
}

// Tracks 5 (6 FM and 3 PSG entries), 8 (7 FM entries) and 17 (no PSG entry, so its channel data
// begins where the fixed layout would put the PSG modifiers).
TEST_F(header_editor, EachFieldLandsInItsOwnChannelsByteAndAbsentOnesAreNeverRead) {
    for (int track : {5, 8, 17}) {
        view.track = track;
        session->choose_track();
        const uint32_t start = track_table[track].start;
        const track_header_layout layout = state.header.layout();
        std::set<std::size_t> bytes; // each shown field has its own byte
        for (const header_field& field : header_fields) {
            const std::optional<std::size_t> byte = header_field_byte(field, layout);
            EXPECT_EQ(view.field_enabled[field.control_id], byte.has_value()) << field.name;
            if (!byte) {
                EXPECT_EQ(view.fields[field.control_id], "") << field.name;
                view.fields[field.control_id] = "99"; // disabled: never read
                continue;
            }
            EXPECT_TRUE(bytes.insert(*byte).second) << field.name;
            auto expected = fs.files[path];
            EXPECT_EQ(view.fields[field.control_id], format_header_byte(expected[start + *byte]));
            view.fields[field.control_id] = "201";
            session->commit();
            expected[start + *byte] = 201;
            EXPECT_EQ(fs.files[path], expected) << field.name;
        }
        EXPECT_EQ(bytes.size(), track == 5 ? 18u : track == 8 ? 20u : 12u) << track;
    }
}

// Bytes 2-3 that are no channel counts keep the fixed 48-byte layout exactly.
TEST_F(header_editor, AnotherFileShowsFromItsFirstTrackAndTakesTheCommits) {
    view.track = 6;
    session->choose_track();
    std::vector<uint8_t> track = make_demo_track(11);
    track[2] = 0x00;
    track[3] = 0x09;
    fs.files["/music/track.bin"] = track;
    session->show_file("/music/track.bin", file_mode::bare_track);
    EXPECT_FALSE(view.enabled);
    EXPECT_FALSE(view.filled);
    EXPECT_EQ(view.fields[1069], format_header_byte(track[45]));
    EXPECT_FALSE(view.field_enabled[1300]);
    view.fields[1069] = "250";
    session->commit();
    EXPECT_EQ(fs.files[path], original);
    track[45] = 250;
    EXPECT_EQ(fs.files["/music/track.bin"], track);
}

TEST_F(header_editor, UnreadableTrackKeepsTheCopyAndSaysWhy) {
    const track_header before = state.header;
    open(std::vector<uint8_t>{0, 0, 7, 3, 4, 5, 0, 0, 0, 0}, file_mode::bare_track); // 52
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(state.header, before);
    EXPECT_EQ(view.fields[1062], format_header_byte(before[5]));
    session->commit();
    EXPECT_EQ(fs.files[path], original);
}

} // namespace
} // namespace kavelo
