// Play in the editors heard through Wine: ALSA's default device is routed into a file (see
// run-gui-tests.sh), and what was played is found, a quarter second at a time, in the
// core's render of the same track with the editor's unsaved state.
//
// The comparison: each quarter second of the render is looked for in the capture (the
// first anywhere, each later one near where it follows on) and matches when the RMS of the
// difference is under 15% of the render's RMS there. Wine's mixer resamples, at a phase
// that changes from run to run, so over a whole mix (PSG edges, noise hi-hats) the
// difference came to 4-11% of the signal; another voice or another tempo leaves 18% and
// more. A refill that came late puts silence into the stream, one that caught up leaves
// frames out (cleared to silence): a quarter that holds such a break matches nothing, and
// is accepted only where the capture falls silent while the render sounds, or where the
// quarters around it do not follow on from each other.

#include "sound_capture.h"
#include "voice_editor_support.h"

#include "header_editor_ids.h"
#include "rom/track_table.h"
#include "track/track_player.h"

#include <cstdio>

namespace gui {

namespace {

constexpr int basalt = 2; // its lead plays voice 0 on FM1, FM4 and FM5 for its first 4 s
constexpr std::size_t second = 44100;
constexpr std::size_t quarter = second / 4;
constexpr double matched = 0.15;
constexpr std::size_t silence_break = second / 500; // 2 ms, rarer than that in a busy mix
// How far past what the device had taken an edit may come out: the stream's lead and
// what Wine's mixer holds.
constexpr std::size_t edit_heard_within = second / 2;

kavelo::track_source source_of(const std::vector<uint8_t>& image, int track) {
    return {image, kavelo::file_mode::rom_image, kavelo::track_table[track].start};
}

// The track as a fresh player renders it, `frames` frames from its start.
std::vector<int16_t> render(kavelo::track_source source, std::size_t frames) {
    kavelo::track_player player(std::move(source));
    return kavelo::render_track(player, {static_cast<double>(frames) / second, -1});
}

// The image with voice `index` of the track replaced (working order).
std::vector<uint8_t> with_voice(std::vector<uint8_t> image, int track, int index,
                                const kavelo::voice_record& voice) {
    const std::size_t slot = voice_slot(image, track, index);
    const kavelo::voice_record stored = kavelo::swap_voice_order(voice);
    std::copy(stored.begin(), stored.end(), image.begin() + static_cast<std::ptrdiff_t>(slot));
    return image;
}

void wait_captured(std::size_t frames, const std::string& what) {
    expect(wait_until([&] { return captured_frames() >= frames; }, 20s),
           what + " (" + std::to_string(captured_frames()) + " frames captured)");
}

const menu_item* find_menu_item(const std::vector<menu_popup>& menu, int command) {
    for (const menu_popup& popup : menu) {
        for (const menu_item& item : popup.items) {
            if (item.command == command) {
                return &item;
            }
        }
    }
    return nullptr;
}

bool stop_grayed(HWND dialog) {
    const std::vector<menu_popup> menu = read_menu(dialog);
    const menu_item* stop = find_menu_item(menu, IDM_STOP_TRACK);
    expect(stop != nullptr, "the menu has Stop");
    return stop->grayed;
}

// What a quarter of the render should match: the first render, the second, or nothing
// in particular (an edit lands in it: some of it before, some after).
enum class expected_match { first, second, any };

struct heard_quarters {
    int matched = 0;
    int broken = 0; // matched nothing where the stream broke
    int failed = 0; // matched nothing where the stream went on
    std::string report;
};

// Whether the stream broke in quarter k: the capture falls silent there for longer than the
// render does (a late refill and frames left out both leave silence, and so does a mixer
// that ran dry), or the quarters that matched around it do not follow on from each other.
std::string stream_break(const std::vector<int16_t>& captured, const std::vector<int16_t>& rendered,
                         const std::vector<const piece_match*>& found, const piece_match& quarter_k,
                         std::size_t k) {
    const std::size_t margin = quarter / 10;
    const auto widened = [&](std::size_t at) { return at > margin ? at - margin : 0; };
    const std::size_t heard_silence =
        longest_silence(captured, widened(quarter_k.offset), quarter_k.offset + quarter + margin);
    const std::size_t rendered_silence =
        longest_silence(rendered, widened(quarter_k.from), quarter_k.from + quarter + margin);
    if (heard_silence > rendered_silence + silence_break) {
        return "silent for " + std::to_string(heard_silence) + " frames";
    }
    const piece_match* before = nullptr;
    const piece_match* after = nullptr;
    for (std::size_t j = k; j-- > 0 && !before;) {
        before = found[j];
    }
    for (std::size_t j = k + 1; j < found.size() && !after; ++j) {
        after = found[j];
    }
    if (before && after && after->offset - before->offset != after->from - before->from) {
        return "later quarters moved by " +
               std::to_string(static_cast<long long>(after->offset - before->offset) -
                              static_cast<long long>(after->from - before->from)) +
               " frames";
    }
    return {};
}

// Checks the quarters the capture holds before `heard_until` against up to two renders,
// prints what each matched and fails the test when one that should match does not where
// the stream went on unbroken.
heard_quarters check_quarters(const std::vector<int16_t>& captured,
                              const std::vector<int16_t>& first_render,
                              const std::vector<piece_match>& first,
                              const std::vector<piece_match>& second_render,
                              std::size_t heard_until,
                              const std::function<expected_match(const piece_match&)>& expected) {
    heard_quarters heard;
    const auto share_of = [](const std::vector<piece_match>& pieces, std::size_t k) {
        return k < pieces.size() ? pieces[k].share : 1.0;
    };
    // Where each quarter lies in the capture, when either render matched it.
    std::vector<const piece_match*> found(first.size(), nullptr);
    for (std::size_t k = 0; k < first.size(); ++k) {
        found[k] = first[k].share < matched               ? &first[k]
                   : share_of(second_render, k) < matched ? &second_render[k]
                                                          : nullptr;
    }
    for (std::size_t k = 0; k < first.size() && first[k].offset + quarter <= heard_until; ++k) {
        const expected_match want = expected(first[k]);
        const double share =
            want == expected_match::second ? share_of(second_render, k) : first[k].share;
        char line[160];
        std::snprintf(line, sizeof line, "    %5.2f s at capture %7zu: %.3f, %.3f",
                      static_cast<double>(first[k].from) / second, first[k].offset, first[k].share,
                      share_of(second_render, k));
        heard.report += line;
        if (want == expected_match::any) {
            heard.report += " (an edit lands here)\n";
            continue;
        }
        if (share < matched) {
            heard.report += "\n";
            ++heard.matched;
            continue;
        }
        const std::string broke = stream_break(captured, first_render, found, first[k], k);
        heard.report +=
            broke.empty() ? " NO MATCH\n" : " no match: the stream broke, " + broke + "\n";
        ++(broke.empty() ? heard.failed : heard.broken);
    }
    std::printf("%s", heard.report.c_str());
    expect(heard.failed == 0, "every quarter matches where the stream went on unbroken");
    expect(heard.matched >= 8, "two seconds and more match (" + std::to_string(heard.matched) +
                                   " quarters matched, " + std::to_string(heard.broken) +
                                   " at breaks)");
    return heard;
}

// How many of the quarters that matched `found` also match another render.
int also_matching(const std::vector<piece_match>& found, const std::vector<int16_t>& captured,
                  const std::vector<int16_t>& other, std::size_t from, std::size_t to) {
    int count = 0;
    for (const piece_match& p : found) {
        if (p.share < matched && p.from >= from && p.from + quarter <= to &&
            piece_share(captured, p.offset, other, p.from, quarter) < matched) {
            ++count;
        }
    }
    return count;
}

int matching(const std::vector<piece_match>& found, std::size_t from, std::size_t to) {
    int count = 0;
    for (const piece_match& p : found) {
        count += p.share < matched && p.from >= from && p.from + quarter <= to ? 1 : 0;
    }
    return count;
}

} // namespace

KAVELO_GUI_TEST(voice_editor_plays_the_shown_track_as_the_core_renders_it) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    HWND dialog = open_voice_editor(app);
    choose_track(app, dialog, basalt, nullptr);
    const std::vector<uint8_t> before = file_bytes(rom);
    const std::vector<menu_popup> menu = read_menu(dialog);
    expect(menu.size() == 5 && menu[3].text == "Track" && menu[3].items.size() == 2,
           "the menu bar has Track after Keyboard, before Close");
    expect_equal(menu[3].items[0].text, "Play Track\tF5", "the first Track item");
    expect_equal(menu[3].items[0].command, IDM_PLAY_TRACK, "Play Track's command");
    expect(!menu[3].items[0].grayed, "Play Track is enabled");
    expect_equal(menu[3].items[1].text, "Stop\tShift+F5", "the second Track item");
    expect(menu[3].items[1].grayed, "Stop is grayed while nothing plays");

