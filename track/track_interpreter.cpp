#include "track/track_interpreter.h"

#include "rom/byte_order.h"
#include "track/driver_tables.h"
#include "track/stream_fault.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace kavelo {

namespace {

// The voice-control bytes of the header's FM entries (drum, FM1-FM6) and PSG entries.
constexpr std::array<uint8_t, 7> fm_entry_vc{0x06, 0x00, 0x01, 0x02, 0x04, 0x05, 0x06};
constexpr std::array<uint8_t, 3> psg_entry_vc{0x80, 0xA0, 0xC0};
constexpr uint8_t initial_pan = 0xC0;
constexpr uint8_t key_on = 0xF0;

std::string hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

} // namespace

int32_t chip_channel_of(uint8_t vc) {
    if ((vc & 0xF8) != 0 || (vc & 3) == 3) {
        return -1;
    }
    return ((vc & 4) != 0 ? 3 : 0) + (vc & 3);
}

std::string music_channel_name(int32_t channel) {
    if (channel == drum_channel) {
        return "drum channel";
    }
    if (channel < first_psg_channel) {
        return "FM" + std::to_string(channel);
    }
    return "PSG" + std::to_string(channel - first_psg_channel + 1);
}

track_interpreter::track_interpreter(track_source source) : source_(std::move(source)) {
    tables_ = source_.mode == file_mode::rom_image ? std::span<const uint8_t>(source_.image)
                                                   : builtin_driver_rom();
    const std::span<const uint8_t> image = source_.image;
    const uint64_t start = source_.track_start;
    if (start + 6 > image.size()) {
        problem_ = "The track at " + hex(source_.track_start) + " lies outside the file (" +
                   std::to_string(image.size()) + " bytes).";
        return;
    }
    fm_entries_ = image[start + 2];
    psg_entries_ = image[start + 3];
    if (fm_entries_ < 1 || fm_entries_ > 7 || psg_entries_ > 3) {
        problem_ = "The track header counts " + std::to_string(fm_entries_) + " FM and " +
                   std::to_string(psg_entries_) +
                   " PSG entries; the sound driver plays 1-7 FM entries (the drum channel "
                   "first) and 0-3 PSG entries.";
        return;
    }
    const uint64_t size = 6 + 4u * fm_entries_ + 6u * psg_entries_;
    if (start + size > image.size()) {
        problem_ = "The track header needs " + std::to_string(size) +
                   " bytes, but the file holds " + std::to_string(image.size() - start) +
                   " from the track start.";
        return;
    }
    if (tables_.size() < driver_tables_end) {
        problem_ = "The file is too short to hold the sound driver's tables (up to " +
                   hex(driver_tables_end) + ").";
    }
}

bool track_interpreter::playing() const {
    if (silenced_) {
        return false;
    }
    for (int32_t i = 0; i < music_channel_count; ++i) {
        if (channel_playing(i)) {
            return true;
        }
    }
    return frame_ == 0 && valid();
}

bool track_interpreter::channel_playing(int32_t index) const {
    return !silenced_ &&
           (ram_[channel_record_size * static_cast<uint32_t>(index)] & ctl_playing) != 0;
}

int32_t track_interpreter::loops_completed() const {
    int32_t loops = -1;
    for (int32_t i = 0; i < music_channel_count; ++i) {
        if (channel_playing(i)) {
            loops = loops < 0 ? jumps_back_[i] : std::min(loops, jumps_back_[i]);
        }
    }
    return std::max(loops, 0);
}

std::vector<std::string> track_interpreter::take_messages() {
    return std::exchange(messages_, {});
}

void track_interpreter::say(std::string message) {
    if (said_.insert(message).second) {
        messages_.push_back(std::move(message));
    }
}

void track_interpreter::stop_channel(int32_t index, const std::string& reason) {
    channel(index).clear(ctl_playing | ctl_hold);
    say("The " + music_channel_name(index) + " stops in frame " + std::to_string(frame_) + ": " +
        reason + ".");
}

void track_interpreter::run_frame(std::vector<driver_write>& writes) {
    if (!valid()) {
        return;
    }
    if (frame_ == 0) {
        start_track(writes);
    } else if (!silenced_) {
        update_frame(writes);
    }
    ++frame_;
}

