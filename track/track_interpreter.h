#pragma once
// The game's sound driver playing one track: the start of the track in frame 0, then one
// driver frame (60 Hz) per call, each giving the writes the driver makes in that frame,
// in order. It reads the track's header, streams and voices from a file image, which may
// carry edits not yet saved. A ROM image also gives the driver's tables; a bare track
// uses the built-in copy of them. A stream that leaves the file, or reaches what the
// driver does not define, stops its channel with one message; nothing is read outside
// the image.

#include "rom/rom_access.h"
#include "rom/voice_record.h"
#include "track/channel_record.h"
#include "track/driver_write.h"
#include "track/track_source.h"

#include <array>
#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace kavelo {

inline constexpr int32_t music_channel_count = 10; // drum, FM1-FM6, PSG1-PSG3
inline constexpr int32_t drum_channel = 0;
inline constexpr int32_t first_psg_channel = 7;
// More flags than this in one read cannot be music: the stream loops through flags alone.
inline constexpr int32_t max_flags_per_read = 4096;

// The YM2612 channel (0-5) that a voice-control byte addresses, or -1 for none.
int32_t chip_channel_of(uint8_t vc);

// "drum channel", "FM1" ... "FM6", "PSG1" ... "PSG3".
std::string music_channel_name(int32_t channel);

class track_interpreter {
  public:
    // Checks the header; a header outside the file, or with entry counts the driver
    // does not play (1-7 FM entries, the drum channel first, and 0-3 PSG entries), leaves
    // the interpreter invalid with the problem.
    explicit track_interpreter(track_source source);

    bool valid() const { return problem_.empty(); }
    const std::string& problem() const { return problem_; }

    // Runs the next frame (the first call is frame 0) and appends its writes.
    void run_frame(std::vector<driver_write>& writes);
    int64_t frames_run() const { return frame_; }

    // False once no channel plays any more: every stream stopped.
    bool playing() const;
    // How many times the channel has jumped back to repeat its stream.
    int32_t jumps_back(int32_t channel) const { return jumps_back_[channel]; }
    // How many times every playing channel has jumped back to repeat its stream.
    int32_t loops_completed() const;
    // Channels whose stream was started by the header.
    bool channel_started(int32_t channel) const { return started_[channel]; }
    bool channel_playing(int32_t channel) const;
    // The voice last loaded into a chip channel (0-5: FM1-FM6), or -1.
    int32_t chip_voice(int32_t chip_channel) const { return chip_voice_[chip_channel]; }

    // Messages since the last call: stopped channels and what the driver could not do.
    std::vector<std::string> take_messages();

    const track_source& source() const { return source_; }
    uint32_t voice_table_address() const { return voice_table_; }
    // Puts a stored (ROM order) voice in place of voice `number` in the image and appends
    // the writes that reload it on the chip channels that last loaded it, as the driver
    // would load it now. False when the voice lies outside the image.
    bool replace_voice(int32_t number, const voice_record& stored,
                       std::vector<driver_write>& writes);

  private:
    enum class flow { go_on, channel_done, frame_done };

    channel_record channel(int32_t index) {
        return channel_record(ram_.data() + channel_record_size * static_cast<uint32_t>(index));
    }
    bool is_psg(int32_t index) const { return index >= first_psg_channel; }

    void start_track(std::vector<driver_write>& out);
    void update_frame(std::vector<driver_write>& out);
    flow run_channel(int32_t index, std::vector<driver_write>& out);
    flow run_drum(channel_record ch, std::vector<driver_write>& out);
    flow run_fm(int32_t index, channel_record ch, std::vector<driver_write>& out);
    flow run_psg(int32_t index, channel_record ch, std::vector<driver_write>& out);
    flow start_fm_note(int32_t index, channel_record ch, std::vector<driver_write>& out);
    flow start_psg_note(int32_t index, channel_record ch, std::vector<driver_write>& out);

    // Reads flags (acting on each) up to the next note, rest or duration byte.
    flow read_to_note(int32_t index, channel_record ch, uint8_t& note,
                      std::vector<driver_write>& out);
    flow coordination_flag(int32_t index, channel_record ch, uint8_t flag, uint32_t at,
                           std::vector<driver_write>& out);
    // The duration byte after a note, when there is one.
    void take_note_duration(channel_record ch);
    void set_duration(channel_record ch, uint8_t duration);
    void restart_note_effects(channel_record ch);
    bool note_fill_cuts(channel_record ch, std::vector<driver_write>& out);
    bool modulation_steps(channel_record ch);
    void psg_volume(int32_t index, channel_record ch, std::vector<driver_write>& out);
    void psg_tone(channel_record ch, uint16_t period, std::vector<driver_write>& out);

    void load_voice(int32_t index, channel_record ch, std::vector<driver_write>& out);
    void rewrite_carriers(channel_record ch, std::vector<driver_write>& out);
    void channel_write(uint8_t vc, uint8_t reg, uint8_t value, std::vector<driver_write>& out);
    void fm_frequency(channel_record ch, uint16_t frequency, std::vector<driver_write>& out);

    uint8_t next_byte(channel_record ch);
    uint8_t stream_byte(uint32_t address) const;
    uint8_t table_byte(uint32_t address) const;
    uint16_t table_word(uint32_t address) const;
    uint8_t modulation_byte(channel_record ch, uint32_t k) const;
    uint8_t envelope_number(int32_t index, channel_record ch);

    void say(std::string message);
    void stop_channel(int32_t index, const std::string& reason);

    track_source source_;
    std::span<const uint8_t> tables_;
    std::string problem_;
    uint8_t fm_entries_ = 0;
    uint8_t psg_entries_ = 0;
    uint32_t voice_table_ = 0;
    uint8_t main_tempo_ = 0;
    uint8_t main_timeout_ = 0;
    bool silenced_ = false; // an interrupting tune ended: nothing plays from here on
    int64_t frame_ = 0;
    // The ten records, then room for what lies after them in the driver's memory.
    std::array<uint8_t, channel_record_size * music_channel_count + 0x130> ram_{};
    std::array<bool, music_channel_count> started_{};
    std::array<int32_t, music_channel_count> jumps_back_{};
    std::array<int32_t, 6> chip_voice_{-1, -1, -1, -1, -1, -1};
    std::array<int32_t, 6> chip_loader_{-1, -1, -1, -1, -1, -1}; // the record that loaded it
    std::vector<std::string> messages_;
    std::set<std::string> said_;
};

} // namespace kavelo
