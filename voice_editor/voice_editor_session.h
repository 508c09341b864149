#pragma once
// The Voice editor's state and the flows of its commands, apart from any window: the
// dialog procedure turns each user action into one call here.

#include "formats/tx81z.h"
#include "formats/voice_file.h"
#include "formats/ymx_bank.h"
#include "rom/rom_access.h"
#include "rom/voice_table.h"
#include "sound/track_playback.h"
#include "voice_editor/export_bank_list.h"
#include "voice_editor/operator_ops.h"
#include "voice_editor/voice_editor_view.h"
#include "voice_editor/voice_history.h"

#include <cstdint>

namespace kavelo {

// Instrument files, voice banks and music logs list named voices of their own.
enum class import_source : int32_t {
    none = 0,
    tx81z = 1,
    bank = 2,
    instrument_files = 3,
    voice_bank_file = 4,
    music_log = 5
};

inline constexpr int preview_note_index = 1;

// Editor state. Most of it outlives the window: a new editor keeps the current voice,
// the clipboard, the modified flag and the imports; the Export bank list starts empty.
struct voice_editor_state {
    uint32_t track_offset = 0; // the track this editor loaded; its commits write there
    voice_table table;
    int32_t current_index = 0;
    voice_record current{};
    bool modified = false;
    voice_record clipboard{};
    bool clipboard_valid = false;
    export_bank_list export_bank;
    import_source source = import_source::none;
    tx81z_store tx81z;
    std::vector<bank_voice> imported_bank;
    // Undo and redo of the shown voice, and the operator clipboard of the context menu.
    voice_history history;
    std::optional<operator_bytes> operator_clipboard;
    // Instrument files, voice banks and music logs (volume variants grouped).
    std::vector<named_voice> imported_voices;
};

class voice_editor_session {
  public:
    voice_editor_session(voice_editor_state& state, voice_editor_view& view, rom_access access)
        : state_(state), view_(view), access_(std::move(access)),
          playback_(view.track_sound(), [&view](std::string_view line) { view.log(line); }) {}

    void open();
    void close();
    void save_to_rom();
    void choose_track();
    void choose_voice();
    void preview();
    bool previewing() const { return previewing_; }
    void copy_voice();
    void paste_voice();

    void import_tx81z();
    void import_bank();
    void import_music_log();
    void send_to_voice();
    void add_import_entry();
    void add_current_voice();
    void delete_export_entry();
    void move_export_entry_up();
    void move_export_entry_down();
    void clear_export_bank();
    void export_bank();
    void show_export_name();
    void rename_export_entry(std::string_view text);

    // Reports of the dialog's controls, by control id (control_notifications.cpp); each
    // does what its control calls for and ignores every other id. A list's selection
    // changed: the track and voice lists choose, every other list marks the voice modified,
    // a list of the voice is an undo step and the ALG list also redraws the picture.
    void selection_changed(uint16_t control_id);
    // A button or box was clicked: an AME box is an undo step.
    void box_clicked(uint16_t control_id);
    // A double-click in the Import list adds the entry to the Export bank list.
    void list_double_clicked(uint16_t control_id);
    // The Voice Name field's text changed: the selected export entry takes it.
    void text_changed(uint16_t control_id, std::string_view text);

    // Undo, redo, revert and the operator context menu; each change is one undo step.
    void undo();
    void redo();
    bool can_undo() const { return state_.history.can_undo(); }
    bool can_redo() const { return state_.history.can_redo(); }
    // Shows the voice as the file holds it now.
    void revert_voice();
    // Operators are numbered 1..4 (OP1..OP4).
    void copy_operator(int op);
    void paste_operator(int op);
    bool can_paste_operator() const { return state_.operator_clipboard.has_value(); }
    void swap_operators(int op, int other);

    file_mode mode() const { return access_.mode; }
    // Another file is being opened: the save prompt, as before a track change.
    void ask_to_save();
    // Another file is open: show it from its first track (or the bare track) and voice 0.
    void show_file(std::string path, file_mode mode);

    // Play Track and Stop (voice_track_play.cpp). The shown track plays with the loaded
    // voice table and the shown voice as the controls hold it; nothing is written.
    void play_track();
    void stop_track();
    bool playing() const { return playback_.playing(); }
    // After any command: the playing track takes the shown voice if it changed.
    void follow_shown_voice();
    // The player's messages, and the end of a track that ended; true when it stopped.
    bool poll_track() { return playback_.poll(); }
    // The file's bytes with the loaded voice table and the shown voice put in.
    op_result track_to_play(track_source& source) const;

    // Instrument and bank files of every format (voice_file_commands.cpp).
    void import_instrument_files();
    void import_voice_bank();
    void export_voice();
    void export_bank_as();

  private:
    void show_first_voice();
    void change_algorithm();
    void show_enabled();
    voice_snapshot snapshot() const;
    void start_history();
    void record_change();
    void apply_edit(const voice_record& shown);
    void load_voices(uint32_t start);
    void save_prompt();
    void report_commit(const op_result& result);
    void show_current();
    std::optional<voice_record> import_entry(int index) const;
    std::vector<std::string> export_names() const;
    void refresh_export_list(int selection);
    void import_voice_files(const std::vector<std::string>& paths, import_source source);

    voice_editor_state& state_;
    voice_editor_view& view_;
    rom_access access_;
    track_playback playback_;
    bool previewing_ = false; // while the preview note plays
};

} // namespace kavelo
