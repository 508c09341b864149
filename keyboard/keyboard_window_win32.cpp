// The Keyboard window: dialog 150. Piano keys, computer keys and a MIDI input play the
// Voice editor's voice on the live synth; the envelopes of that voice are drawn below.

#include "keyboard/keyboard_window_win32.h"

#include "app/window_placement_win32.h"
#include "keyboard/envelope_picture_win32.h"
#include "keyboard/keyboard_audio_win32.h"
#include "keyboard/keyboard_midi_win32.h"
#include "keyboard/note_pitch.h"
#include "keyboard/piano_layout.h"
#include "keyboard_ids.h"
#include "resource.h"

#include <array>
#include <memory>
#include <string>

namespace kavelo {

namespace {

constexpr int32_t shown_octaves = 3;
constexpr int32_t highest_first_octave = 5; // C5 to C8 shown
constexpr UINT_PTR status_timer = 1;

struct open_keyboard {
    HWND window = nullptr;
    HWND editor = nullptr;
    keyboard_audio audio;
    keyboard_midi_input midi;
    std::string sound_problem; // empty while the sound plays
    int32_t first_octave = 3;  // C3 to C6 shown
    int32_t mouse_note = -1;
    std::array<int32_t, 256> key_notes{}; // note each held computer key plays, -1 none
    std::array<bool, 128> down{};         // notes held by any source, for drawing
    voice_record voice{};
    int32_t picture_note = 60; // the envelopes are drawn at the last note played
};

std::unique_ptr<open_keyboard> open_window;
keyboard_owner attached; // the editor while one is attached
HHOOK message_hook = nullptr;

int32_t first_note_of(int32_t octave) {
    return 12 * (octave + 1);
}

int32_t first_note(const open_keyboard& k) {
    return first_note_of(k.first_octave);
}

void redraw(HWND window, int id) {
    InvalidateRect(GetDlgItem(window, id), nullptr, FALSE);
}

void show_note_name(open_keyboard& k, int32_t note) {
    SetDlgItemTextA(k.window, IDC_KEYBOARD_NOTE, note >= 0 ? note_name(note).c_str() : "");
}

void play(open_keyboard& k, int32_t note) {
    if (note < 0 || note > 127) {
        return;
    }
    int32_t channel = -1;
    k.audio.with_synth([&](live_synth& synth) { channel = synth.note_on(note); });
    if (channel < 0) {
        return;
    }
    k.down[static_cast<std::size_t>(note)] = true;
    show_note_name(k, note);
    if (k.picture_note != note) {
        k.picture_note = note;
        redraw(k.window, IDC_KEYBOARD_ENVELOPES);
    }
    redraw(k.window, IDC_KEYBOARD_KEYS);
}

void release(open_keyboard& k, int32_t note) {
    if (note < 0 || note > 127) {
        return;
    }
    k.audio.with_synth([&](live_synth& synth) { synth.note_off(note); });
    k.down[static_cast<std::size_t>(note)] = false;
    redraw(k.window, IDC_KEYBOARD_KEYS);
}

void read_editor_voice(open_keyboard& k) {
    const voice_record voice = attached.shown_voice ? attached.shown_voice() : voice_record{};
    if (voice == k.voice) {
        return;
    }
    k.voice = voice;
    k.audio.with_synth([&](live_synth& synth) { synth.set_voice(voice); });
    redraw(k.window, IDC_KEYBOARD_ENVELOPES);
}

std::vector<piano_key> keys_of(const open_keyboard& k) {
    RECT area{};
    GetClientRect(GetDlgItem(k.window, IDC_KEYBOARD_KEYS), &area);
    return piano_keys(first_note(k), shown_octaves, area.right, area.bottom);
}

// The note under a point given in the dialog's client coordinates.
int32_t note_at(const open_keyboard& k, LPARAM lparam) {
    POINT p{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
    MapWindowPoints(k.window, GetDlgItem(k.window, IDC_KEYBOARD_KEYS), &p, 1);
    return piano_note_at(keys_of(k), p.x, p.y);
}

void draw_keys(const open_keyboard& k, const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    FillRect(dc, &item.rcItem, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    HBRUSH pressed = CreateSolidBrush(RGB(120, 170, 240));
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    for (const piano_key& key : keys_of(k)) {
        const bool is_down = k.down[static_cast<std::size_t>(key.note)];
        const RECT r{key.left, key.top, key.right, key.bottom};
        HBRUSH fill =
            is_down ? pressed
                    : static_cast<HBRUSH>(GetStockObject(key.black ? BLACK_BRUSH : WHITE_BRUSH));
        FillRect(dc, &r, fill);
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        if (!key.black && key.note % 12 == 0) {
            const std::string name = note_name(key.note);
            SetTextAlign(dc, TA_CENTER | TA_BOTTOM);
            TextOutA(dc, (key.left + key.right) / 2, key.bottom - 3, name.c_str(),
                     static_cast<int>(name.size()));
        }
    }
    DeleteObject(pressed);
}

void update_status(open_keyboard& k) {
    std::string line;
    if (!k.sound_problem.empty()) {
        line = "No sound: " + k.sound_problem + ". The keys still work, silently.";
    } else {
        const auto ms = [](uint32_t frames) { return std::to_string(frames * 1000 / 44100); };
        line = "Sound: rendered " + ms(k.audio.lead_frames()) +
               " ms ahead of the play cursor (target " + ms(k.audio.target_frames()) +
               " ms, device write cursor +" + ms(k.audio.device_write_lead()) +
               " ms); late refills: " + std::to_string(k.audio.stalls());
    }
    SetDlgItemTextA(k.window, IDC_KEYBOARD_STATUS, line.c_str());
}

void on_init(HWND window, HWND editor) {
    auto k = std::make_unique<open_keyboard>();
    k->window = window;
    k->editor = editor;
    k->key_notes.fill(-1);
    for (int32_t octave = 0; octave <= highest_first_octave; ++octave) {
        const std::string text = note_name(first_note_of(octave)) + " - " +
                                 note_name(first_note_of(octave + shown_octaves));
        SendDlgItemMessageA(window, IDC_KEYBOARD_OCTAVE, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendDlgItemMessageA(window, IDC_KEYBOARD_OCTAVE, CB_SETCURSEL, k->first_octave, 0);
    SendDlgItemMessageA(window, IDC_KEYBOARD_MIDI, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>("None"));
    for (const std::string& name : midi_input_names()) {
        SendDlgItemMessageA(window, IDC_KEYBOARD_MIDI, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendDlgItemMessageA(window, IDC_KEYBOARD_MIDI, CB_SETCURSEL, 0, 0);
    if (!k->audio.start(window, k->sound_problem)) {
        SetWindowTextA(window, "Keyboard (no sound)");
        if (attached.log) {
            attached.log("  * Keyboard: " + k->sound_problem + "; it plays silently");
        }
    }
    open_window = std::move(k);
    read_editor_voice(*open_window);
    update_status(*open_window);
    SetTimer(window, status_timer, 500, nullptr);
    place_beside_window(window, editor, right_first);
}

void on_midi_choice(open_keyboard& k) {
    const auto choice = SendDlgItemMessageA(k.window, IDC_KEYBOARD_MIDI, CB_GETCURSEL, 0, 0);
    k.midi.close();
    if (choice > 0 && !k.midi.open(static_cast<UINT>(choice - 1), k.window)) {
        MessageBoxA(k.window, "The MIDI input could not be opened.", "Keyboard", MB_OK);
        SendDlgItemMessageA(k.window, IDC_KEYBOARD_MIDI, CB_SETCURSEL, 0, 0);
    }
}

void on_octave_choice(open_keyboard& k) {
    const auto choice = SendDlgItemMessageA(k.window, IDC_KEYBOARD_OCTAVE, CB_GETCURSEL, 0, 0);
    if (choice >= 0 && choice <= highest_first_octave) {
        k.first_octave = static_cast<int32_t>(choice);
        redraw(k.window, IDC_KEYBOARD_KEYS);
    }
}

INT_PTR CALLBACK keyboard_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    open_keyboard* k = open_window && open_window->window == window ? open_window.get() : nullptr;
    switch (message) {
    case WM_INITDIALOG:
        on_init(window, reinterpret_cast<HWND>(lparam));
        return TRUE;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
        if (k && item.CtlID == IDC_KEYBOARD_KEYS) {
            draw_keys(*k, item);
        } else if (k && item.CtlID == IDC_KEYBOARD_ENVELOPES) {
            draw_envelopes(item.hDC, item.rcItem, k->voice,
                           pitch_key_code(note_pitch(k->picture_note).value_or(fm_pitch{})));
        }
        return TRUE;
    }
    case WM_LBUTTONDOWN:
        if (k && (k->mouse_note = note_at(*k, lparam)) >= 0) {
            SetCapture(window);
            play(*k, k->mouse_note);
        }
        return TRUE;
    case WM_MOUSEMOVE:
        if (k) {
            const int32_t note = note_at(*k, lparam);
            if (k->mouse_note >= 0 && note != k->mouse_note) {
                release(*k, k->mouse_note); // sliding over the keys plays each in turn
                k->mouse_note = note;
                play(*k, note);
            } else if (k->mouse_note < 0 && note >= 0) {
                show_note_name(*k, note);
            }
        }
        return TRUE;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (k && k->mouse_note >= 0) {
            const int32_t note = k->mouse_note;
            k->mouse_note = -1;
            release(*k, note);
            if (message == WM_LBUTTONUP) {
                ReleaseCapture();
            }
        }
        return TRUE;
    case wm_keyboard_midi_note:
        if (k) {
            (lparam ? play : release)(*k, static_cast<int32_t>(wparam));
        }
        return TRUE;
    case WM_ACTIVATEAPP:
        // Key releases go to whichever program has the keyboard: let go of held keys now.
        if (k && !wparam) {
            for (int32_t& held : k->key_notes) {
                if (held >= 0) {
                    release(*k, held);
                    held = -1;
                }
            }
        }
        return FALSE;
    case WM_TIMER:
        if (k) {
            update_status(*k);
        }
        return TRUE;
    case WM_COMMAND:
        if (k && HIWORD(wparam) == CBN_SELCHANGE && LOWORD(wparam) == IDC_KEYBOARD_MIDI) {
            on_midi_choice(*k);
        } else if (k && HIWORD(wparam) == CBN_SELCHANGE && LOWORD(wparam) == IDC_KEYBOARD_OCTAVE) {
            on_octave_choice(*k);
        } else if (LOWORD(wparam) == IDCANCEL) {
            DestroyWindow(window);
        }
        return TRUE;
    case WM_DESTROY:
        KillTimer(window, status_timer);
        if (k) {
            k->midi.close();
            k->audio.stop();
            open_window.reset();
        }
        return TRUE;
    default:
        return FALSE;
    }
}

bool is_edit_control(HWND control) {
    char name[16] = {};
    return control && GetClassNameA(control, name, sizeof name) > 0 && lstrcmpiA(name, "Edit") == 0;
}

// Computer keys of the two tracker rows; true when the message was taken.
bool take_note_key(open_keyboard& k, const MSG& m) {
    if (is_edit_control(GetFocus()) || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) {
        return false;
    }
    const int32_t semitone = tracker_key_semitone(static_cast<uint32_t>(m.wParam));
    if (semitone < 0) {
        return false;
    }
    auto& held = k.key_notes[static_cast<std::size_t>(m.wParam & 0xFF)];
    if (m.message == WM_KEYDOWN) {
        // Auto-repeat (bit 30: the key was already down) does not strike again.
        if ((m.lParam & (LPARAM{1} << 30)) == 0 && held < 0) {
            held = first_note(k) + semitone;
            play(k, held);
        }
    } else if (held >= 0) {
        release(k, held);
        held = -1;
    }
    return true;
}

LRESULT CALLBACK on_thread_message(int code, WPARAM wparam, LPARAM lparam) {
    auto* m = reinterpret_cast<MSG*>(lparam);
    if (code == HC_ACTION && wparam == PM_REMOVE &&
        (m->message == WM_KEYDOWN || m->message == WM_KEYUP)) {
        const HWND root = GetAncestor(m->hwnd, GA_ROOT);
        if (open_window && (root == attached.editor || root == open_window->window) &&
            take_note_key(*open_window, *m)) {
            m->message = WM_NULL;
        }
    }
    return CallNextHookEx(message_hook, code, wparam, lparam);
}

} // namespace

void keyboard_attach_editor(const keyboard_owner& owner) {
    attached = owner;
    if (!message_hook) {
        message_hook =
            SetWindowsHookExA(WH_GETMESSAGE, on_thread_message, nullptr, GetCurrentThreadId());
    }
}

void keyboard_detach_editor(HWND editor) {
    if (attached.editor != editor) {
        return;
    }
    if (open_window) {
        DestroyWindow(open_window->window);
    }
    if (message_hook) {
        UnhookWindowsHookEx(message_hook);
        message_hook = nullptr;
    }
    attached = keyboard_owner{};
}

void keyboard_window_open(HWND editor) {
    if (open_window) {
        SetForegroundWindow(open_window->window);
        return;
    }
    HWND window = CreateDialogParamA(attached.instance, MAKEINTRESOURCEA(IDD_KEYBOARD), editor,
                                     keyboard_proc, reinterpret_cast<LPARAM>(editor));
    if (window) {
        ShowWindow(window, SW_SHOW);
    }
}

HWND keyboard_window() {
    return open_window ? open_window->window : nullptr;
}

void keyboard_editor_changed(HWND editor) {
    if (open_window && open_window->editor == editor) {
        read_editor_voice(*open_window);
    }
}

} // namespace kavelo
