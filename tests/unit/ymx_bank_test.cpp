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

TEST(YmxBank, CutsNamesToTenAndListsOnlyTheEntriesByte7Counts) {
    // Export, listing, names of exactly ten, the 129th entry and a bank cut short are checked
    // end to end by the bank commands of the CLI.
    std::vector<bank_voice> voices(128, {test::counting_record(3), "Voice"});
    voices[5].name = "ABCDEFGHIJKL"; // 12 characters: the first 10 are kept
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(bank_write(voices, bytes).done());
    EXPECT_EQ(bytes[7], 0x80);
    EXPECT_EQ(bank_read(bytes).entries.at(5).name, "ABCDEFGHIJ");
    bytes[7] = 1; // whole entries past the count are not listed
    EXPECT_EQ(bank_read(bytes).entries.size(), 1u);
}

} // namespace
} // namespace kavelo