    // An unsaved edit of the lead's voice: OP1, which modulates the three carriers, one
    // multiple up.
    user_picks(dialog, op_control(1, IDC_OP1_MUL), 3);
    const kavelo::voice_record edited = displayed_voice(dialog);

    DeleteFileA(capture_path().c_str());
    expect(bring_to_front(dialog), "the editor takes the focus");
    press_chord({}, VK_F5);
    wait_log_ends_with(app, "  * Playing Basalt Zone\r\n");
    expect(!stop_grayed(dialog), "Stop is enabled while the track plays");
    wait_captured(2 * second, "two seconds are played");

    // The lead's voice turned down while it plays: every operator's total level to 100 (not
    // 127: the driver adds the channel's volume to a carrier's level, and the chip takes
    // the low 7 bits of the sum).
    const std::size_t at_change = captured_frames();
    for (int op = 1; op <= 4; ++op) {
        user_picks(dialog, op_control(op, IDC_OP1_TL), 100);
    }
    const kavelo::voice_record quiet = displayed_voice(dialog);
    wait_captured(at_change + 3 * second, "three more seconds are played");
    const std::size_t at_stop = captured_frames();
    expect(bring_to_front(dialog), "the editor takes the focus");
    press_chord({VK_SHIFT}, VK_F5);
    wait_log_ends_with(app, "  * Stopped Basalt Zone\r\n");
    expect(stop_grayed(dialog), "Stop is grayed again");
    expect(file_bytes(rom) == before, "playing with unsaved edits leaves the file byte for byte");

