// Imports the input as a TX81Z dump over an earlier one and sends every listed voice through
// a bank and the preview. Checks: a refusal leaves the store; names and counts stay within
// their limits; a converted voice survives a bank round trip.

#include "fm/preview_render.h"
#include "formats/tx81z.h"
#include "formats/ymx_bank.h"
#include "fuzz_check.h"

#include <algorithm>

namespace {

using namespace kavelo;

// The store as an earlier import of 50 voices of counting bytes leaves it.
tx81z_store earlier_import() {
    tx81z_store store;
    for (std::size_t i = 0; i < store.bytes.size(); ++i) {
        store.bytes[i] = static_cast<uint8_t>(i * 13);
    }
    store.voice_count = tx81z_store_voices;
    return store;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const tx81z_store earlier = earlier_import();
    tx81z_store store = earlier;
    const tx81z_import_result result = tx81z_import_bytes(store, std::span(data, size));
    if (!result.done()) {
        FUZZ_CHECK(size < tx81z_min_file_size);
        FUZZ_CHECK(!result.problem.empty());
        FUZZ_CHECK(store.bytes == earlier.bytes && store.voice_count == earlier.voice_count);
        return 0;
    }
    FUZZ_CHECK(result.voices_in_file == static_cast<int32_t>((size - 8) / tx81z_voice_size));
    FUZZ_CHECK(store.voice_count == std::min(result.voices_in_file, tx81z_store_voices));
    FUZZ_CHECK(result.names.size() == static_cast<std::size_t>(store.voice_count));

    std::vector<bank_voice> entries;
    for (int32_t i = 0; i < store.voice_count; ++i) {
        const std::string& name = result.names[static_cast<std::size_t>(i)];
        FUZZ_CHECK(name.size() <= 10 && name.find('\0') == std::string::npos);
        FUZZ_CHECK(name == tx81z_voice_name(store, i));
        entries.push_back({tx81z_voice_to_record(store, i), name});
    }
    FUZZ_CHECK(tx81z_voice_to_record(store, -1) == voice_record{});
    FUZZ_CHECK(tx81z_voice_to_record(store, tx81z_store_voices) == voice_record{});

    std::vector<uint8_t> bank;
    FUZZ_CHECK(bank_write(entries, bank).done());
    const bank_read_result read = bank_read(bank);
    FUZZ_CHECK(read.done() && read.notice.empty() && read.entries.size() == entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        FUZZ_CHECK(read.entries[i].voice == entries[i].voice);
        FUZZ_CHECK(read.entries[i].name == entries[i].name);
    }

    // Any converted voice plays: a few hundred frames of the first one.
    if (!entries.empty()) {
        std::vector<int8_t> left(300), right(300);
        FUZZ_CHECK(preview_render(entries.front().voice, 1, 300, left, right) == preview_done);
    }
    return 0;
}
