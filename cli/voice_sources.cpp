#include "cli/voice_sources.h"

#include "cli/commands.h"
#include "cli/voice_files.h"
#include "formats/tx81z.h"
#include "formats/ymx_bank.h"

namespace kavelo::cli {

std::optional<voice_record> voice_from_argument(const std::string& hex) {
    std::optional<voice_record> voice = voice_from_hex(hex);
    if (!voice) {
        fail(hex,
             "a voice is 50 hex digits (25 bytes in working order, as `kavelo voices` prints it)");
    }
    return voice;
}

std::optional<voice_record> voice_from_bank(const std::string& path, int entry) {
    const bank_read_result bank = bank_import(native_file_system(), path);
    if (!bank.done()) {
        fail(path, bank.problem);
        return std::nullopt;
    }
    if (entry < 0 || entry >= static_cast<int>(bank.entries.size())) {
        fail(path, "the bank has no entry " + std::to_string(entry) + " (it holds " +
                       std::to_string(bank.entries.size()) + ")");
        return std::nullopt;
    }
    return bank.entries[static_cast<std::size_t>(entry)].voice;
}

std::optional<voice_record> voice_from_sysex(const std::string& path, int entry) {
    tx81z_store store;
    const tx81z_import_result dump = tx81z_import_file(native_file_system(), path, store);
    if (!dump.done()) {
        fail(path, dump.problem);
        return std::nullopt;
    }
    if (entry < 0 || entry >= store.voice_count) {
        fail(path, "the dump has no voice " + std::to_string(entry) + " (it holds " +
                       std::to_string(store.voice_count) + ")");
        return std::nullopt;
    }
    return tx81z_voice_to_record(store, entry);
}

std::optional<voice_record> voice_from_file(const std::string& path, int entry) {
    const auto voices = read_voices(path);
    if (!voices) {
        return std::nullopt;
    }
    const int count = static_cast<int>(voices->size());
    if (entry < 0 && count != 1) {
        fail(path, "the file holds " + std::to_string(count) + " voices; choose one with --entry");
        return std::nullopt;
    }
    const int chosen = entry < 0 ? 0 : entry;
    if (chosen >= count) {
        fail(path, "the file has no entry " + std::to_string(chosen) + " (it holds " +
                       std::to_string(count) + ")");
        return std::nullopt;
    }
    return (*voices)[static_cast<std::size_t>(chosen)].voice;
}

} // namespace kavelo::cli
