#include "formats/ymx_bank.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

TEST(YmxEntry, ReversesEveryGroupBothWays) {
    const bank_entry_bytes entry = record_to_bank_entry(test::counting_record(0), "Lead");
    const std::vector<uint8_t> expected{0x00, 0x04, 0x03, 0x02, 0x01, 0x08, 0x07, 0x06, 0x05,
                                        0x0C, 0x0B, 0x0A, 0x09, 0x10, 0x0F, 0x0E, 0x0D, 0x14,
                                        0x13, 0x12, 0x11, 0x18, 0x17, 0x16, 0x15};
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), entry.begin()));
    EXPECT_EQ(bank_entry_to_record(entry), test::counting_record(0));
    EXPECT_EQ(entry[25], 'L');
    EXPECT_EQ(entry[29], 0);
}

TEST(YmxBank, RoundTripsUpTo128VoicesWithNamesCutToTen) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(bank_write({}, bytes).done());
    EXPECT_EQ(bytes, (std::vector<uint8_t>{'Y', 'M', '2', '6', '1', '2', 0, 0}));
    std::vector<bank_voice> voices;
    for (int i = 0; i < 128; ++i) {
        voices.push_back(
            {test::counting_record(static_cast<uint8_t>(i)), "Voice " + std::to_string(i)});
    }
    voices[5].name = "ABCDEFGHIJKL"; // 12 characters: the first 10 are kept
    voices[6].name = "0123456789";   // exactly 10: no terminator, read back whole
    voices[7].name = "";
    ASSERT_TRUE(bank_write(voices, bytes).done());
    EXPECT_EQ(bytes.size(), 8u + 128 * 35);
    EXPECT_EQ(bytes[7], 0x80);
    const bank_read_result read = bank_read(bytes);
    ASSERT_TRUE(read.done());
    ASSERT_EQ(read.entries.size(), 128u);
    EXPECT_TRUE(read.notice.empty());
    EXPECT_EQ(read.entries[5].name, "ABCDEFGHIJ");
    EXPECT_EQ(read.entries[6].name, "0123456789");
    EXPECT_EQ(read.entries[7].name, "");
    for (int i = 0; i < 128; ++i) {
        EXPECT_EQ(read.entries[i].voice, voices[i].voice) << i;
    }
    voices.push_back(voices[0]);
    const op_result over = bank_write(voices, bytes);
    EXPECT_EQ(over.code, result_refused);
    EXPECT_NE(over.problem.find("128"), std::string::npos);
}

TEST(YmxBank, ReadsOnlyWholeEntriesAndSaysHowManyOfHowMany) {
    std::vector<uint8_t> bytes;
    const std::vector<bank_voice> two{{test::counting_record(1), "One"},
                                      {test::counting_record(2), "Two"}};
    ASSERT_TRUE(bank_write(two, bytes).done());
    bytes[7] = 5;                   // claims five
    bytes.resize(bytes.size() - 1); // and the second entry is cut short
    const bank_read_result read = bank_read(bytes);
    ASSERT_TRUE(read.done());
    ASSERT_EQ(read.entries.size(), 1u);
    EXPECT_NE(read.notice.find("1 of 5"), std::string::npos);

    // Byte 7 is the count: extra whole entries past it are not listed.
    bytes.resize(8 + 35 * 2, 0);
    bytes[7] = 1;
    EXPECT_EQ(bank_read(bytes).entries.size(), 1u);

    const bank_read_result tiny = bank_read(std::vector<uint8_t>{'Y', 'M'});
    EXPECT_FALSE(tiny.done());
    EXPECT_FALSE(tiny.problem.empty());
}

TEST(YmxBank, FilesExportAtomicallyAndImportBack) {
    test::scratch_dir dir;
    const std::string path = dir.file("bank.ymx");
    test::write_bytes(path, std::vector<uint8_t>(500, 0xAA)); // replaced without a question
    const std::vector<bank_voice> one{{test::counting_record(9), "Bells"}};
    ASSERT_TRUE(bank_export(native_file_system(), path, one).done());
    EXPECT_EQ(test::read_bytes(path).size(), 43u);
    const bank_read_result read = bank_import(native_file_system(), path);
    ASSERT_TRUE(read.done());
    EXPECT_EQ(read.entries[0].name, "Bells");
    EXPECT_EQ(read.entries[0].voice, test::counting_record(9));

    EXPECT_FALSE(bank_import(native_file_system(), dir.file("missing.ymx")).done());
}

} // namespace
} // namespace kavelo
