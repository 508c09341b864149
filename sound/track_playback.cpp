#include "sound/track_playback.h"

#include "rom/track_table.h"

#include <algorithm>
#include <utility>

namespace kavelo {

void track_playback::renderer::render(std::span<int16_t> out, uint32_t frames) {
    frames = std::min<uint32_t>(frames, static_cast<uint32_t>(out.size() / 2));
    const uint32_t silent = !player || ended ? frames : std::min(frames, lead_in_left);
    std::fill_n(out.begin(), 2 * std::size_t{silent}, 0);
    lead_in_left -= std::min(lead_in_left, silent);
    if (silent == frames) {
        return;
    }
    frames -= silent;
    out = out.subspan(2 * std::size_t{silent});
    player->render(out, frames);
    if (player->music_stopped()) {
        // Every channel keyed off, as a whole-track render ends, then the release is heard.
        player->stop_music();
        tail_left -= std::min(tail_left, frames);
        ended = tail_left == 0;
    }
}

track_playback::track_playback(sound_stream& stream, log_sink log)
    : stream_(stream), log_(std::move(log)) {}

track_playback::~track_playback() {
    stream_.stop();
}

bool track_playback::play(track_source source, std::string title) {
    stop();
    renderer_.player.emplace(std::move(source));
    if (!renderer_.player->valid()) {
        log_("  * Cannot play " + title + ": " + renderer_.player->problem());
        renderer_.player.reset();
        return false;
    }
    renderer_.lead_in_left = playback_lead_in_frames;
    renderer_.tail_left = release_tail_frames;
    renderer_.ended = false;
    std::string problem;
    if (!stream_.start(renderer_, problem)) {
        log_("  * No sound for " + title + ": " + problem);
        renderer_.player.reset();
        return false;
    }
    playing_ = true;
    title_ = std::move(title);
    log_("  * Playing " + title_);
    std::vector<std::string> messages;
    stream_.locked([&] { messages = renderer_.player->take_messages(); });
    log_messages(std::move(messages));
    return true;
}

void track_playback::stop() {
    if (!playing_) {
        return;
    }
    stream_.stop();
    log_messages(renderer_.player->take_messages());
    renderer_.player.reset();
    playing_ = false;
    log_("  * Stopped " + title_);
}

void track_playback::show_voice(int32_t index, const voice_record& working) {
    if (!playing_ || index < 0) {
        return;
    }
    const voice_record stored = swap_voice_order(working);
    stream_.locked([&] {
        track_player& player = *renderer_.player;
        const std::vector<uint8_t>& image = player.driver().source().image;
        const uint64_t at = player.driver().voice_table_address() +
                            uint64_t{voice_record_size} * static_cast<uint64_t>(index);
        if (at + voice_record_size <= image.size() &&
            std::equal(stored.begin(), stored.end(), image.begin() + static_cast<ptrdiff_t>(at))) {
            return;
        }
        player.replace_voice(index, stored);
    });
}

bool track_playback::poll() {
    if (!playing_) {
        return false;
    }
    std::vector<std::string> messages;
    bool ended = false;
    stream_.locked([&] {
        messages = renderer_.player->take_messages();
        ended = renderer_.ended;
    });
    log_messages(std::move(messages));
    if (!ended) {
        return false;
    }
    stream_.stop();
    renderer_.player.reset();
    playing_ = false;
    log_("  * " + title_ + " has ended");
    return true;
}

void track_playback::log_messages(std::vector<std::string> messages) {
    for (const std::string& message : messages) {
        log_("  * " + message);
    }
}

std::string track_title(const rom_access& access, uint32_t start) {
    if (access.mode == file_mode::rom_image) {
        for (const track_entry& track : track_table) {
            if (track.start == start) {
                return std::string(track.name);
            }
        }
    }
    const std::size_t slash = access.path.find_last_of("/\\");
    return slash == std::string::npos ? access.path : access.path.substr(slash + 1);
}

} // namespace kavelo
