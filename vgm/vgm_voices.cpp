#include "vgm/vgm_voices.h"

#include <array>
#include <unordered_map>

namespace kavelo {

namespace {

// The six operator register groups in Voice record order, with the bits the record keeps:
// DT/MUL (bit 7 unused), RS/AR (bit 5), AM/D1R (bits 5-6), D2R (bits 5-7), D1L/RR, TL (bit 7).
struct operator_group {
    uint8_t base;
    uint8_t used;
};
constexpr std::array<operator_group, 6> operator_groups{{
    {0x30, 0x7F},
    {0x50, 0xDF},
    {0x60, 0x9F},
    {0x70, 0x1F},
    {0x80, 0xFF},
    {0x40, 0x7F},
}};
constexpr uint8_t feedback_algorithm_used = 0x3F;
constexpr std::size_t tl_byte = 21;

// Carriers per algorithm, counted from OP4 down: OP4 (0x0C) only for 0-3; OP3 (0x08) as well
// for 4; OP2 (0x04) as well for 5 and 6; all four for 7. Working order runs OP4, OP3, OP2, OP1.
constexpr std::array<int32_t, 8> carriers{1, 1, 1, 1, 2, 3, 3, 4};

struct record_hash {
    std::size_t operator()(const voice_record& record) const {
        uint64_t h = 14695981039346656037ull; // FNV-1a
        for (uint8_t byte : record) {
            h = (h ^ byte) * 1099511628211ull;
        }
        return static_cast<std::size_t>(h);
    }
};

using record_index = std::unordered_map<voice_record, std::size_t, record_hash>;

// The registers of the first YM2612, and which channels changed since their last key-on so
// that a channel keyed again with the same voice is counted without building its record.
struct chip_copy {
    std::array<std::array<uint8_t, 256>, 2> regs{};
    std::array<std::size_t, 6> voice_of_channel{};
    bool dac_enabled = false;

    static constexpr std::size_t none = SIZE_MAX;

    chip_copy() { voice_of_channel.fill(none); }

    void write(int part, uint8_t reg, uint8_t value) {
        uint8_t& held = regs[part][reg];
        if (held == value) {
            return;
        }
        held = value;
        if (part == 0 && reg == 0x2B) {
            dac_enabled = (value & 0x80) != 0;
        }
        const bool voice_register = (reg >= 0x30 && reg < 0xA0) || (reg >= 0xB0 && reg < 0xB3);
        if (voice_register && (reg & 3) != 3) {
            voice_of_channel[3 * part + (reg & 3)] = none;
        }
    }

    voice_record record(int part, int c) const {
        const auto& r = regs[part];
        voice_record out{};
        out[0] = r[0xB0 + c] & feedback_algorithm_used;
        std::size_t at = 1;
        for (const operator_group& group : operator_groups) {
            for (int op = 3; op >= 0; --op) { // OP4 first
                out[at++] = r[group.base + 4 * op + c] & group.used;
            }
        }
        return out;
    }
};

struct extractor {
    std::vector<vgm_voice>& voices;
    record_index index;
    chip_copy chip;

    void key_on(uint8_t value) {
        const int slot = value & 7;
        if ((value & 0xF0) == 0 || (slot & 3) == 3) {
            return;
        }
        const int part = slot >> 2;
        const int c = slot & 3;
        const int channel = 3 * part + c; // 0-5
        if (channel == 5 && chip.dac_enabled) {
            return;
        }
        std::size_t& known = chip.voice_of_channel[channel];
        if (known == chip_copy::none) {
            const voice_record record = chip.record(part, c);
            const auto [found, added] = index.try_emplace(record, voices.size());
            if (added) {
                voices.push_back({record, channel + 1, 0, {}});
            }
            known = found->second;
        }
        ++voices[known].key_ons;
    }

    vgm_result run(std::span<const uint8_t> file, std::size_t pos) {
        while (pos < file.size()) {
            const uint8_t command = file[pos];
            if (command == 0x66) {
                break;
            }
            if ((command == 0x52 || command == 0x53) && file.size() - pos >= 3) {
                const uint8_t reg = file[pos + 1];
                const uint8_t value = file[pos + 2];
                if (command == 0x52 && reg == 0x28) {
                    key_on(value);
                } else {
                    chip.write(command - 0x52, reg, value);
                }
                pos += 3;
                continue;
            }
            vgm_result error;
            const std::size_t length = vgm_command_length(file, pos, error);
            if (length == 0) {
                return error;
            }
            pos += length;
        }
        return {};
    }
};

voice_record without_carrier_levels(voice_record record) {
    const int32_t n = carrier_count(record[0]);
    for (int32_t k = 0; k < n; ++k) {
        record[tl_byte + k] = 0;
    }
    return record;
}

int32_t carrier_level_sum(const voice_record& record) {
    int32_t sum = 0;
    for (int32_t k = 0; k < carrier_count(record[0]); ++k) {
        sum += record[tl_byte + k];
    }
    return sum;
}

void name_all(std::vector<vgm_voice>& voices) {
    for (vgm_voice& v : voices) {
        v.name = vgm_voice_name(v.channel, v.key_ons);
    }
}

} // namespace

int32_t carrier_count(uint8_t algorithm) {
    return carriers[algorithm & 7];
}

std::string vgm_voice_name(int32_t channel, int64_t key_ons) {
    // Five digits fit the 10 characters of a bank entry name; a larger count is rounded down
    // to at most four digits and a unit (k, M, G, T, P, E), so it fits as well.
    if (key_ons <= 99999) {
        return "ch" + std::to_string(channel) + " #" + std::to_string(key_ons);
    }
    static constexpr char units[] = "kMGTPE";
    int unit = 0;
    key_ons /= 1000;
    while (key_ons > 9999) {
        key_ons /= 1000;
        ++unit;
    }
    return "ch" + std::to_string(channel) + " #" + std::to_string(key_ons) + units[unit];
}

vgm_result extract_vgm_voices(std::span<const uint8_t> file, std::vector<vgm_voice>& voices) {
    voices.clear();
    std::size_t start = 0;
    if (vgm_result header = vgm_data_start(file, start); !header.done()) {
        return header;
    }
    extractor walk{voices, {}, {}};
    if (vgm_result walked = walk.run(file, start); !walked.done()) {
        voices.clear();
        return walked;
    }
    name_all(voices);
    return {};
}

std::vector<vgm_voice> merge_volume_variants(std::span<const vgm_voice> voices) {
    std::vector<vgm_voice> merged;
    record_index groups;
    for (const vgm_voice& v : voices) {
        const auto [found, added] =
            groups.try_emplace(without_carrier_levels(v.voice), merged.size());
        if (added) {
            merged.push_back(v);
            continue;
        }
        vgm_voice& group = merged[found->second];
        group.key_ons += v.key_ons;
        if (carrier_level_sum(v.voice) < carrier_level_sum(group.voice)) {
            group.voice = v.voice;
        }
    }
    name_all(merged);
    return merged;
}

void append_new_voices(std::vector<vgm_voice>& voices, std::span<const vgm_voice> more) {
    record_index known;
    for (std::size_t i = 0; i < voices.size(); ++i) {
        known.try_emplace(voices[i].voice, i);
    }
    for (const vgm_voice& v : more) {
        const auto [found, added] = known.try_emplace(v.voice, voices.size());
        if (added) {
            voices.push_back(v);
        } else {
            voices[found->second].key_ons += v.key_ons;
        }
    }
    name_all(voices);
}

} // namespace kavelo
