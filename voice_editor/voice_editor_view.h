#pragma once
// What the Voice editor's flows need from its window. The Win32 dialog implements this
// over its controls; tests implement it over plain data.

#include "sound/sound_stream.h"
#include "voice_editor/voice_editor_enabled.h"
#include "voice_editor/voice_fields.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavelo {

class voice_editor_view : public voice_controls {
  public:
    // Yes/No question "Did you want to save the current voice?" titled "Prompt".
    virtual bool ask_save_voice() = 0;
    virtual void show_message(std::string_view text, std::string_view title) = 0;
    virtual void log(std::string_view line) = 0;

    virtual void show_algorithm_picture(int algorithm) = 0;
    virtual void select_track(int selection) = 0;
    virtual int track_selection() const = 0;
    // Fills the voice list with "Voice 0".."Voice count-1" and selects entry 0.
    virtual void set_voice_list(int count) = 0;
    virtual int voice_selection() const = 0;

    virtual void set_import_list(const std::vector<std::string>& names) = 0;
    virtual int import_selection() const = 0;
    virtual void set_export_list(const std::vector<std::string>& names, int selection) = 0;
    virtual int export_selection() const = 0;
    virtual void set_voice_name_field(std::string_view text) = 0;

    // File dialogs: the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> choose_tx81z_file() = 0;
    virtual std::optional<std::string> choose_bank_file() = 0;
    virtual std::optional<std::string> choose_music_log_file() = 0; // .vgm or .vgz
    virtual std::optional<std::string> choose_bank_export_file() = 0;
    // Instrument and bank files of every format: the chosen paths (several may be chosen to
    // read), or none when cancelled. A path to write carries the chosen format's extension.
    virtual std::vector<std::string> choose_instrument_files() { return {}; }
    virtual std::vector<std::string> choose_voice_bank_files() { return {}; }
    virtual std::optional<std::string> choose_voice_export_file() { return std::nullopt; }
    virtual std::optional<std::string> choose_bank_export_as_file() { return std::nullopt; }

    // Every enabled and disabled state of the dialog's controls and menus at once.
    virtual void show_enabled(const voice_editor_enabled& states) = 0;
    virtual void play_preview(const voice_record& voice, int note_index) = 0;

    // The sound device that Play Track streams through.
    virtual sound_stream& track_sound() = 0;
};

} // namespace kavelo