void track_interpreter::start_track(std::vector<driver_write>& out) {
    const auto ym0 = [&](uint8_t reg, uint8_t value) {
        out.push_back({write_target::ym0, reg, value});
    };
    const auto ym1 = [&](uint8_t reg, uint8_t value) {
        out.push_back({write_target::ym1, reg, value});
    };
    const auto psg = [&](uint8_t value) { out.push_back({write_target::psg, 0, value}); };

    ram_.fill(0);
    for (uint8_t vc : {0x02, 0x06, 0x01, 0x05, 0x00, 0x04}) {
        ym0(0x28, vc);
    }
    for (uint8_t c = 0; c < 3; ++c) {
        for (uint8_t op : {0x0, 0x4, 0x8, 0xC}) {
            ym0(static_cast<uint8_t>(0x40 + c + op), 0x7F);
            ym1(static_cast<uint8_t>(0x40 + c + op), 0x7F);
        }
    }
    for (uint8_t value : {0x9F, 0xBF, 0xDF, 0xFF}) {
        psg(value);
    }

    const std::span<const uint8_t> header =
        std::span<const uint8_t>(source_.image).subspan(source_.track_start);
    voice_table_ = source_.track_start + read_be16(header.first<2>());
    main_tempo_ = main_timeout_ = header[5];
    const auto start_channel = [&](int32_t index, std::size_t entry, uint8_t vc) {
        channel_record ch = channel(index);
        ch[record::control] = ctl_playing;
        ch[record::voice_control] = vc;
        ch[record::divider] = header[4];
        ch[record::stack] = record::stack_top;
        ch[record::timeout] = 1;
        ch.set_address(record::stream,
                       source_.track_start + read_be16(header.subspan(entry).first<2>()));
        ch[record::transpose] = header[entry + 2];
        ch[record::volume] = header[entry + 3];
        started_[index] = true;
    };
    for (int32_t i = 0; i < fm_entries_; ++i) {
        start_channel(i, 6 + 4 * static_cast<std::size_t>(i), fm_entry_vc[i]);
        channel(i)[record::pan] = initial_pan;
    }
    if (fm_entries_ == 7) {
        ym0(0x2B, 0x00); // the DAC gives way to FM6
    } else {
        ym0(0x28, 0x06);
        for (uint8_t reg : {0x42, 0x4A, 0x46, 0x4E}) {
            ym1(reg, 0x7F);
        }
        ym1(0xB6, initial_pan);
    }
    for (int32_t j = 0; j < psg_entries_; ++j) {
        const std::size_t entry =
            6 + 4 * std::size_t{fm_entries_} + 6 * static_cast<std::size_t>(j);
        start_channel(first_psg_channel + j, entry, psg_entry_vc[j]);
        channel(first_psg_channel + j)[record::voice] = header[entry + 5];
    }
    for (int32_t i = 1; i < first_psg_channel; ++i) {
        ym0(0x28, channel(i).vc());
    }
    for (int32_t j = 0; j < 3; ++j) {
        psg(channel(first_psg_channel + j).vc() | 0x1F);
    }
}

void track_interpreter::update_frame(std::vector<driver_write>& out) {
    // Every main-tempo-th frame holds all channels back by one frame.
    if (--main_timeout_ == 0) {
        main_timeout_ = main_tempo_;
        for (int32_t i = 0; i < music_channel_count; ++i) {
            ++channel(i)[record::timeout];
        }
    }
    for (int32_t i = 0; i < music_channel_count && !silenced_; ++i) {
        if (channel(i).has(ctl_playing) && run_channel(i, out) == flow::frame_done) {
            return;
        }
    }
}

track_interpreter::flow track_interpreter::run_channel(int32_t index,
                                                       std::vector<driver_write>& out) {
    try {
        channel_record ch = channel(index);
        if (index == drum_channel) {
            return run_drum(ch, out);
        }
        return is_psg(index) ? run_psg(index, ch, out) : run_fm(index, ch, out);
    } catch (const stream_fault& fault) {
        stop_channel(index, fault.reason);
        return flow::channel_done;
    }
}

