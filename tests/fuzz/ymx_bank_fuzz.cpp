// Reads the input as a .ymx bank, writes it back and exports it over an old bank in memory
// under a write fault. Checks: only whole entries within the count and 128 are listed, a
// bank survives its own round trip, a failed export leaves the old file byte for byte.

#include "formats/ymx_bank.h"
#include "fuzz_check.h"
#include "memory_file_system.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace kavelo;
    const std::span<const uint8_t> file(data, size);
    const bank_read_result read = bank_read(file);
    if (!read.done()) {
        FUZZ_CHECK(size < bank_header_size && !read.problem.empty());
        return 0;
    }
    const std::size_t whole = (size - bank_header_size) / bank_entry_size;
    FUZZ_CHECK(read.entries.size() ==
               std::min<std::size_t>({whole, data[7], std::size_t{bank_max_entries}}));
    FUZZ_CHECK(read.notice.empty() == (read.entries.size() == data[7]));
    for (std::size_t i = 0; i < read.entries.size(); ++i) {
        const bank_voice& entry = read.entries[i];
        FUZZ_CHECK(entry.name.size() <= bank_name_length);
        FUZZ_CHECK(entry.name.find('\0') == std::string::npos);
        // Voice bytes convert back to the entry bytes of the file.
        const bank_entry_bytes bytes = record_to_bank_entry(entry.voice, entry.name);
        FUZZ_CHECK(std::equal(bytes.begin(), bytes.begin() + voice_record_size,
                              data + bank_header_size + i * bank_entry_size));
    }

    std::vector<uint8_t> written;
    FUZZ_CHECK(bank_write(read.entries, written).done());
    FUZZ_CHECK(written.size() == bank_header_size + bank_entry_size * read.entries.size());
    const bank_read_result again = bank_read(written);
    FUZZ_CHECK(again.done() && again.notice.empty() && again.entries.size() == read.entries.size());
    for (std::size_t i = 0; i < read.entries.size(); ++i) {
        FUZZ_CHECK(again.entries[i].voice == read.entries[i].voice);
        FUZZ_CHECK(again.entries[i].name == read.entries[i].name);
    }

    // The export's fault comes from the last input byte, so seeds stay plain banks.
    test::memory_file_system fs;
    const std::string path = "/banks/old.ymx";
    const std::vector<uint8_t> old_bank(file.begin(), file.end());
    fs.files[path] = old_bank;
    const uint8_t choice = data[size - 1];
    fs.fault = static_cast<test::write_fault>(choice % 6);
    if (choice & 0x80) {
        fs.free_space = choice & 0x3F;
    }
    const bool must_fail = fs.fault != test::write_fault::none || fs.free_space < written.size();
    const op_result exported = bank_export(fs, path, read.entries);
    FUZZ_CHECK(fs.files.size() == 1);
    if (exported.done()) {
        FUZZ_CHECK(!must_fail && fs.files[path] == written);
    } else {
        FUZZ_CHECK(must_fail && fs.files[path] == old_bank);
        FUZZ_CHECK(exported.code == result_write_failed && !exported.problem.empty());
    }
    return 0;
}
