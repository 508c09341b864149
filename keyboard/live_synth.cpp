#include "keyboard/live_synth.h"

#include "fm/fm.h"
#include "fm/preview_render.h"
#include "fm/widened_samples.h"

#include <algorithm>

namespace kavelo {

namespace {

constexpr uint32_t render_chunk = 1024;
// Channels 4-6 sit in part II; register 0x28 numbers them 4, 5, 6.
constexpr std::array<uint8_t, live_channel_count> key_channel_bits = {0, 1, 2, 4, 5, 6};

} // namespace

uint8_t voice_byte_register(std::size_t byte) {
    return byte == 0 ? uint8_t{0xB0} : preview_register_table[byte - 1];
}

live_synth::live_synth() : left_(render_chunk), right_(render_chunk) {
    preview_chip_setup(core_);
}

live_synth::~live_synth() {
    fm_shutdown(core_);
}

bool live_synth::ready() const {
    return core_.chips != nullptr;
}

void live_synth::write(int32_t channel, uint8_t reg, uint8_t value) {
    const int32_t part = channel < 3 ? 0 : 2;
    const int32_t offset = reg >= 0x30 ? channel % 3 : 0;
    fm_write(core_, 0, part, static_cast<uint8_t>(reg + offset));
    fm_write(core_, 0, part + 1, value);
}

void live_synth::key(int32_t channel, uint8_t operators) {
    fm_write(core_, 0, 0, 0x28);
    fm_write(core_, 0, 1, static_cast<uint8_t>(operators | key_channel_bits[channel]));
}

void live_synth::set_voice(const voice_record& voice) {
    for (std::size_t i = 0; i < voice.size(); ++i) {
        if (voice[i] == voice_[i]) {
            continue;
        }
        for (int32_t c = 0; c < live_channel_count; ++c) {
            write(c, voice_byte_register(i), voice[i]);
        }
    }
    voice_ = voice;
}

int32_t live_synth::note_on(int32_t note) {
    const std::optional<fm_pitch> pitch = note_pitch(note);
    return pitch ? note_on(note, *pitch) : -1;
}

int32_t live_synth::note_on(int32_t note, fm_pitch pitch) {
    if (!ready()) {
        return -1;
    }
    const channel_assignment assigned = allocator_.note_on(note);
    const int32_t c = assigned.channel;
    key(c, 0x00); // a held note gives way: its operators restart their attack
    // The preview's sequence, on this channel.
    for (std::size_t i = 0; i < voice_.size(); ++i) {
        write(c, voice_byte_register(i), voice_[i]);
    }
    write(c, 0xA4, pitch.a4_value());
    write(c, 0xA0, pitch.a0_value());
    // A zero-frame update takes the new key code into the rates, so the attack runs at
    // this note's key scale rather than the previous note's.
    fm_update(core_, 0, left_, right_, 0);
    key(c, 0xF0);
    return c;
}

int32_t live_synth::note_off(int32_t note) {
    const int32_t c = allocator_.note_off(note);
    if (c >= 0 && ready()) {
        key(c, 0x00);
    }
    return c;
}

void live_synth::render(std::span<int16_t> out, uint32_t frames) {
    frames = std::min<uint32_t>(frames, static_cast<uint32_t>(out.size() / 2));
    uint32_t done = 0;
    while (done < frames) {
        const uint32_t n = std::min(render_chunk, frames - done);
        if (ready()) {
            fm_update(core_, 0, left_, right_, static_cast<int32_t>(n));
        } else {
            std::fill(left_.begin(), left_.end(), int8_t{0});
            std::fill(right_.begin(), right_.end(), int8_t{0});
        }
        // Widened as the preview plays it.
        widen_interleaved(std::span(left_).first(n), std::span(right_).first(n),
                          out.subspan(2 * std::size_t{done}, 2 * std::size_t{n}));
        done += n;
    }
}

const fm_operator& live_synth::operator_state(int32_t channel, int32_t op) const {
    return core_.chips[0].channel[channel].op[op];
}

} // namespace kavelo
