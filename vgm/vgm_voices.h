#pragma once
// Voices out of a VGM music log. The command stream of the first YM2612 is replayed into a
// copy of its registers; every key-on (a write of 0x28 with any operator bit set) takes the
// keyed channel's registers as one Voice record in working order. Records are listed in the
// order of their first key-on, each once, with the channel of that key-on and the number of
// key-ons that used it.

#include "rom/voice_record.h"
#include "vgm/vgm_file.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kavelo {

struct vgm_voice {
    voice_record voice{};
    int32_t channel = 0; // 1-6, of the first key-on
    int64_t key_ons = 0;
    std::string name; // "ch2 #3": channel and key-on count, at most 10 characters
};

// Extracts the voices of an unpacked log (see vgm_read_file). The walk ends at the end
// command 0x66 or at the end of the data; refused, at the offset of the command at fault
// and with no voices, for a log that is no VGM file, holds an unknown command or is cut
// off inside a command.
vgm_result extract_vgm_voices(std::span<const uint8_t> file, std::vector<vgm_voice>& voices);

// Groups volume variants: records that differ only in the TL of the carriers of their
// algorithm become one voice, the variant with the lowest carrier TLs (the loudest; the
// earliest on a tie), at the place and channel of the group's first key-on, with the
// key-on counts summed.
std::vector<vgm_voice> merge_volume_variants(std::span<const vgm_voice> voices);

// Appends `more` to `voices`, dropping records already there (their key-ons are added to
// the earlier entry); names follow the summed counts. Collects several logs into one list.
void append_new_voices(std::vector<vgm_voice>& voices, std::span<const vgm_voice> more);

// Working-order TL bytes 21, 22, ... are the carriers: how many of them, by algorithm.
int32_t carrier_count(uint8_t algorithm);

std::string vgm_voice_name(int32_t channel, int64_t key_ons);

} // namespace kavelo
