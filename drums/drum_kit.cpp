#include "drums/drum_kit.h"

#include "drums/dac_compression.h"
#include "drums/dpcm.h"
#include "drums/drum_hex.h"
#include "rom/byte_order.h"

#include <algorithm>

namespace kavelo {

namespace {

constexpr char silent[] = "The drums are silent: ";

uint16_t read_le16(std::span<const uint8_t> bytes, std::size_t at) {
    return static_cast<uint16_t>(bytes[at + 1] << 8 | bytes[at]);
}

// The three entries of the sample table and their bytes.
op_result take_samples(std::span<const uint8_t> program, drum_kit& kit) {
    const std::size_t table_end = sample_table_address + dpcm_sample_count * sample_entry_size;
    if (program.size() < table_end) {
        return refused(silent + std::string("the DAC program is only ") +
                       std::to_string(program.size()) +
                       " bytes long, too short for its sample table.");
    }
    for (std::size_t i = 0; i < dpcm_sample_count; ++i) {
        const std::size_t entry = sample_table_address + i * sample_entry_size;
        const std::size_t start = read_le16(program, entry);
        const std::size_t length = read_le16(program, entry + 2);
        const std::string name = dpcm_sample_names[i];
        if (length == 0) {
            return refused(silent + std::string("the DAC program's ") + name + " sample is empty.");
        }
        if (start + length > program.size()) {
            return refused(silent + std::string("the DAC program's ") + name + " sample (" +
                           std::to_string(length) + " bytes at " + drum_hex(start, 4) +
                           ") reaches past the end of its " + std::to_string(program.size()) +
                           " bytes.");
        }
        kit.dpcm[i].assign(program.begin() + static_cast<std::ptrdiff_t>(start),
                           program.begin() + static_cast<std::ptrdiff_t>(start + length));
        kit.pitch[i] = program[entry + 4];
    }
    return {};
}

} // namespace

op_result find_drum_kit(std::span<const uint8_t> rom, drum_kit& kit) {
    if (rom.size() < dac_program_pointer_offset + 4) {
        return refused(silent +
                       std::string("the ROM image ends before the DAC program's address at ") +
                       drum_hex(dac_program_pointer_offset, 4) + ".");
    }
    const auto pointer = rom.subspan<dac_program_pointer_offset, 4>();
    const uint32_t address =
        static_cast<uint32_t>(read_be16(pointer.first<2>())) << 16 | read_be16(pointer.last<2>());
    if (address != dac_program_rom_offset) {
        return refused(silent + std::string("the address at ") +
                       drum_hex(dac_program_pointer_offset, 4) + " is " + drum_hex(address, 8) +
                       ", not the DAC program's " + drum_hex(dac_program_rom_offset, 5) + ".");
    }
    dac_unpack_result unpacked = decompress_dac_program(rom, address);
    if (!unpacked.done()) {
        // The decompressor's sentence, continued after the colon.
        std::string reason = unpacked.problem;
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
        return refused(silent + reason);
    }
    const std::span<const uint8_t> program = unpacked.program;
    if (program.size() < dpcm_delta_table_address + dpcm_deltas.size() ||
        !std::equal(dpcm_deltas.begin(), dpcm_deltas.end(),
                    program.begin() + dpcm_delta_table_address)) {
        return refused(silent + std::string("the DAC program's delta table at ") +
                       drum_hex(dpcm_delta_table_address, 4) +
                       " differs from 00 01 02 04 08 10 20 40 80 FF FE FC F8 F0 E0 C0.");
    }
    drum_kit found;
    if (op_result taken = take_samples(program, found); !taken.done()) {
        return taken;
    }
    if (rom.size() < long_pcm_rom_offset + long_pcm_size) {
        return refused(silent + std::string("the ROM image is only ") + drum_hex(rom.size(), 5) +
                       " bytes long, too short for the long sample at " +
                       drum_hex(long_pcm_rom_offset, 5) + "-" +
                       drum_hex(long_pcm_rom_offset + long_pcm_size - 1, 5) + ".");
    }
    const auto long_pcm = rom.subspan(long_pcm_rom_offset, long_pcm_size);
    found.long_pcm.assign(long_pcm.begin(), long_pcm.end());
    kit = std::move(found);
    return {};
}

} // namespace kavelo
