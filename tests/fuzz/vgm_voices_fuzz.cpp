// Extracts the voices of the input as a (possibly gzipped) VGM log. Checks: a refusal names
// an offset inside the data; voices are unique, with no unused bit set, channels 1-6, a
// key-on each and bank-sized names; grouping volume variants keeps every key-on and leaves
// no two voices that differ only in carrier TL.

#include "fuzz_check.h"
#include "vgm/vgm_voices.h"

#include <set>

namespace {

using namespace kavelo;

bool unused_bits_clear(const voice_record& v) {
    constexpr uint8_t unused[6] = {0x80, 0x20, 0x60, 0xE0, 0x00, 0x80};
    if (v[0] & 0xC0) {
        return false;
    }
    for (std::size_t i = 1; i < v.size(); ++i) {
        if (v[i] & unused[(i - 1) / 4]) {
            return false;
        }
    }
    return true;
}

voice_record without_carrier_levels(voice_record v) {
    for (int32_t k = 0; k < carrier_count(v[0]); ++k) {
        v[21 + k] = 0;
    }
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::span<const uint8_t> file(data, size);
    std::vector<uint8_t> unpacked;
    if (vgm_is_gzip(file)) {
        if (const op_result unpacking = vgm_gunzip(file, unpacked); !unpacking.done()) {
            FUZZ_CHECK(!unpacking.problem.empty() && unpacked.empty());
            return 0;
        }
        file = unpacked;
    }
    std::vector<vgm_voice> voices;
    if (const vgm_result error = extract_vgm_voices(file, voices); !error.done()) {
        FUZZ_CHECK(!error.problem.empty());
        FUZZ_CHECK(error.offset <= file.size());
        FUZZ_CHECK(voices.empty());
        return 0;
    }
    std::set<voice_record> seen;
    int64_t key_ons = 0;
    for (const vgm_voice& v : voices) {
        FUZZ_CHECK(seen.insert(v.voice).second);
        FUZZ_CHECK(unused_bits_clear(v.voice));
        FUZZ_CHECK(v.channel >= 1 && v.channel <= 6);
        FUZZ_CHECK(v.key_ons >= 1);
        FUZZ_CHECK(!v.name.empty() && v.name.size() <= 10);
        key_ons += v.key_ons;
    }
    const std::vector<vgm_voice> merged = merge_volume_variants(voices);
    std::set<voice_record> groups;
    int64_t merged_key_ons = 0;
    for (const vgm_voice& v : merged) {
        FUZZ_CHECK(seen.count(v.voice) == 1);
        FUZZ_CHECK(groups.insert(without_carrier_levels(v.voice)).second);
        merged_key_ons += v.key_ons;
    }
    FUZZ_CHECK(merged_key_ons == key_ons);
    FUZZ_CHECK(groups.size() <= voices.size());
    return 0;
}
