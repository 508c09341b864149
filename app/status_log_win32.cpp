// The Status log: a read-only multi-line EDIT control filling the main window.

#include "app/app_win32.h"
#include "app/status_log_text.h"
#include "res/resource.h"

#include <algorithm>
#include <string>
#include <vector>

namespace kavelo {

namespace {

// WM_GETTEXT capacity: the log's text plus its terminator.
constexpr std::size_t status_log_buffer_size = status_log_max_chars + 1;

} // namespace

HWND status_log_create(HWND parent, HINSTANCE instance) {
    RECT client{};
    GetClientRect(parent, &client);
    // No border and no horizontal scrolling, so long lines wrap.
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                        ES_READONLY | ES_WANTRETURN;
    return CreateWindowExA(
        0, "EDIT", "", style, 0, 0, client.right - client.left, client.bottom - client.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS_LOG)), instance, nullptr);
}

bool status_log_append(std::string_view text) {
    HWND log = the_app().status_log;
    if (log == nullptr) {
        return true;
    }
    std::vector<char> buffer(status_log_buffer_size, '\0');
    const LRESULT length = SendMessageA(log, WM_GETTEXT, static_cast<WPARAM>(buffer.size()),
                                        reinterpret_cast<LPARAM>(buffer.data()));
    const std::size_t current =
        length > 0 ? std::min(static_cast<std::size_t>(length), status_log_max_chars) : 0;

    const std::string updated =
        status_log_text_append(std::string_view(buffer.data(), current), text);
    SendMessageA(log, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(updated.c_str()));

    // Keep the newest line in view: caret to the end, then scroll to the caret.
    const auto end = static_cast<WPARAM>(updated.size());
    SendMessageA(log, EM_SETSEL, end, static_cast<LPARAM>(end));
    SendMessageA(log, EM_SCROLLCARET, 0, 0);
    return true;
}

log_sink status_log_sink() {
    return [](std::string_view line) { status_log_append(line); };
}

} // namespace kavelo
