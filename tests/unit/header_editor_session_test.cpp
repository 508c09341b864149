// The Header editor over a plain-data view and a file in memory, and its enabled states.

#include "demo/demo_rom.h"
#include "fake_header_editor_view.h"
#include "header_editor/header_editor_session.h"
#include "header_editor/header_fields.h"
#include "memory_file_system.h"
#include "rom/track_table.h"

#include <gtest/gtest.h>

#include <map>

namespace kavelo {
namespace {

using lines = std::vector<std::string>;

using fake_header_view = test::fake_header_editor_view;

struct header_editor : ::testing::Test {
    test::memory_file_system fs;
    const std::string path = "/music/file.bin";
    std::vector<uint8_t> original;
    header_editor_state state;
    fake_header_view view;
    std::unique_ptr<header_editor_session> session;

    void open(std::vector<uint8_t> bytes, file_mode as) {
        fs.files[path] = original = std::move(bytes);
        session = std::make_unique<header_editor_session>(
            state, view, rom_access{fs, path, as, [this](std::string_view l) { view.log(l); }});
        session->open();
    }
    void SetUp() override { open(make_demo_rom(), file_mode::rom_image); }
    std::vector<std::size_t> changed_bytes() {
        std::vector<std::size_t> at;
        for (std::size_t i = 0; i < original.size(); ++i) {
            if (fs.files[path][i] != original[i]) {
                at.push_back(i);
            }
        }
        return at;
    }
};

TEST_F(header_editor, OpensOnTrackZeroAndCommitsTheFileUnchanged) {
    EXPECT_TRUE(view.enabled);
    EXPECT_TRUE(view.filled);
    EXPECT_EQ(view.track, 0);
    EXPECT_EQ(view.fields[1062], format_header_byte(original[track_table[0].start + 5]));
    session->commit();
    EXPECT_EQ(fs.files[path], original);
    EXPECT_EQ(view.log_lines,
              (lines{"  * Writing changes to ROM", "  * Header Edited successfully!"}));
}

// Tracks 5 (6 FM and 3 PSG entries), 8 (7 FM entries) and 17 (no PSG entry).
TEST_F(header_editor, EachFieldLandsInItsOwnChannelsByte) {
    for (int track : {5, 8, 17}) {
        view.track = track;
        session->choose_track();
        const uint32_t start = track_table[track].start;
        const track_header_layout layout = state.header.layout();
        int shown = 0;
        for (const header_field& field : header_fields) {
            const std::optional<std::size_t> byte = header_field_byte(field, layout);
            EXPECT_EQ(view.field_enabled[field.control_id], byte.has_value()) << field.name;
            if (!byte) {
                EXPECT_EQ(view.fields[field.control_id], "") << field.name;
                continue;
            }
            ++shown;
            auto expected = fs.files[path];
            EXPECT_EQ(view.fields[field.control_id], format_header_byte(expected[start + *byte]));
            view.fields[field.control_id] = "201";
            session->commit();
            expected[start + *byte] = 201;
            EXPECT_EQ(fs.files[path], expected) << field.name;
        }
        EXPECT_EQ(shown, track == 5 ? 18 : track == 8 ? 20 : 12) << track;
    }
}

// A no-PSG header is 30 bytes; its channel data begins right where the fixed layout would put the
// PSG modifiers.
TEST_F(header_editor, CommitOnANoPsgTrackLeavesEveryNoteByteIntact) {
    view.track = 17;
    session->choose_track();
    const uint32_t start = track_table[17].start;
    ASSERT_EQ(state.header.size(), 30u);
    for (uint16_t field = 1064; field <= 1079; ++field) {
        view.fields[field] = field < 1070 ? "99" : "77"; // PSG fields are disabled: never read
    }
    session->commit();
    const auto& after = fs.files[path];
    for (std::size_t at : changed_bytes()) {
        EXPECT_LT(at, start + 30);
    }
    EXPECT_TRUE(std::equal(after.begin() + start + 30, after.begin() + track_table[17].end,
                           original.begin() + start + 30));
    EXPECT_EQ(after[start + 28], 77); // FM channel 5's key modifier
}

TEST_F(header_editor, TypedNumbersCommitTheirLowEightBitsAndTrackChangesDiscardEdits) {
    const uint32_t tempo = track_table[0].start + 5;
    view.fields[1062] = "-12";
    session->commit();
    EXPECT_EQ(changed_bytes(), std::vector<std::size_t>{tempo});
    EXPECT_EQ(fs.files[path][tempo], 244);

    fs.files[path] = original;
    view.fields[1063] = "99";
    view.track = 9;
    session->choose_track();
    EXPECT_EQ(view.fields[1063], format_header_byte(original[track_table[9].start + 4]));
    EXPECT_EQ(state.track_offset, track_table[9].start);
    session->commit();
    EXPECT_EQ(fs.files[path], original);
}

TEST_F(header_editor, FailedCommitReportsAndLeavesTheFileIntact) {
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

// Bytes 2-3 that are no channel counts keep the fixed 48-byte layout exactly.
TEST_F(header_editor, BareTrackWithoutCountsKeepsTheFixedLayout) {
    std::vector<uint8_t> track = make_demo_track(11);
    track[2] = 0x00;
    track[3] = 0x09;
    open(track, file_mode::bare_track);
    EXPECT_FALSE(view.enabled);
    EXPECT_FALSE(view.filled);
    EXPECT_EQ(view.fields[1069], format_header_byte(original[45]));
    EXPECT_FALSE(view.field_enabled[1300]);
    EXPECT_TRUE(view.field_enabled[1079]);
    view.fields[1069] = "250";
    session->commit();
    EXPECT_EQ(changed_bytes(), std::vector<std::size_t>{45});
}

TEST_F(header_editor, UnreadableTrackKeepsTheCopyAndSaysWhy) {
    const track_header before = state.header;
    open(std::vector<uint8_t>(47, 9),
         file_mode::bare_track); // fixed layout: 48 bytes
    ASSERT_EQ(view.messages.size(), 1u);
    open(std::vector<uint8_t>{0, 0, 7, 3, 4, 5, 0, 0, 0, 0},
         file_mode::bare_track); // 52
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(state.header, before);
    EXPECT_EQ(view.fields[1062], format_header_byte(before[5]));
    session->commit();
    EXPECT_EQ(fs.files[path], original);
}

TEST_F(header_editor, AnotherFileShowsFromItsFirstTrackAndTakesTheCommits) {
    view.track = 6;
    session->choose_track();
    const std::string track_path = "/music/track.bin";
    const std::vector<uint8_t> track = make_demo_track(11);
    fs.files[track_path] = track;
    session->show_file(track_path, file_mode::bare_track);
    EXPECT_FALSE(view.enabled);
    EXPECT_EQ(view.fields[1079], format_header_byte(track[29]));
    view.fields[1079] = "254";
    session->commit();
    EXPECT_EQ(fs.files[path], original);
    EXPECT_EQ(fs.files[track_path][29], 254);

    session->show_file(path, file_mode::rom_image);
    EXPECT_TRUE(view.filled);
    EXPECT_EQ(state.track_offset, track_table[0].start);
}

// Bytes 2 and 3 are the FM and PSG counts; `disabled` names the channels whose two fields are off.
TEST(enabled_states, HeaderEditorSetFollowsTheLayoutAndTheFileMode) {
    const struct {
        uint8_t fm, psg;
        file_mode mode;
        std::string_view disabled;
    } cases[] = {
        {0, 0, file_mode::rom_image, "fm6"},
        {0, 0, file_mode::bare_track, "fm6"},
        {7, 3, file_mode::rom_image, ""},
        {1, 0, file_mode::rom_image, "psg1 psg2 psg3 fm1 fm2 fm3 fm4 fm5 fm6"}, // drums only
        {3, 2, file_mode::bare_track, "psg3 fm3 fm4 fm5 fm6"},
        {8, 1, file_mode::rom_image, "fm6"}, // an FM count past 7: the fixed layout
        {3, 4, file_mode::rom_image, "fm6"}, // a PSG count past 3 too
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int{c.fm} << " " << int{c.psg});
        track_header header;
        header[2] = c.fm;
        header[3] = c.psg;
        const header_editor_enabled states = header_editor_enabled_states(header, c.mode);
        EXPECT_EQ(states.track_list, c.mode == file_mode::rom_image);
        for (std::size_t i = 0; i < header_fields.size(); ++i) {
            const std::string_view name = header_fields[i].name;
            const std::string channel(name.substr(0, name.find('_')));
            const bool off = (" " + std::string(c.disabled) + " ").find(" " + channel + " ") !=
                             std::string::npos;
            EXPECT_EQ(states.fields[i], !off) << name;
        }
    }
}

} // namespace
} // namespace kavelo
