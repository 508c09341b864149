#include "formats/ymx_bank.h"

#include "formats/voice_file.h"
#include "rom/file_image.h"

#include <algorithm>

namespace kavelo {

namespace {

constexpr char bank_magic[] = "YM2612";

// Entry byte for record byte 1 + 4g + j is 1 + 4g + (3 - j): each group reversed.
constexpr std::size_t reversed_position(std::size_t record_byte) {
    if (record_byte == 0) {
        return 0;
    }
    const std::size_t group_start = 1 + 4 * ((record_byte - 1) / 4);
    return group_start + 3 - (record_byte - group_start);
}

} // namespace

voice_record bank_entry_to_record(std::span<const uint8_t, bank_entry_size> entry) {
    voice_record record{};
    for (std::size_t i = 0; i < voice_record_size; ++i) {
        record[i] = entry[reversed_position(i)];
    }
    return record;
}

bank_entry_bytes record_to_bank_entry(const voice_record& record, const std::string& name) {
    bank_entry_bytes entry{};
    for (std::size_t i = 0; i < voice_record_size; ++i) {
        entry[reversed_position(i)] = record[i];
    }
    const std::size_t length = std::min(name.size(), bank_name_length);
    std::copy_n(name.begin(), length, entry.begin() + voice_record_size);
    return entry;
}

bank_read_result bank_read(std::span<const uint8_t> file) {
    if (file.size() < bank_header_size) {
        return only_outcome<bank_read_result>(
            refused(min_size_problem(file.size(), bank_header_size, "a voice bank")));
    }
    bank_read_result result;
    const int32_t claimed = file[7]; // the count byte
    const std::size_t whole = (file.size() - bank_header_size) / bank_entry_size;
    const auto taken = static_cast<int32_t>(std::min<std::size_t>(
        {whole, static_cast<std::size_t>(claimed), static_cast<std::size_t>(bank_max_entries)}));
    for (int32_t i = 0; i < taken; ++i) {
        auto entry = file.subspan(bank_header_size + bank_entry_size * static_cast<std::size_t>(i))
                         .first<bank_entry_size>();
        const auto* name = entry.data() + voice_record_size;
        const auto* name_end = std::find(name, name + bank_name_length, uint8_t{0});
        result.entries.push_back({bank_entry_to_record(entry), std::string(name, name_end)});
    }
    if (taken < claimed) {
        result.notice = "The bank claims " + std::to_string(claimed) + " voices but holds " +
                        std::to_string(taken) + " in full; " + std::to_string(taken) + " of " +
                        std::to_string(claimed) + " were read.";
    }
    return result;
}

op_result bank_write(std::span<const bank_voice> entries, std::vector<uint8_t>& out) {
    if (entries.size() > static_cast<std::size_t>(bank_max_entries)) {
        return refused("A bank holds at most 128 voices.");
    }
    out.assign(bank_magic, bank_magic + 6);
    out.push_back(0);
    out.push_back(static_cast<uint8_t>(entries.size()));
    for (const bank_voice& entry : entries) {
        const bank_entry_bytes bytes = record_to_bank_entry(entry.voice, entry.name);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return {};
}

bank_read_result bank_import(const file_system& fs, const std::string& path) {
    file_image file = read_file_image(fs, path);
    if (file.status != read_status::ok) {
        return only_outcome<bank_read_result>(read_failure(file.status, path));
    }
    return bank_read(file.bytes);
}

op_result bank_export(const file_system& fs, const std::string& path,
                      std::span<const bank_voice> entries) {
    std::vector<uint8_t> bytes;
    if (op_result written = bank_write(entries, bytes); !written.done()) {
        return written;
    }
    if (!replace_file_atomically(fs, path, bytes)) {
        return {result_write_failed, "Cannot write " + path + "."};
    }
    return {};
}

} // namespace kavelo
