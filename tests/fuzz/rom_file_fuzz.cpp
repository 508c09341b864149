// Opens the input as the editor does (identification, voice table, header) and commits
// random voices and headers into it in memory, under random write faults. Checks: nothing
// read or written past the file; a commit changes only its own bytes, or none if it fails.

#include "fuzz_check.h"
#include "memory_file_system.h"
#include "rom/rom_access.h"
#include "rom/track_header.h"
#include "rom/track_table.h"
#include "rom/voice_commit.h"
#include "rom/voice_table.h"

#include <algorithm>
#include <fuzzer/FuzzedDataProvider.h>
#include <limits>

namespace {

using namespace kavelo;

const std::string rom_path = "/roms/game.bin";

// The input bytes as a bare file, or at a track's start inside a ROM image that carries the
// serial (whole, or cut short right after the input bytes).
std::vector<uint8_t> make_file(int layout, int32_t track, const std::vector<uint8_t>& bytes) {
    if (layout == 0) {
        return bytes;
    }
    const uint32_t start = track_table[static_cast<std::size_t>(track)].start;
    std::vector<uint8_t> image(
        std::max<std::size_t>(track_table.back().end + 16, start + bytes.size()), 0xFF);
    std::copy_n(rom_serial, rom_serial_length, image.begin() + rom_serial_offset);
    std::copy(bytes.begin(), bytes.end(), image.begin() + start);
    if (layout == 2) {
        image.resize(start + bytes.size());
    }
    return image;
}

struct fault_choice {
    test::write_fault fault = test::write_fault::none;
    std::size_t free_space = std::numeric_limits<std::size_t>::max();
    bool read_only = false;
    // Sets the fault up in `fs`; true when a rewrite of `size` bytes cannot succeed.
    bool apply(test::memory_file_system& fs, std::size_t size) const {
        fs.fault = fault;
        fs.free_space = free_space;
        fs.read_only.clear();
        if (read_only) {
            fs.read_only.insert(rom_path);
        }
        return fault != test::write_fault::none || read_only || free_space < size;
    }
};

fault_choice choose_fault(FuzzedDataProvider& input) {
    fault_choice choice;
    choice.fault = static_cast<test::write_fault>(input.ConsumeIntegralInRange(0, 5));
    if (input.ConsumeBool()) {
        choice.free_space = input.ConsumeIntegralInRange<std::size_t>(0, 1 << 20);
    }
    choice.read_only = input.ConsumeIntegralInRange(0, 7) == 0;
    return choice;
}

// Images of the same size that differ only in [from, from + length).
bool changes_only(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after,
                  uint64_t from, uint64_t length) {
    if (before.size() != after.size()) {
        return false;
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i] != after[i] && (i < from || i >= from + length)) {
            return false;
        }
    }
    return true;
}

