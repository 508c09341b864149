// The Keyboard window: a held key heard through Wine's captured device and compared with the
// live synth's render of the same key-on and key-off; its envelope picture; its sound lead.

#include "flows.h"
#include "sound_capture.h"

#include "keyboard/live_synth.h"
#include "keyboard_ids.h"

#include <tlhelp32.h>

#include <cmath>
#include <cstdio>
#include <regex>

namespace gui {

namespace {

// The Keyboard's synth keyed on at frame 0 and off after `hold` frames (stereo, 16-bit).
sound render_note(const kavelo::voice_record& voice, int32_t note, uint32_t hold, uint32_t frames) {
    kavelo::live_synth synth;
    synth.set_voice(voice);
    synth.note_on(note);
    sound out(2 * std::size_t{frames});
    hold = std::min(hold, frames);
    synth.render(out, hold);
    synth.note_off(note);
    synth.render(std::span<int16_t>(out).subspan(2 * std::size_t{hold}), frames - hold);
    return out;
}

// The status line: how far ahead the Keyboard rendered, what it aims at, its late refills.
struct sound_lead {
    int32_t lead_ms = -1;
    int32_t target_ms = -1;
    int32_t late_refills = -1;
    bool operator==(const sound_lead&) const = default;
};

sound_lead read_lead(HWND keyboard) {
    static const std::regex pattern("rendered ([0-9]+) ms ahead of the play cursor \\(target "
                                    "([0-9]+) ms.*late refills: ([0-9]+)");
    const std::string line = window_text(dialog_item(keyboard, IDC_KEYBOARD_STATUS));
    std::smatch m;
    if (!std::regex_search(line, m, pattern)) {
        return {};
    }
    return {std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3])};
}

// The mixer and the Keyboard's feeder: the program's only time-critical threads.
std::vector<DWORD> sound_threads(DWORD pid) {
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return found;
    }
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == pid && entry.tpBasePri >= THREAD_BASE_PRIORITY_LOWRT) {
            found.push_back(entry.th32ThreadID);
        }
    }
    CloseHandle(snapshot);
    return found;
}

// Holds a thread still for a while, as a busy machine would.
void stall_thread(DWORD id, duration length) {
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, id);
    expect(thread != nullptr, "the sound thread can be held");
    SuspendThread(thread);
    Sleep(static_cast<DWORD>(length.count()));
    ResumeThread(thread);
    CloseHandle(thread);
}

void expect_note(HWND keyboard, const std::string& name, const std::string& what) {
    expect_soon([&] { return window_text(dialog_item(keyboard, IDC_KEYBOARD_NOTE)) == name; }, what,
                3s);
}

// C3 held and released as the capture holds it.
struct held_note {
    std::size_t start = 0; // its first frame in the capture
    uint32_t hold = 0;     // the hold whose render fits its key-off best
    uint32_t frames = 0;   // the hold and 0.5 s of release
    capture_match match;   // that render against the capture
    std::size_t heard_silence = 0;
    std::size_t rendered_silence = 0;
    // How much longer the capture stays silent than the render does.
    std::size_t added_silence() const {
        return heard_silence > rendered_silence ? heard_silence - rendered_silence : 0;
    }
};

held_note find_held_note(const sound& samples, const kavelo::voice_record& voice) {
    constexpr int32_t c3 = 48;
    held_note note;
    // Its start: where the held note's first 100 ms differ least.
    constexpr uint32_t probe = 4410;
    note.start = rendered_start(samples, render_note(voice, c3, 1u << 30, probe), probe, 8);
    // Its key-off: the hold whose render fits best, coarse then fine.
    double best = -1;
    const auto search = [&](uint32_t from, uint32_t to, uint32_t step) {
        for (uint32_t hold = from; hold < to; hold += step) {
            const sound r = render_note(voice, c3, hold, hold + 8820);
            const uint32_t first = hold > 2205 ? hold - 2205 : 0;
            const double d =
                capture_difference(samples, note.start + first, r, first, hold + 8820 - first, 1);
            if (best < 0 || d < best) {
                best = d;
                note.hold = hold;
            }
        }
    };
    search(13230, 132300, 128);
    search(note.hold - 128, note.hold + 128, 1);
    note.frames = note.hold + 22050;
    const sound rendered = render_note(voice, c3, note.hold, note.frames);
    note.match = match_capture(samples, note.start, rendered, note.frames);
    note.heard_silence = longest_silence(samples, note.start, note.start + note.frames);
    note.rendered_silence = longest_silence(rendered, 0, note.frames);
    return note;
}
} // namespace

