#pragma once
// What the editors' Play and Stop do: a track played from its start through a sound
// stream, from a file image that carries the editor's unsaved state, so that playing
// never writes the file. A voice the editor changes while the track plays is heard at
// once on the channels that last loaded it, and at every later load. The window polls
// for the player's messages and for a track that has ended by itself.

#include "rom/log_sink.h"
#include "rom/rom_access.h"
#include "rom/voice_record.h"
#include "sound/sound_stream.h"
#include "track/track_player.h"

#include <optional>
#include <string>

namespace kavelo {

// The track starts after this much silence: a device's cursors settle in the stream's first
// tens of milliseconds (late refills and a first piece never heard, under Wine), and the
// first notes should be heard whole.
inline constexpr uint32_t playback_lead_in_frames = track_output_rate / 10;

class track_playback {
  public:
    track_playback(sound_stream& stream, log_sink log);
    // Stops the stream, without a log line: the program or the window is going away.
    ~track_playback();
    track_playback(const track_playback&) = delete;
    track_playback& operator=(const track_playback&) = delete;

    // Stops what plays, then plays `source` from its start as `title`. False when the
    // driver cannot play the track or there is no sound: one log line says why, and
    // nothing plays.
    bool play(track_source source, std::string title);
    // Stops what plays, with a log line; nothing when nothing plays.
    void stop();
    bool playing() const { return playing_; }

    // Voice `index` of the track as the editor shows it (working order). When the player
    // holds something else, the voice is replaced there: rewritten at once on the chip
    // channels that last loaded it, and taken by every later load.
    void show_voice(int32_t index, const voice_record& working);

    // Logs the player's messages since the last call, each once (the driver says each
    // thing once); a track that has ended and whose release has been heard stops. True
    // when that ended the playing.
    bool poll();

  private:
    class renderer final : public stream_renderer {
      public:
        void render(std::span<int16_t> out, uint32_t frames) override;

        std::optional<track_player> player;
        uint32_t lead_in_left = 0; // silent frames still to play before the track
        uint32_t tail_left = 0;    // release frames still to play once the music has stopped
        bool ended = false;
    };

    void log_messages(std::vector<std::string> messages);

    sound_stream& stream_;
    log_sink log_;
    renderer renderer_;
    bool playing_ = false;
    std::string title_;
};

// The name a track plays under: its Track table name in a ROM image, the file's own name
// for a bare track.
std::string track_title(const rom_access& access, uint32_t start);

} // namespace kavelo
