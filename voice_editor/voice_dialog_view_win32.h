#pragma once
// The Voice editor's controls, prompts, file dialogs and sound as its session sees them
// (voice_editor_view over dialog 106).

#include "app/editor_owner_win32.h"
#include "sound/direct_sound_stream_win32.h"
#include "voice_editor/voice_editor_view.h"

#include <windows.h>

#include <array>

namespace kavelo {

LRESULT send_item(HWND dialog, int id, UINT message, WPARAM wparam = 0, LPARAM lparam = 0);

class voice_dialog_view : public voice_editor_view {
  public:
    voice_dialog_view(HWND dialog, const editor_owner& owner)
        : dialog_(dialog), owner_(owner), track_sound_(dialog) {}
    ~voice_dialog_view() override;
    voice_dialog_view(const voice_dialog_view&) = delete;
    voice_dialog_view& operator=(const voice_dialog_view&) = delete;

    void select(uint16_t id, int entry) override;
    int selection(uint16_t id) const override;
    void check(uint16_t id, bool checked) override;
    bool checked(uint16_t id) const override;

    bool ask_save_voice() override;
    void show_message(std::string_view text, std::string_view title) override;
    void log(std::string_view line) override;

    void show_algorithm_picture(int algorithm) override;
    void select_track(int selection) override;
    int track_selection() const override;
    void set_voice_list(int count) override;
    int voice_selection() const override;

    void set_import_list(const std::vector<std::string>& names) override;
    int import_selection() const override;
    void set_export_list(const std::vector<std::string>& names, int selection) override;
    int export_selection() const override;
    void set_voice_name_field(std::string_view text) override;

    std::optional<std::string> choose_tx81z_file() override;
    std::optional<std::string> choose_bank_file() override;
    std::optional<std::string> choose_music_log_file() override;
    std::vector<std::string> choose_instrument_files() override;
    std::vector<std::string> choose_voice_bank_files() override;
    std::optional<std::string> choose_voice_export_file() override;
    std::optional<std::string> choose_bank_export_as_file() override;
    std::optional<std::string> choose_bank_export_file() override;

    void show_enabled(const voice_editor_enabled& states) override;
    void play_preview(const voice_record& voice, int note_index) override;
    sound_stream& track_sound() override { return track_sound_; }

  private:
    HWND dialog_;
    editor_owner owner_; // the instance for bitmaps and file dialogs, and the Status log
    std::array<HBITMAP, 8> pictures_{};
    direct_sound_stream track_sound_;
};

} // namespace kavelo
