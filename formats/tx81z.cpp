#include "formats/tx81z.h"

#include "formats/voice_file.h"
#include "rom/file_image.h"

#include <algorithm>

namespace kavelo {

namespace {

constexpr std::size_t name_offset = 57;
constexpr std::size_t name_length = 10;
constexpr std::size_t voice_common_offset = 40; // SY, feedback, algorithm
constexpr std::size_t operator_block_size = 10;

// TX81Z detune (3 = centre) to the chip's detune (0 none, 1-3 up, 5-7 down).
constexpr std::array<uint8_t, 8> detune_map{7, 6, 5, 0, 1, 2, 3, 7};

} // namespace

tx81z_import_result tx81z_import_bytes(tx81z_store& store, std::span<const uint8_t> file) {
    if (file.size() < tx81z_min_file_size) {
        return only_outcome<tx81z_import_result>(
            refused(min_size_problem(file.size(), tx81z_min_file_size, "a TX81Z voice dump")));
    }
    tx81z_import_result result;
    const std::size_t data_size = file.size() - tx81z_min_file_size;
    const std::size_t copied = std::min(data_size, store.bytes.size());
    std::copy_n(file.begin() + tx81z_dump_header_size, copied, store.bytes.begin());
    result.voices_in_file = static_cast<int32_t>(data_size / tx81z_voice_size);
    store.voice_count = std::min(result.voices_in_file, tx81z_store_voices);
    for (int32_t i = 0; i < store.voice_count; ++i) {
        result.names.push_back(tx81z_voice_name(store, i));
    }
    return result;
}

std::string tx81z_voice_name(const tx81z_store& store, int32_t index) {
    const auto* name =
        store.bytes.data() + static_cast<std::size_t>(index) * tx81z_voice_size + name_offset;
    const auto* end = std::find(name, name + name_length, uint8_t{0});
    return std::string(name, end);
}

voice_record tx81z_voice_to_record(const tx81z_store& store, int32_t index) {
    voice_record record{};
    if (index < 0 || index >= tx81z_store_voices) {
        return record;
    }
    const uint8_t* voice = store.bytes.data() + static_cast<std::size_t>(index) * tx81z_voice_size;
    record[0] = voice[voice_common_offset] & 0x7F;
    for (int k = 0; k < 4; ++k) {
        // Group position k (OP4, OP3, OP2, OP1) comes from operator block 3 - k.
        const uint8_t* op = voice + operator_block_size * static_cast<std::size_t>(3 - k);
        record[1 + k] = static_cast<uint8_t>(detune_map[op[9] & 0x07] * 16 + (op[8] & 0x3C) / 4);
        record[5 + k] = static_cast<uint8_t>(op[0] + (op[9] & 0x18) * 8);
        // The first decay rate crosses unchanged: both sides count rates upwards.
        record[9 + k] = static_cast<uint8_t>(op[1] + (op[6] & 0x40) * 2);
        record[13 + k] = op[2];
        record[17 + k] = static_cast<uint8_t>((15 - op[4]) * 16 + op[3]);
        record[21 + k] = static_cast<uint8_t>(99 - op[7]);
    }
    return record;
}

} // namespace kavelo

namespace kavelo {

tx81z_import_result tx81z_import_file(const file_system& fs, const std::string& path,
                                      tx81z_store& store) {
    file_image file = read_file_image(fs, path);
    if (file.status != read_status::ok) {
        return only_outcome<tx81z_import_result>(read_failure(file.status, path));
    }
    return tx81z_import_bytes(store, file.bytes);
}

} // namespace kavelo