    const std::vector<int16_t> captured = captured_samples();
    const std::size_t frames = captured.size() / 2;
    const std::vector<int16_t> as_shown =
        render(source_of(with_voice(before, basalt, 0, edited), basalt), frames);
    const std::vector<int16_t> turned_down =
        render(source_of(with_voice(before, basalt, 0, quiet), basalt), frames);
    const std::vector<int16_t> as_saved = render(source_of(before, basalt), frames);
    const std::vector<piece_match> shown =
        find_pieces(captured, as_shown, frames, quarter, second / 10, second / 2, matched);
    const std::vector<piece_match> down =
        find_pieces(captured, turned_down, frames, quarter, second / 10, second / 2, matched);
    std::printf("  Quarters heard (share of the difference with the voice as shown, then "
                "turned down; the change at capture frame %zu):\n",
                at_change);
    const heard_quarters heard =
        check_quarters(captured, as_shown, shown, down, at_stop, [&](const piece_match& p) {
            return p.offset + quarter <= at_change             ? expected_match::first
                   : p.offset >= at_change + edit_heard_within ? expected_match::second
                                                               : expected_match::any;
        });

    // The unsaved edit is heard: before the change, most quarters do not match the voice as
    // the file holds it. The change is heard: after it, quarters match the turned-down
    // voice and not the voice as it was, until the lead moves on to voice 1 at 4 s.
    std::size_t change_from = 0;
    for (const piece_match& p : shown) {
        if (p.offset + quarter <= at_change) {
            change_from = p.from + quarter;
        }
    }
    const int before_change = matching(shown, 0, change_from);
    const int like_saved = also_matching(shown, captured, as_saved, 0, change_from);
    std::printf("  Before the change: %d quarters as shown, %d of them also as saved\n",
                before_change, like_saved);
    expect(before_change >= 4 && like_saved * 2 <= before_change,
           "the unsaved edit is heard before the change");
    const int after_change = matching(down, change_from + quarter, 4 * second);
    const int like_before =
        also_matching(down, captured, as_shown, change_from + quarter, 4 * second);
    std::printf("  After the change, to 4 s: %d quarters turned down, %d of them also as shown\n",
                after_change, like_before);
    expect(after_change >= 3 && like_before == 0, "the turned-down voice is heard at once");
}

