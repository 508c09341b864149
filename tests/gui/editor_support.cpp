#include "editor_support.h"

#include "demo/demo_rom.h"

#include <fstream>
#include <iterator>

namespace gui {

std::string fresh_demo_rom() {
    const std::vector<uint8_t> rom = kavelo::make_demo_rom();
    return write_work_file(current_test() + "-rom.bin", {rom.begin(), rom.end()});
}

std::string fresh_demo_track(int track) {
    const std::vector<uint8_t> bytes = kavelo::make_demo_track(track);
    return write_work_file(current_test() + "-track.bin", {bytes.begin(), bytes.end()});
}

std::vector<uint8_t> file_bytes(const std::string& windows_path) {
    std::ifstream in(windows_path, std::ios::binary);
    if (!in) {
        fail("cannot read " + windows_path);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::size_t> changed_offsets(const std::vector<uint8_t>& before,
                                         const std::vector<uint8_t>& after) {
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < std::min(before.size(), after.size()); ++i) {
        if (before[i] != after[i]) {
            offsets.push_back(i);
        }
    }
    return offsets;
}

void set_text(HWND control, const std::string& text) {
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void choose_combo_entry(HWND dialog, int control_id, int index) {
    HWND combo = dialog_item(dialog, control_id);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // Posted, as a prompt or message box it raises must not block the driver.
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(control_id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

int combo_selection(HWND combo) {
    return static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
}

void wait_log_ends_with(kavelo_session& app, const std::string& line) {
    const bool seen = wait_until([&] {
        const std::string log = app.log_text();
        return log.size() >= line.size() &&
               log.compare(log.size() - line.size(), line.size(), line) == 0;
    });
    if (!seen) {
        fail("the Status log does not end with \"" + line + "\"; it holds:\n" + app.log_text());
    }
}

void wait_commit_logged(kavelo_session& app, const std::string& before,
                        const std::string& success_line) {
    const auto logged = [&] {
        const std::string log = app.log_text();
        if (log.size() <= before.size() || log.compare(0, before.size(), before) != 0) {
            return false;
        }
        const std::string added = log.substr(before.size());
        const std::size_t at = added.find(success_line);
        if (at == std::string::npos) {
            return false;
        }
        const std::string rest = added.substr(at + success_line.size());
        return rest.empty() || (rest.rfind(checksum_note_start, 0) == 0 && rest.size() > 2 &&
                                rest.compare(rest.size() - 2, 2, "\r\n") == 0);
    };
    if (!wait_until(logged)) {
        fail("the Status log does not show \"" + success_line + "\" after the commit; it holds:\n" +
             app.log_text());
    }
}

} // namespace gui
