#include "kavelo_session.h"

#include "demo/demo_rom.h"

#include "resource.h"

namespace gui {

const demo_files& demo() {
    static const demo_files files = [] {
        const std::vector<uint8_t> rom = kavelo::make_demo_rom();
        const std::vector<uint8_t> track = kavelo::make_demo_track(2);
        return demo_files{write_work_file("demo-rom.bin", {rom.begin(), rom.end()}),
                          write_work_file("demo-track.bin", {track.begin(), track.end()})};
    }();
    return files;
}

kavelo_session::kavelo_session(const std::string& arguments)
    : process_(std::make_unique<app_process>(environment().app_path, arguments)) {
    main_ = process_->wait_main_window(main_class);
    log_ = GetDlgItem(main_, IDC_STATUS_LOG);
    if (log_ == nullptr) {
        log_ = find_child(main_, "Edit");
    }
    expect(log_ != nullptr, "the main window has no Status log");
}

std::vector<std::string> kavelo_session::menu_titles() const {
    std::vector<std::string> titles;
    for (const menu_popup& popup : read_menu(main_)) {
        titles.push_back(popup.text);
    }
    return titles;
}

HWND kavelo_session::wait_open_dialog() {
    HWND dialog = wait_dialog(process_->pid(), open_dialog_title);
    expect(dialog != nullptr, "the Open dialog did not appear");
    expect(GetWindow(dialog, GW_OWNER) == main_, "the Open dialog is owned by the main window");
    return dialog;
}

HWND kavelo_session::open_dialog_from_menu() {
    post_command(main_, IDM_OPEN);
    return wait_open_dialog();
}

void kavelo_session::open_file(const std::string& windows_path) {
    const std::string before = log_text();
    HWND dialog = open_dialog_from_menu();
    fill_file_dialog(dialog, windows_path);
    expect(wait_gone(dialog), "the Open dialog closes after OK");
    expect(wait_until([&] { return log_text() != before; }),
           "the Status log gets a line after opening " + windows_path);
}

void kavelo_session::cancel_dialog(HWND dialog) {
    click_button(dialog_item(dialog, IDCANCEL));
    expect(wait_gone(dialog), "the dialog closes on Cancel");
}

DWORD kavelo_session::wait_exit() {
    DWORD code = 0;
    expect(process_->wait_exit(code), "the program ends");
    return code;
}

namespace {

// The top of a line in the log's client area; lines above the view give negative values.
int line_top(HWND log, LRESULT line) {
    const auto start = SendMessageA(log, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
    const auto position = SendMessageA(log, EM_POSFROMCHAR, static_cast<WPARAM>(start), 0);
    return static_cast<short>(HIWORD(position));
}

} // namespace

bool newest_line_visible(HWND log) {
    // The text ends in CR LF, so the newest line is the one before the empty last line.
    const auto lines = SendMessageA(log, EM_GETLINECOUNT, 0, 0);
    if (lines < 3) {
        return true;
    }
    const int newest = line_top(log, lines - 2);
    const int height = newest - line_top(log, lines - 3);
    RECT client{};
    GetClientRect(log, &client);
    return height > 0 && newest >= 0 && newest + height <= client.bottom;
}

} // namespace gui