void track_interpreter::set_duration(channel_record ch, uint8_t duration) {
    // The driver adds the duration (divider - 1) times in 8 bits: divider 0 acts as 256.
    const auto timeout = static_cast<uint8_t>(duration * ch[record::divider]);
    ch[record::saved_duration] = timeout;
    ch[record::timeout] = timeout;
}

void track_interpreter::take_note_duration(channel_record ch) {
    const uint32_t at = ch.address(record::stream);
    const uint8_t next = stream_byte(at);
    if (next < 0x80) {
        ch.set_address(record::stream, at + 1);
        set_duration(ch, next);
    }
}

track_interpreter::flow track_interpreter::read_to_note(int32_t index, channel_record ch,
                                                        uint8_t& note,
                                                        std::vector<driver_write>& out) {
    for (int32_t flags = 0;; ++flags) {
        if (flags == max_flags_per_read) {
            throw stream_fault{"it reads " + std::to_string(max_flags_per_read) +
                               " coordination flags without a note or duration (an endless loop)"};
        }
        const uint32_t at = ch.address(record::stream);
        const uint8_t byte = next_byte(ch);
        if (byte < 0xE0) {
            note = byte;
            return flow::go_on;
        }
        const flow after = coordination_flag(index, ch, byte, at, out);
        if (after != flow::go_on) {
            return after;
        }
    }
}

track_interpreter::flow track_interpreter::run_drum(channel_record ch,
                                                    std::vector<driver_write>& out) {
    if (--ch[record::timeout] != 0) {
        return flow::go_on;
    }
    ch.clear(ctl_hold | ctl_resting);
    uint8_t note = 0;
    if (const flow after = read_to_note(drum_channel, ch, note, out); after != flow::go_on) {
        // A stop on the drum channel ends the whole frame.
        return after == flow::channel_done ? flow::frame_done : after;
    }
    if (note >= 0x80) {
        ch[record::frequency] = note;
        take_note_duration(ch);
    } else {
        set_duration(ch, note);
    }
    ch[record::timeout] = ch[record::saved_duration];
    if (ch.has(ctl_overridden)) {
        return flow::go_on;
    }
    const uint8_t sample = ch[record::frequency];
    if (sample == 0x80) {
        return flow::go_on;
    }
    if ((sample & 0x08) != 0) {
        // Timpani at one of the table's pitches.
        out.push_back({write_target::timpani_pitch, 0,
                       table_byte(drum_pitch_table + static_cast<uint8_t>(sample - 0x88))});
        out.push_back({write_target::drum, 0, 0x83});
    } else {
        out.push_back({write_target::drum, 0, sample});
    }
    return flow::go_on;
}

void track_interpreter::restart_note_effects(channel_record ch) {
    ch[record::timeout] = ch[record::saved_duration];
    if (ch.has(ctl_hold)) {
        return;
    }
    ch[record::fill_timeout] = ch[record::fill_master];
    ch[record::envelope_index] = 0;
    if (ch.has(ctl_modulating)) {
        ch[record::mod_wait] = modulation_byte(ch, 0);
        ch[record::mod_speed] = modulation_byte(ch, 1);
        ch[record::mod_delta] = modulation_byte(ch, 2);
        ch[record::mod_steps] = modulation_byte(ch, 3) / 2;
        ch.set_word(record::mod_value, 0);
    }
}

bool track_interpreter::note_fill_cuts(channel_record ch, std::vector<driver_write>& out) {
    if (ch[record::fill_timeout] == 0 || --ch[record::fill_timeout] != 0) {
        return false;
    }
    ch.set(ctl_resting);
    if (ch.vc() >= 0x80) {
        if (!ch.has(ctl_overridden)) {
            out.push_back({write_target::psg, 0, static_cast<uint8_t>(ch.vc() | 0x1F)});
        }
    } else if (!ch.has(ctl_hold | ctl_overridden)) {
        out.push_back({write_target::ym0, 0x28, ch.vc()});
    }
    return true;
}

