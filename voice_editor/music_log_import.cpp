// Import > Music Log (VGM): the voices a game's music keys on fill the Import list, one
// entry per instrument (volume variants grouped), named after channel and key-on count.

#include "vgm/vgm_voices.h"
#include "voice_editor/voice_editor_session.h"

#include <cstdio>

namespace kavelo {

void voice_editor_session::import_music_log() {
    const std::optional<std::string> path = view_.choose_music_log_file();
    if (!path) {
        return;
    }
    std::vector<uint8_t> bytes;
    if (const op_result read = vgm_read_file(access_.fs, *path, bytes); !read.done()) {
        view_.show_message(read.problem, "Error!");
        return;
    }
    std::vector<vgm_voice> voices;
    if (const vgm_result error = extract_vgm_voices(bytes, voices); !error.done()) {
        char where[48];
        std::snprintf(where, sizeof where, " at offset 0x%zX: ", error.offset);
        view_.show_message(*path + where + error.problem, "Error!");
        return;
    }
    const std::size_t records = voices.size();
    voices = merge_volume_variants(voices);
    if (voices.empty()) {
        view_.show_message("The log plays no YM2612 voice; there is nothing to import.", "Import");
        return;
    }
    std::vector<std::string> names;
    state_.imported_voices.clear();
    for (const vgm_voice& v : voices) {
        names.push_back(v.name);
        state_.imported_voices.push_back({v.voice, v.name});
    }
    view_.set_import_list(names);
    state_.source = import_source::music_log;
    view_.log("  * Imported " + std::to_string(voices.size()) + " voices (" +
              std::to_string(records) + " records with their volume steps) from " + *path);
}

} // namespace kavelo