void check_result(const op_result& result) {
    FUZZ_CHECK(result.code == result_done || result.code == result_cannot_read ||
               result.code == result_write_failed || result.code == result_refused);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const int layout = input.ConsumeIntegralInRange(0, 2);
    const auto track = input.ConsumeIntegralInRange<int32_t>(0, track_count - 1);
    const bool any_start = input.ConsumeIntegralInRange(0, 7) == 0;
    const uint32_t odd_start = input.ConsumeIntegral<uint32_t>();
    const int32_t voice_index = input.ConsumeIntegralInRange(-1, voice_table_capacity);
    voice_record edited{};
    for (uint8_t& byte : edited) {
        byte = input.ConsumeIntegral<uint8_t>();
    }
    track_header header{};
    for (uint8_t& byte : header.bytes) {
        byte = input.ConsumeIntegral<uint8_t>();
    }
    const fault_choice voice_fault = input.ConsumeBool() ? choose_fault(input) : fault_choice{};
    const fault_choice header_fault = choose_fault(input);
    test::memory_file_system fs;
    fs.files[rom_path] = make_file(layout, track, input.ConsumeRemainingBytes<uint8_t>());

    // Identification decides the mode and the track start, as in File Open.
    const file_mode mode =
        rom_is_compatible(fs, rom_path) ? file_mode::rom_image : file_mode::bare_track;
    const uint32_t start = any_start                      ? odd_start
                           : mode == file_mode::rom_image ? track_table[track].start
                                                          : 0;
    rom_access access{fs, rom_path, mode, [](std::string_view) {}};

    voice_table table;
    const op_result loaded = load_track_voices(access, start, table);
    check_result(loaded);
    FUZZ_CHECK(loaded.code == result_done || !loaded.problem.empty());
    FUZZ_CHECK(table.count >= 0 && table.count <= voice_table_capacity);

    // The header's length comes from its own bytes 2-3; a file too short for it is refused.
    track_header shown{};
    const op_result header_read = read_track_header(access, start, shown);
    check_result(header_read);
    FUZZ_CHECK(header_read.code == result_done || !header_read.problem.empty());
    {
        const std::vector<uint8_t>& file = fs.files[rom_path];
        const std::span<const uint8_t> at_start =
            start < file.size() ? std::span(file).subspan(start) : std::span<const uint8_t>();
        const std::size_t length =
            header_layout_of(at_start.first(std::min<std::size_t>(4, at_start.size()))).size;
        FUZZ_CHECK((header_read.code == result_refused) ==
                   (uint64_t{start} + length > file.size()));
        FUZZ_CHECK(header_read.code != result_done ||
                   (shown.size() == length &&
                    std::equal(at_start.begin(), at_start.begin() + std::ptrdiff_t(length),
                               shown.bytes.begin())));
    }

    // A voice commit: all or nothing, and what it wrote loads back.
    const std::vector<uint8_t> before = fs.files[rom_path];
    const bool voice_must_fail = voice_fault.apply(fs, before.size());
    const op_result voice_commit = commit_voice(access, start, table, voice_index, edited);
    check_result(voice_commit);
    FUZZ_CHECK(fs.files.size() == 1);
    if (voice_commit.code == result_done) {
        FUZZ_CHECK(!voice_must_fail);
        const uint64_t slot = uint64_t{start} + (uint64_t{before[start]} << 8 | before[start + 1]) +
                              25ull * static_cast<uint64_t>(voice_index);
        FUZZ_CHECK(changes_only(before, fs.files[rom_path], slot, voice_record_size));
        fault_choice{}.apply(fs, 0);
        voice_table reloaded;
        // A table offset below 2 makes slot 0 overlap the offset itself, so writing it moves
        // the table; elsewhere the voice must load back as written.
        if (slot >= uint64_t{start} + 2 &&
            load_track_voices(access, start, reloaded).code == result_done &&
            voice_index < reloaded.count) {
            FUZZ_CHECK(reloaded.voices[static_cast<std::size_t>(voice_index)] == edited);
        }
    } else {
        FUZZ_CHECK(fs.files[rom_path] == before);
        FUZZ_CHECK(voice_commit.code == result_refused || voice_must_fail);
    }

    // A header commit: refused exactly when the copy's own length does not fit the file.
    const std::vector<uint8_t> before_header = fs.files[rom_path];
    const bool header_must_fail = header_fault.apply(fs, before_header.size());
    const op_result header_commit = commit_track_header(access, start, header);
    check_result(header_commit);
    FUZZ_CHECK(fs.files.size() == 1);
    FUZZ_CHECK((header_commit.code == result_refused) ==
               (uint64_t{start} + header.size() > before_header.size()));
    if (header_commit.code == result_done) {
        FUZZ_CHECK(!header_must_fail);
        FUZZ_CHECK(changes_only(before_header, fs.files[rom_path], start, header.size()));
        track_header read_back{};
        FUZZ_CHECK(read_track_header(access, start, read_back).code == result_done);
        FUZZ_CHECK(read_back == header);
    } else {
        FUZZ_CHECK(fs.files[rom_path] == before_header);
        FUZZ_CHECK(header_commit.code == result_refused || header_must_fail);
    }
    return 0;
}