// The envelope picture follows the editor's release; the sound lead comes back to its
// target after a note, a stall of each sound thread, and seven keys held for 20 s.
KAVELO_GUI_TEST(keyboard_window_draws_releases_and_keeps_its_sound_lead) {
    rom_session app;
    voice_editor editor(app, 2, 1);
    editor.pick_all(IDC_OP1_RR, 15);
    HWND keyboard = editor.open_keyboard();
    const auto envelope_pixels = [&](const std::string& name) {
        const std::string path = work_path(name + ".bmp");
        expect(screenshot({dialog_item(keyboard, IDC_KEYBOARD_ENVELOPES)}, path),
               "the envelope picture can be captured");
        return file_bytes(path);
    };
    const std::vector<uint8_t> short_release = envelope_pixels("short");
    save_screenshot({keyboard}, "short-release");
    editor.pick_all(IDC_OP1_RR, 2);
    expect_soon([&] { return envelope_pixels("long") != short_release; },
                "a longer release redraws the envelopes");
    save_screenshot({keyboard}, "long-release");
    expect(bring_to_front(keyboard), "the Keyboard window takes the focus");

    // The lead once settled (the same status for a second, at target); each disturbance
    // must leave it back there, never above the opening target.
    sound_lead opening;
    auto settled_since = std::chrono::steady_clock::now();
    expect_soon(
        [&] {
            const sound_lead now = read_lead(keyboard);
            if (!(now == opening)) {
                opening = now;
                settled_since = std::chrono::steady_clock::now();
            }
            return opening.lead_ms > 0 && opening.lead_ms == opening.target_ms &&
                   std::chrono::steady_clock::now() - settled_since >= 1s;
        },
        "the status line shows the stream settled at its target lead", 10s);
    std::string seen = "at opening " + std::to_string(opening.lead_ms) + " ms";
    const auto back_at_target = [&](const std::string& when) {
        sound_lead now;
        const bool back = wait_until(
            [&] {
                now = read_lead(keyboard);
                return now.lead_ms == now.target_ms && now.target_ms <= opening.target_ms;
            },
            5s);
        seen += ", " + when + " " + std::to_string(now.lead_ms) + " ms (target " +
                std::to_string(now.target_ms) + ", late refills " +
                std::to_string(now.late_refills) + ")";
        expect(back, "the lead comes back to its target " + when + ": " + seen);
    };

    send_key('Z', false);
    expect_note(keyboard, "C3", "Z plays C3");
    Sleep(600); // the key held
    send_key('Z', true);
    back_at_target("after a note");

    // Each sound thread held for 100 ms: a late refill, or a cursor that catches up in a burst.
    const std::vector<DWORD> threads = sound_threads(app.pid());
    expect(!threads.empty(), "the program has sound threads");
    bool made_late = false;
    for (const DWORD thread : threads) {
        const int32_t late_before = read_lead(keyboard).late_refills;
        send_key('Z', false);
        stall_thread(thread, 100ms);
        send_key('Z', true);
        made_late =
            wait_until([&] { return read_lead(keyboard).late_refills > late_before; }, 2s) ||
            made_late;
        back_at_target("after a stall of thread " + std::to_string(thread));
    }
    expect(made_late, "holding a sound thread made a refill late");

    // Seven keys held (one more than the chip's six channels) for 20 s.
    const std::array<WORD, 7> chord{'Z', 'X', 'C', 'V', 'B', 'N', 'M'};
    for (const WORD key : chord) {
        send_key(key, false);
    }
    expect_note(keyboard, "B3", "the last of the seven keys plays B3");
    back_at_target("with seven keys held");
    Sleep(20000); // the keys held
    back_at_target("after 20 s");
    save_screenshot({keyboard}, "keyboard-lead");
    for (const WORD key : chord) {
        send_key(key, true);
    }
    std::printf("  Sound lead: %s\n", seen.c_str());
    post_command(keyboard, IDCANCEL);
    expect(wait_gone(keyboard), "the Keyboard window closes");
}

