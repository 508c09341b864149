#include "header_editor/header_fields.h"
#include "voice_editor/voice_fields.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace kavelo {
namespace {

// Controls held in maps, standing in for the dialog's lists and check boxes.
struct fake_controls : voice_controls {
    std::map<uint16_t, int> selections;
    std::map<uint16_t, bool> checks;
    void select(uint16_t id, int entry) override { selections[id] = entry; }
    int selection(uint16_t id) const override {
        auto it = selections.find(id);
        return it == selections.end() ? -1 : it->second;
    }
    void check(uint16_t id, bool on) override { checks[id] = on; }
    bool checked(uint16_t id) const override {
        auto it = checks.find(id);
        return it != checks.end() && it->second;
    }
};

voice_record shown_and_read(const voice_record& record) {
    fake_controls controls;
    voice_editor_show_voice(record, controls);
    return voice_editor_read_voice(controls);
}

TEST(VoiceFields, ControlIdsFollowTheColumnRule) {
    std::set<uint16_t> ids;
    for (const field_control& control : voice_field_controls()) {
        EXPECT_TRUE(ids.insert(control.control_id).second) << control.control_id;
    }
    EXPECT_EQ(ids.size(), 42u);
    EXPECT_TRUE(ids.count(1045) && ids.count(1056) && ids.count(1004) && ids.count(1043));
    EXPECT_EQ(*ids.rbegin(), 1056);
    EXPECT_FALSE(ids.count(1044));
}

TEST(VoiceFields, EachControlShowsItsOwnBitsOfItsOwnByte) {
    fake_controls controls;
    voice_record record{};
    record[4] = 0x5A;  // OP1 DT/MUL
    record[21] = 0x45; // OP4 TL
    record[17] = 0xC3; // OP4 D1L/RR
    record[11] = 0x9F; // OP2 AM/D1R
    voice_editor_show_voice(record, controls);
    EXPECT_EQ(controls.selection(1004), 5);  // OP1 DET
    EXPECT_EQ(controls.selection(1005), 10); // OP1 MUL
    EXPECT_EQ(controls.selection(1036), 0x45);
    EXPECT_EQ(controls.selection(1041), 12);
    EXPECT_EQ(controls.selection(1042), 3);
    EXPECT_TRUE(controls.checked(1023));
    EXPECT_EQ(controls.selection(1019), 31);
    EXPECT_FALSE(controls.checked(1013));
}

TEST(VoiceFields, UnshownBitsReadBackAsZero) {
    voice_record record{};
    record[0] = 0xFF;
    record[1] = 0xFF;  // DT/MUL: bit 7 has no control
    record[21] = 0x80; // TL: bit 7 is not shown
    record[9] = 0x9F;
    record[13] = 0xFF; // D2R: bits 5-7 dropped
    record[5] = 0xFF;  // RS/AR: bit 5 dropped
    const voice_record back = shown_and_read(record);
    EXPECT_EQ(back[0], 0x3F);
    EXPECT_EQ(back[1], 0x7F);
    EXPECT_EQ(back[21], 0x00);
    EXPECT_EQ(back[9], 0x9F);
    EXPECT_EQ(back[13], 0x1F);
    EXPECT_EQ(back[5], 0xDF);

    // Every byte pattern of the fields alone survives the round trip.
    voice_record fields_only{0x3F, 0x7F, 0x12, 0x34, 0x70, 0xDF, 0x00, 0x41, 0x9F,
                             0x80, 0x1F, 0x05, 0x9E, 0x1F, 0x00, 0x10, 0x0F, 0xF0,
                             0x0F, 0xFF, 0x00, 0x7F, 0x00, 0x40, 0x3F};
    EXPECT_EQ(shown_and_read(fields_only), fields_only);
}

TEST(VoiceFields, ReleaseListsShowOddNumbersAndMissingSelectionsReadAsZero) {
    const voice_field& rr = voice_fields[10];
    EXPECT_EQ(rr.label, "RR:");
    EXPECT_EQ(field_entry_text(rr, 0), "1");
    EXPECT_EQ(field_entry_text(rr, 15), "31");
    EXPECT_EQ(field_entry_text(voice_fields[4], 127), "127");
    fake_controls controls;
    controls.select(1012, 15);  // the user picks "31" for OP1's RR
    controls.select(1045, 5);   // ALG; FB has no selection
    controls.select(1006, 200); // out of the list's range
    const voice_record record = voice_editor_read_voice(controls);
    EXPECT_EQ(record[20] & 0x0F, 15);
    EXPECT_EQ(record[0], 5);
    EXPECT_EQ(record[24], 0);
}

TEST(HeaderFields, EachPresentFieldHasItsOwnByteOfTheHeader) {
    // The fixed layout shows the 18 specified fields; a 7 FM entry header all 20.
    const std::pair<track_header_layout, std::size_t> cases[] = {{header_layout(0, 0), 18},
                                                                 {header_layout(7, 3), 20}};
    for (const auto& [layout, expected] : cases) {
        std::set<std::size_t> bytes;
        for (const header_field& field : header_fields) {
            if (const std::optional<std::size_t> byte = header_field_byte(field, layout)) {
                EXPECT_LT(*byte, layout.size);
                EXPECT_TRUE(bytes.insert(*byte).second) << field.name;
            }
        }
        EXPECT_EQ(bytes.size(), expected);
    }
    const track_header_layout fixed = header_layout(0, 0);
    EXPECT_EQ(header_field_byte(*find_header_field("song_tempo"), fixed), 5u);
    EXPECT_EQ(find_header_field("psg3_volume")->control_id, 1069);
    EXPECT_EQ(header_field_byte(*find_header_field("psg3_volume"), fixed), 45u);
    EXPECT_EQ(header_field_byte(*find_header_field("fm5_key"), fixed), 28u);
    EXPECT_EQ(header_field_byte(*find_header_field("fm6_key"), fixed), std::nullopt);
    EXPECT_EQ(header_field_byte(*find_header_field("fm6_volume"), header_layout(7, 0)), 33u);
    EXPECT_EQ(find_header_field("fm6_volume")->control_id, 1301);
    EXPECT_EQ(find_header_field("tempo"), nullptr);
}

TEST(HeaderFields, BytesShowAsTwoCharacterDecimalsAndTextIsReadLikeTheDialogReadsIt) {
    EXPECT_EQ(format_header_byte(5), " 5");
    EXPECT_EQ(format_header_byte(0), " 0");
    EXPECT_EQ(format_header_byte(10), "10");
    EXPECT_EQ(format_header_byte(244), "244");
    const std::pair<const char*, uint8_t> typed[] = {
        {"244", 244}, {" 5", 5},  {"-12", 244},  {"-1", 255}, {"300", 44}, {"abc", 0},
        {"", 0},      {" 7x", 7}, {"1234", 123}, {"+9", 9},   {"   9", 0}}; // the fourth character
                                                                            // is never read
    for (const auto& [text, value] : typed) {
        EXPECT_EQ(read_header_text(text), value) << text;
    }
}

} // namespace
} // namespace kavelo
