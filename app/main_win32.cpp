// Process entry: window class, main window and the message loop.

#include "app/app_win32.h"
#include "res/resource.h"

#include <commctrl.h>

namespace kavelo {

app_state& the_app() {
    static app_state state;
    return state;
}

ATOM register_main_class(HINSTANCE instance) {
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = main_window_proc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_KAVELO));
    window_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    window_class.lpszMenuName = MAKEINTRESOURCEA(IDM_MAIN_MENU);
    window_class.lpszClassName = the_app().class_name.data();
    window_class.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SMALL));
    return RegisterClassExA(&window_class);
}

BOOL init_instance(HINSTANCE instance, int show_command) {
    app_state& app = the_app();
    app.instance = instance;
    // Fixed size: no thick frame, no maximise box.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    HWND window = CreateWindowExA(0, app.class_name.data(), app.title.data(), style, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 400, 200, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return FALSE;
    }
    app.main_window = window;
    InitCommonControls();
    ShowWindow(window, show_command);
    UpdateWindow(window);
    return TRUE;
}

} // namespace kavelo

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int show_command) {
    using namespace kavelo;
    app_state& app = the_app();
    LoadStringA(instance, IDS_APP_TITLE, app.title.data(), static_cast<int>(app.title.size()));
    LoadStringA(instance, IDS_CLASS_NAME, app.class_name.data(),
                static_cast<int>(app.class_name.size()));
    // A failed registration shows up as a failed window creation.
    register_main_class(instance);
    if (!init_instance(instance, show_command)) {
        return 0;
    }

    open_command_line(app.main_window, command_line != nullptr ? command_line : "");

    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!translate_accelerators(message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