KAVELO_GUI_TEST(keyboard_window_plays_a_held_key_and_its_release) {
    rom_session app;
    voice_editor editor(app, 2, 1);
    editor.pick_all(IDC_OP1_RR, 6); // a release long enough to hear
    const kavelo::voice_record voice = editor.voice();

    // A stream that broke during the note (a late refill, a device that ran dry) put silence
    // in the capture that no render holds: such a note is played again in a fresh window.
    HWND keyboard = nullptr;
    held_note note;
    const auto first_attempt = std::chrono::steady_clock::now();
    for (int32_t attempt = 1;; ++attempt) {
        DeleteFileA(capture_path().c_str());
        keyboard = editor.open_keyboard();
        expect(items(dialog_item(keyboard, IDC_KEYBOARD_MIDI)).at(0) == "None",
               "the MIDI input starts at None");
        // The octave selector reaches C0; a click on the lowest white key plays it.
        user_picks(keyboard, IDC_KEYBOARD_OCTAVE, 0);
        RECT keys{};
        GetWindowRect(dialog_item(keyboard, IDC_KEYBOARD_KEYS), &keys);
        click_at(POINT{keys.left + 4, keys.bottom - 4});
        expect_note(keyboard, "C0", "a click on the lowest key plays C0");
        user_picks(keyboard, IDC_KEYBOARD_OCTAVE, 3);
        Sleep(1000); // a second apart, so the next note starts after this one has faded

        // Z plays the C of the lowest octave shown (C3); auto-repeat must not strike it again.
        const int32_t late_before = read_lead(keyboard).late_refills;
        expect(late_before >= 0, "the status line counts the late refills");
        send_key('Z', false);
        expect_note(keyboard, "C3", "the note's name is shown");
        Sleep(150);
        send_key('Z', false); // as the keyboard repeats a held key
        Sleep(150);
        send_key('Z', false);
        save_screenshot({keyboard}, "keyboard-held");
        Sleep(300);
        send_key('Z', true);
        Sleep(1500);
        save_screenshot({keyboard}, "keyboard-released");
        const int32_t late = read_lead(keyboard).late_refills - late_before;
        wait_captured(captured_frames() + 22050, "the device goes on taking the stream", 10s);
        note = find_held_note(captured_samples(), voice);
        const std::size_t gap = note.added_silence();
        if (late == 0 && gap <= stream_break_silence) {
            break;
        }
        std::printf("  attempt %d: %d late refills, %zu silent frames added, difference %.1f%%\n",
                    attempt, late, gap, note.match.share() * 100);
        // A loaded machine breaks most attempts; 60 s of them find a quiet moment.
        expect(std::chrono::steady_clock::now() - first_attempt < 60s,
               "no attempt in 60 s (" + std::to_string(attempt) +
                   ") played the note on an unbroken stream");
        post_command(keyboard, IDCANCEL);
        expect(wait_gone(keyboard), "the Keyboard window closes for another attempt");
    }

    // From the editor: X plays D3; every operator silenced while it is held ends it at once.
    expect(bring_to_front(editor.dialog), "the editor takes the focus back");
    send_key('X', false);
    expect_note(keyboard, "D3", "keys play while the editor has the focus");
    Sleep(300);
    editor.pick_all(IDC_OP1_TL, 127);
    Sleep(300);
    send_key('X', true);
    Sleep(300);
    post_command(keyboard, IDCANCEL);
    expect(wait_gone(keyboard), "the Keyboard window closes");

    expect(note.match.signal > 0, "the rendered note is not silent");
    expect(note.match.heard == note.frames, "the capture holds the whole note and its release");
    // Held 0.6 s by the test's clock; the capture device takes frames faster than real time.
    expect(note.hold > 22050 && note.hold < 132300,
           "the key was held (" + std::to_string(note.hold) + " frames)");
    expect(note.match.share() < 0.1,
           "what was played is the held note and its release (difference " +
               std::to_string(note.match.share() * 100) + "% of the signal; longest silence " +
               std::to_string(note.heard_silence) + " frames, the render's " +
               std::to_string(note.rendered_silence) + ")");

    const sound samples = captured_samples();
    std::size_t last = samples.size() / 2;
    while (last > 0 && samples[2 * (last - 1)] == 0) {
        --last;
    }
    expect(last > note.start + note.frames + 4410, "the second note was heard after the first");
    int32_t note_peak = 0;
    int32_t end_peak = 0;
    for (std::size_t f = last - 13230; f < last; ++f) {
        note_peak = std::max<int32_t>(note_peak, std::abs(samples[2 * f]));
        if (f >= last - 441) {
            end_peak = std::max<int32_t>(end_peak, std::abs(samples[2 * f]));
        }
    }
    expect(end_peak * 4 > note_peak, "the held note fell silent at the edit (" +
                                         std::to_string(end_peak) + " in its last 10 ms, " +
                                         std::to_string(note_peak) + " before)");
}

} // namespace gui
