// Unpacks the input as a packed DAC program, then finds and plays the drum kit of a ROM that
// holds the input where the game keeps it. Checks: a program fits the Z80's RAM, ends inside
// the input and packs back to itself; a refusal is one sentence; a kit's samples come from
// the program and play.

#include "drums/dac_compression.h"
#include "drums/drum_kit.h"
#include "drums/drum_player.h"
#include "fuzz_check.h"

#include <algorithm>

namespace {

using namespace kavelo;

// A ROM with the program's address at 0x135E and a long sample; the packed program's
// place is filled for each input.
std::vector<uint8_t> base_rom() {
    std::vector<uint8_t> rom(long_pcm_rom_offset + long_pcm_size, 0);
    const uint8_t pointer[] = {0x00, 0x07, 0x2E, 0x7C};
    std::copy(std::begin(pointer), std::end(pointer), rom.begin() + dac_program_pointer_offset);
    for (std::size_t i = 0; i < long_pcm_size; ++i) {
        rom[long_pcm_rom_offset + i] = static_cast<uint8_t>(128 + (i % 64) - 32);
    }
    return rom;
}

bool one_sentence(const std::string& problem) {
    return problem.rfind("The drums are silent: ", 0) == 0 && problem.back() == '.';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> input(data, size);
    const dac_unpack_result unpacked = decompress_dac_program(input, 0);
    if (unpacked.done()) {
        FUZZ_CHECK(unpacked.program.size() <= z80_ram_size);
        FUZZ_CHECK(unpacked.end <= size);
        const std::vector<uint8_t> packed = compress_dac_program(unpacked.program);
        const dac_unpack_result again = decompress_dac_program(packed, 0);
        FUZZ_CHECK(again.done() && again.program == unpacked.program && again.end == packed.size());
    } else {
        FUZZ_CHECK(unpacked.program.empty() && !unpacked.problem.empty());
    }

    static std::vector<uint8_t> rom = base_rom();
    const std::size_t place = dac_program_rom_offset;
    std::fill(rom.begin() + place, rom.begin() + long_pcm_rom_offset, 0);
    std::copy_n(data, std::min(size, long_pcm_rom_offset - place), rom.begin() + place);
    drum_kit kit;
    if (const op_result found = find_drum_kit(rom, kit); !found.done()) {
        FUZZ_CHECK(found.code == result_refused && one_sentence(found.problem));
    } else {
        // The stream was read from the input unless it ran on into the zeros after it.
        const dac_unpack_result program = decompress_dac_program(rom, place);
        FUZZ_CHECK(program.done());
        const std::vector<uint8_t>& bytes = program.program;
        for (std::size_t i = 0; i < dpcm_sample_count; ++i) {
            const std::size_t entry = sample_table_address + i * sample_entry_size;
            const std::size_t start = bytes[entry] | bytes[entry + 1] << 8;
            FUZZ_CHECK(!kit.dpcm[i].empty() && start + kit.dpcm[i].size() <= bytes.size());
            FUZZ_CHECK(std::equal(kit.dpcm[i].begin(), kit.dpcm[i].end(),
                                  bytes.begin() + static_cast<std::ptrdiff_t>(start)));
            FUZZ_CHECK(kit.pitch[i] == bytes[entry + 4]);
        }
        FUZZ_CHECK(kit.long_pcm.size() == long_pcm_size);
        drum_player player(kit);
        std::vector<int16_t> out(64);
        for (const uint8_t handed_over : {0x81, 0x82, 0x83, 0x85, 0x87}) {
            player.set_timpani_pitch(size > 0 ? data[0] : 0);
            player.trigger(handed_over);
            player.render(out);
        }
    }
    // The input alone is no ROM: it is too short for the long sample.
    if (size < long_pcm_rom_offset + long_pcm_size) {
        const op_result found = find_drum_kit(input, kit);
        FUZZ_CHECK(found.code == result_refused && one_sentence(found.problem));
    }
    return 0;
}