bool track_interpreter::modulation_steps(channel_record ch) {
    if (!ch.has(ctl_modulating)) {
        return false;
    }
    if (ch[record::mod_wait] > 0) {
        --ch[record::mod_wait];
        return false;
    }
    if (--ch[record::mod_speed] != 0) {
        return false;
    }
    ch[record::mod_speed] = modulation_byte(ch, 1);
    if (ch[record::mod_steps] == 0) {
        // Turn round: full swings from here on.
        ch[record::mod_steps] = modulation_byte(ch, 3);
        ch[record::mod_delta] = static_cast<uint8_t>(-ch[record::mod_delta]);
        return false;
    }
    --ch[record::mod_steps];
    const auto delta = static_cast<int8_t>(ch[record::mod_delta]);
    ch.set_word(record::mod_value, static_cast<uint16_t>(ch.word(record::mod_value) + delta));
    return true;
}

void track_interpreter::channel_write(uint8_t vc, uint8_t reg, uint8_t value,
                                      std::vector<driver_write>& out) {
    if ((vc & 0x04) != 0) {
        out.push_back({write_target::ym1, static_cast<uint8_t>(reg + (vc & ~0x04)), value});
    } else {
        out.push_back({write_target::ym0, static_cast<uint8_t>(reg + vc), value});
    }
}

void track_interpreter::fm_frequency(channel_record ch, uint16_t frequency,
                                     std::vector<driver_write>& out) {
    channel_write(ch.vc(), 0xA4, static_cast<uint8_t>(frequency >> 8), out);
    channel_write(ch.vc(), 0xA0, static_cast<uint8_t>(frequency), out);
}

track_interpreter::flow track_interpreter::run_fm(int32_t index, channel_record ch,
                                                  std::vector<driver_write>& out) {
    if (--ch[record::timeout] == 0) {
        return start_fm_note(index, ch, out);
    }
    if (note_fill_cuts(ch, out)) {
        return flow::go_on;
    }
    // Modulation goes on writing while the channel rests.
    if (modulation_steps(ch) && !ch.has(ctl_overridden)) {
        const auto detune = static_cast<int8_t>(ch[record::detune]);
        fm_frequency(
            ch,
            static_cast<uint16_t>(ch.word(record::frequency) + ch.word(record::mod_value) + detune),
            out);
    }
    return flow::go_on;
}

track_interpreter::flow track_interpreter::start_fm_note(int32_t index, channel_record ch,
                                                         std::vector<driver_write>& out) {
    ch.clear(ctl_hold | ctl_resting);
    uint8_t note = 0;
    if (const flow after = read_to_note(index, ch, note, out); after != flow::go_on) {
        return after;
    }
    // The old note is keyed off only now, after the flags (a new voice loads under it).
    if (!ch.has(ctl_hold | ctl_overridden)) {
        out.push_back({write_target::ym0, 0x28, ch.vc()});
    }
    if (note >= 0x80) {
        if (note == 0x80) {
            ch.set(ctl_resting);
            ch.set_word(record::frequency, 0);
        } else {
            const auto key = static_cast<uint8_t>((note - 0x80 + ch[record::transpose]) & 0x7F);
            ch.set_word(record::frequency, table_word(fm_frequency_table + 2u * key));
        }
        take_note_duration(ch);
    } else {
        set_duration(ch, note);
    }
    restart_note_effects(ch);
    if (ch.has(ctl_resting)) {
        return flow::go_on;
    }
    if (ch.word(record::frequency) == 0) {
        ch.set(ctl_resting);
        return flow::go_on;
    }
    if (!ch.has(ctl_overridden)) {
        const auto detune = static_cast<int8_t>(ch[record::detune]);
        fm_frequency(ch, static_cast<uint16_t>(ch.word(record::frequency) + detune), out);
        out.push_back({write_target::ym0, 0x28, static_cast<uint8_t>(ch.vc() | key_on)});
    }
    return flow::go_on;
}

void track_interpreter::psg_tone(channel_record ch, uint16_t period,
                                 std::vector<driver_write>& out) {
    // The noise channel's tone goes to tone channel 3, whose period sets the noise rate.
    const uint8_t latch = ch.vc() == 0xE0 ? 0xC0 : ch.vc();
    out.push_back({write_target::psg, 0, static_cast<uint8_t>(latch | (period & 0x0F))});
    out.push_back({write_target::psg, 0, static_cast<uint8_t>((period >> 4) & 0x3F)});
}