KAVELO_GUI_TEST(voice_editor_track_play_stops_with_another_track_close_and_exit) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    HWND dialog = open_voice_editor(app);
    choose_track(app, dialog, basalt, nullptr);

    // The Track menu opened with a click: it is the bar's fourth item, right of Keyboard,
    // in the band above the client area.
    post_command(dialog, IDM_PLAY_TRACK);
    wait_log_ends_with(app, "  * Playing Basalt Zone\r\n");
    expect(bring_to_front(dialog), "the editor takes the focus");
    RECT frame{};
    GetWindowRect(dialog, &frame);
    POINT client_top{0, 0};
    ClientToScreen(dialog, &client_top);
    click_at({frame.left + 160, client_top.y - GetSystemMetrics(SM_CYMENU) / 2});
    HWND popup = wait_popup_menu(app.process().pid());
    expect(popup != nullptr, "the Track menu opens");
    save_screenshot(std::vector<HWND>{dialog, popup}, "track-menu-playing");
    press_chord({}, VK_ESCAPE);
    press_chord({}, VK_ESCAPE);
    expect(wait_gone(popup), "Escape closes the menu");

    user_picks(dialog, IDC_VOICE_LIST, 1);
    expect(!stop_grayed(dialog), "another voice keeps playing");
    user_picks(dialog, IDC_TRACK_LIST, 3);
    wait_log_ends_with(app, "  * Stopped Basalt Zone\r\n");
    expect(stop_grayed(dialog), "another track stops the one that played");

    post_command(dialog, IDM_PLAY_TRACK);
    wait_log_ends_with(app, "  * Playing Moonrail Zone\r\n");
    post_command(dialog, IDCANCEL);
    expect(wait_gone(dialog), "Close ends the editor");
    wait_log_ends_with(app, "  * Stopped Moonrail Zone\r\n");

    dialog = open_voice_editor(app);
    post_command(dialog, IDM_PLAY_TRACK);
    wait_log_ends_with(app, "  * Playing Copperleaf Zone\r\n");
    const auto exit_asked = std::chrono::steady_clock::now();
    post_command(app.main(), IDM_EXIT);
    expect_equal(static_cast<long long>(app.wait_exit()), 0, "Exit while a track plays");
    const auto exit_ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - exit_asked)
                             .count();
    std::printf("  Exit while a track played took %lld ms\n", static_cast<long long>(exit_ms));
}

KAVELO_GUI_TEST(header_editor_plays_the_typed_tempo_uncommitted) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    post_command(app.main(), IDM_TRACK_HEADER_EDITOR);
    HWND dialog = wait_dialog(app.process().pid(), "Edit General Track Properties");
    expect(dialog != nullptr, "the Track Header Editor opens");
    user_picks(dialog, IDC_HEADER_TRACK_LIST, basalt);
    const std::vector<uint8_t> before = file_bytes(rom);
    const uint32_t start = kavelo::track_table[basalt].start;
    HWND play = dialog_item(dialog, IDC_HEADER_PLAY);
    expect_equal(window_text(play), "Play", "the Play button");
    const std::string typed_tempo = before[start + 5] == 3 ? "4" : "3";
    set_text(dialog_item(dialog, IDC_HEADER_SONG_TEMPO), typed_tempo);

    DeleteFileA(capture_path().c_str());
    click_button(play);
    wait_log_ends_with(app, "  * Playing Basalt Zone\r\n");
    expect(wait_until([&] { return window_text(play) == "Stop"; }), "Play becomes Stop");
    save_screenshot(dialog, "playing");
    wait_captured(4 * second, "four seconds are played");
    const std::size_t at_stop = captured_frames();
    click_button(play);
    wait_log_ends_with(app, "  * Stopped Basalt Zone\r\n");
    expect(wait_until([&] { return window_text(play) == "Play"; }), "Stop becomes Play");
    expect(file_bytes(rom) == before, "playing writes nothing");
    expect_equal(window_text(dialog_item(dialog, IDC_HEADER_SONG_TEMPO)), typed_tempo,
                 "the typed tempo stays in its field");

    const std::vector<int16_t> captured = captured_samples();
    const std::size_t frames = captured.size() / 2;
    std::vector<uint8_t> typed = before;
    typed[start + 5] = static_cast<uint8_t>(std::stoi(typed_tempo));
    const std::vector<int16_t> as_typed = render(source_of(typed, basalt), frames);
    const std::vector<int16_t> as_saved = render(source_of(before, basalt), frames);
    const std::vector<piece_match> found =
        find_pieces(captured, as_typed, frames, quarter, second / 10, second / 2, matched);
    std::printf("  Quarters heard (share of the difference with the typed tempo):\n");
    const heard_quarters heard =
        check_quarters(captured, as_typed, found, {}, at_stop,
                       [](const piece_match&) { return expected_match::first; });
    const int like_saved = also_matching(found, captured, as_saved, 0, frames);
    std::printf("  %d of %d also match the saved tempo\n", like_saved, heard.matched);
    expect(like_saved * 2 <= heard.matched, "the typed tempo is heard, not the saved one");

    click_button(play);
    wait_log_ends_with(app, "  * Playing Basalt Zone\r\n");
    click_button(dialog_item(dialog, IDCANCEL));
    expect(wait_gone(dialog), "Close ends the dialog");
    wait_log_ends_with(app, "  * Stopped Basalt Zone\r\n");
}

} // namespace gui