void track_interpreter::psg_volume(int32_t index, channel_record ch,
                                   std::vector<driver_write>& out) {
    uint8_t value = ch[record::volume];
    if (const uint8_t envelope = envelope_number(index, ch); envelope != 0) {
        const uint32_t slot = envelope_pointer_table + 4u * (envelope - 1u);
        const uint32_t start = uint32_t{table_word(slot)} << 16 | table_word(slot + 2);
        const uint8_t step = table_byte(start + ch[record::envelope_index]);
        ++ch[record::envelope_index];
        if (step == 0x80) {
            // The end mark holds the level: it is read again next time, nothing written.
            --ch[record::envelope_index];
            return;
        }
        value = static_cast<uint8_t>(value + step);
        if (value >= 0x10) {
            value = 0x0F;
        }
    }
    if (ch.has(ctl_resting | ctl_overridden)) {
        return;
    }
    if (ch.has(ctl_hold) && ch[record::fill_master] != 0 && ch[record::fill_timeout] == 0) {
        return;
    }
    out.push_back({write_target::psg, 0, static_cast<uint8_t>((value | ch.vc()) + 0x10)});
}

track_interpreter::flow track_interpreter::run_psg(int32_t index, channel_record ch,
                                                   std::vector<driver_write>& out) {
    if (--ch[record::timeout] == 0) {
        return start_psg_note(index, ch, out);
    }
    if (note_fill_cuts(ch, out)) {
        return flow::go_on;
    }
    if (envelope_number(index, ch) != 0) {
        psg_volume(index, ch, out);
    }
    if (modulation_steps(ch) && !ch.has(ctl_resting | ctl_overridden)) {
        const auto detune = static_cast<int8_t>(ch[record::detune]);
        psg_tone(
            ch,
            static_cast<uint16_t>(ch.word(record::frequency) + ch.word(record::mod_value) + detune),
            out);
    }
    return flow::go_on;
}

track_interpreter::flow track_interpreter::start_psg_note(int32_t index, channel_record ch,
                                                          std::vector<driver_write>& out) {
    ch.clear(ctl_hold | ctl_resting);
    uint8_t note = 0;
    if (const flow after = read_to_note(index, ch, note, out); after != flow::go_on) {
        return after;
    }
    if (note >= 0x80) {
        if (note == 0x80) {
            // A rest silences the channel at once, while the stream is read.
            ch.set_word(record::frequency, 0xFFFF);
            if (!ch.has(ctl_overridden)) {
                out.push_back({write_target::psg, 0, static_cast<uint8_t>(ch.vc() | 0x1F)});
            }
        } else {
            const auto key = static_cast<uint8_t>((note - 0x81 + ch[record::transpose]) & 0x7F);
            ch.set_word(record::frequency, table_word(psg_frequency_table + 2u * key));
        }
        take_note_duration(ch);
    } else {
        set_duration(ch, note);
    }
    restart_note_effects(ch);
    if ((ch.word(record::frequency) & 0x8000) != 0) {
        ch.set(ctl_resting);
    } else if (!ch.has(ctl_overridden)) {
        const auto detune = static_cast<int8_t>(ch[record::detune]);
        psg_tone(ch, static_cast<uint16_t>(ch.word(record::frequency) + detune), out);
    }
    psg_volume(index, ch, out);
    return flow::go_on;
}

void track_interpreter::load_voice(int32_t index, channel_record ch,
                                   std::vector<driver_write>& out) {
    const uint32_t at = voice_table_ + voice_record_size * uint32_t{ch[record::voice]};
    std::array<uint8_t, voice_record_size> voice{};
    for (uint32_t k = 0; k < voice_record_size; ++k) {
        if (uint64_t{at} + k >= source_.image.size()) {
            throw stream_fault{"voice " + std::to_string(ch[record::voice]) +
                               " lies outside the file (at " + hex(at) + ")"};
        }
        voice[k] = source_.image[at + k];
    }
    const uint8_t vc = ch.vc();
    channel_write(vc, 0xB0, voice[0], out);
    ch[record::algorithm] = voice[0];
    for (uint32_t k = 0; k < 20; ++k) {
        channel_write(vc, table_byte(voice_register_table + k), voice[1 + k], out);
    }
    const uint8_t carriers = table_byte(carrier_mask_table + (voice[0] & 7u));
    for (uint32_t k = 0; k < 4; ++k) {
        uint8_t level = voice[21 + k];
        if ((carriers >> k & 1) != 0) {
            level = static_cast<uint8_t>(level + ch[record::volume]);
        }
        channel_write(vc, table_byte(voice_register_table + 20 + k), level, out);
    }
    channel_write(vc, 0xB4, ch[record::pan], out);
    out.push_back({write_target::voice_load, static_cast<uint8_t>(index), ch[record::voice]});
    if (const int32_t chip = chip_channel_of(vc); chip >= 0) {
        chip_voice_[chip] = ch[record::voice];
        chip_loader_[chip] = index;
    }
}

void track_interpreter::rewrite_carriers(channel_record ch, std::vector<driver_write>& out) {
    const uint8_t volume = ch[record::volume];
    if ((volume & 0x80) != 0) {
        return;
    }
    const uint8_t carriers = table_byte(carrier_mask_table + (ch[record::algorithm] & 7u));
    const uint32_t levels = voice_table_ + voice_record_size * uint32_t{ch[record::voice]} + 21;
    for (uint32_t k = 0; k < 4; ++k) {
        if ((carriers >> k & 1) == 0) {
            continue;
        }
        const int32_t level = stream_byte(levels + k) + volume;
        if (level <= 0xFF) {
            channel_write(ch.vc(), table_byte(voice_register_table + 20 + k),
                          static_cast<uint8_t>(level), out);
        }
    }
}

bool track_interpreter::replace_voice(int32_t number, const voice_record& stored,
                                      std::vector<driver_write>& writes) {
    const uint64_t at = voice_table_ + uint64_t{voice_record_size} * static_cast<uint64_t>(number);
    if (number < 0 || number > 0xFF || at + voice_record_size > source_.image.size()) {
        return false;
    }
    std::copy(stored.begin(), stored.end(),
              source_.image.begin() + static_cast<std::ptrdiff_t>(at));
    for (int32_t chip = 0; chip < 6; ++chip) {
        if (chip_voice_[chip] != number || chip_loader_[chip] < 0 || silenced_) {
            continue;
        }
        channel_record loader = channel(chip_loader_[chip]);
        const uint8_t kept_number = loader[record::voice];
        loader[record::voice] = static_cast<uint8_t>(number);
        load_voice(chip_loader_[chip], loader, writes);
        loader[record::voice] = kept_number;
    }
    return true;
}

uint8_t track_interpreter::next_byte(channel_record ch) {
    const uint32_t at = ch.address(record::stream);
    const uint8_t byte = stream_byte(at);
    ch.set_address(record::stream, at + 1);
    return byte;
}

uint8_t track_interpreter::stream_byte(uint32_t address) const {
    if (address >= source_.image.size()) {
        throw stream_fault{"its stream reads outside the file at " + hex(address)};
    }
    return source_.image[address];
}

uint8_t track_interpreter::table_byte(uint32_t address) const {
    if (address >= tables_.size()) {
        throw stream_fault{"the driver's tables are read outside the file at " + hex(address)};
    }
    return tables_[address];
}

uint16_t track_interpreter::table_word(uint32_t address) const {
    return static_cast<uint16_t>(table_byte(address) << 8 | table_byte(address + 1));
}

uint8_t track_interpreter::modulation_byte(channel_record ch, uint32_t k) const {
    const uint32_t pointer = ch.address(record::modulation);
    // Without an earlier F0 the pointer is 0: the parameters are the ROM's first bytes.
    if (pointer == 0 && source_.mode != file_mode::rom_image) {
        return tables_[k];
    }
    return stream_byte(pointer + k);
}

uint8_t track_interpreter::envelope_number(int32_t index, channel_record ch) {
    const uint8_t number = ch[record::voice];
    // A ROM image reads higher numbers' addresses from past the pointer table, as the
    // driver does; the built-in tables have nothing there.
    if (number > envelope_count && source_.mode != file_mode::rom_image) {
        say("Envelope " + std::to_string(number) + " is not one of the driver's " +
            std::to_string(envelope_count) + "; the " + music_channel_name(index) +
            " plays without an envelope.");
        return 0;
    }
    return number;
}

} // namespace kavelo
