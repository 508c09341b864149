// Play in the editors heard through Wine's captured device: each quarter second of the
// core's render (with the editor's unsaved state) is looked for in the capture, the first
// anywhere, each later one where it follows on, and matches under 15% RMS difference. Wine's
// mixer resamples at a phase that varies by run (4-11% over a whole mix); another voice or
// tempo leaves 18% and more. A late refill or a catch-up leaves silence: a quarter holding
// such a break is excused only where the capture falls silent while the render sounds, or
// where the quarters around it do not follow on.

#include "flows.h"
#include "sound_capture.h"

#include "rom/track_table.h"
#include "track/track_player.h"

#include <cstdio>

namespace gui {

namespace {

constexpr int basalt = 2; // its lead plays voice 0 on FM1, FM4 and FM5 for its first 4 s
constexpr std::size_t second = 44100;
constexpr std::size_t quarter = second / 4;
constexpr double matched = 0.15;
// How late an edit may come out past what the device had taken: the lead and Wine's mixer.
constexpr std::size_t edit_heard_within = second / 2;

// The track of the image as a fresh player renders it, `frames` frames from its start.
sound render(const std::vector<uint8_t>& image, std::size_t frames) {
    kavelo::track_player player(
        {image, kavelo::file_mode::rom_image, kavelo::track_table[basalt].start});
    return kavelo::render_track(player, {static_cast<double>(frames) / second, -1});
}

// The image with voice `index` of the track replaced (working order).
std::vector<uint8_t> with_voice(std::vector<uint8_t> image, int index,
                                const kavelo::voice_record& voice) {
    const kavelo::voice_record stored = kavelo::swap_voice_order(voice);
    std::copy(stored.begin(), stored.end(),
              image.begin() + static_cast<std::ptrdiff_t>(voice_slot(image, basalt, index)));
    return image;
}

// The quarters of the capture found in a render.
std::vector<piece_match> quarters(const sound& captured, const sound& rendered) {
    return find_pieces(captured, rendered, captured.size() / 2, quarter, second / 10, second / 2,
                       matched);
}

// Stop, the Track menu's last item, is grayed.
bool stop_grayed(HWND dialog) {
    return menu_text(dialog, 3).back() == '~';
}

// What a quarter should match: the first render, the second, or either (an edit lands in it).
enum class expected_match { first, second, any };

// Why quarter k may not match, if the stream broke there: the capture stays silent longer
// than the render, or the quarters matched around it do not follow on; empty otherwise.
std::string stream_break(const sound& captured, const sound& rendered,
                         const std::vector<const piece_match*>& found, const piece_match& q,
                         std::size_t k) {
    const std::size_t margin = quarter / 10;
    const auto widened = [&](std::size_t at) { return at > margin ? at - margin : 0; };
    const std::size_t heard_silence =
        longest_silence(captured, widened(q.offset), q.offset + quarter + margin);
    const std::size_t rendered_silence =
        longest_silence(rendered, widened(q.from), q.from + quarter + margin);
    if (heard_silence > rendered_silence + stream_break_silence) {
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
    const auto moved = [&] {
        return static_cast<long long>(after->offset - before->offset) -
               static_cast<long long>(after->from - before->from);
    };
    return before && after && moved() != 0
               ? "later quarters moved by " + std::to_string(moved()) + " frames"
               : std::string();
}

// The quarters heard before `heard_until` against up to two renders, each printed; fails
// when one that should match does not where the stream was unbroken. Returns the matches.
int check_quarters(const sound& captured, const sound& first_render,
                   const std::vector<piece_match>& first, const std::vector<piece_match>& other,
                   std::size_t heard_until,
                   const std::function<expected_match(const piece_match&)>& expected) {
    const auto share_of = [](const std::vector<piece_match>& pieces, std::size_t k) {
        return k < pieces.size() ? pieces[k].share : 1.0;
    };
    // Where each quarter lies in the capture, when either render matched it.
    std::vector<const piece_match*> found(first.size(), nullptr);
    for (std::size_t k = 0; k < first.size(); ++k) {
        found[k] = first[k].share < matched       ? &first[k]
                   : share_of(other, k) < matched ? &other[k]
                                                  : nullptr;
    }
    int matches = 0;
    int broken = 0;
    int failed = 0;
    for (std::size_t k = 0; k < first.size() && first[k].offset + quarter <= heard_until; ++k) {
        const expected_match want = expected(first[k]);
        const double share = want == expected_match::second ? share_of(other, k) : first[k].share;
        std::printf("    %5.2f s at capture %7zu: %.3f, %.3f",
                    static_cast<double>(first[k].from) / second, first[k].offset, first[k].share,
                    share_of(other, k));
        if (want == expected_match::any) {
            std::printf(" (an edit lands here)\n");
        } else if (share < matched) {
            std::printf("\n");
            ++matches;
        } else {
            const std::string broke = stream_break(captured, first_render, found, first[k], k);
            std::printf("%s\n", broke.empty() ? " NO MATCH"
                                              : (" no match: the stream broke, " + broke).c_str());
            ++(broke.empty() ? failed : broken);
        }
    }
    expect(failed == 0, "every quarter matches where the stream went on unbroken");
    expect(matches >= 8, "two seconds and more match (" + std::to_string(matches) +
                             " quarters matched, " + std::to_string(broken) + " at breaks)");
    return matches;
}

// How many quarters in frames [from, to) matched, and how many of those match `other` too.
std::pair<int, int> matching(const std::vector<piece_match>& found, const sound& captured,
                             const sound& other, std::size_t from, std::size_t to) {
    std::pair<int, int> count{0, 0};
    for (const piece_match& p : found) {
        if (p.share < matched && p.from >= from && p.from + quarter <= to) {
            ++count.first;
            count.second += piece_share(captured, p.offset, other, p.from, quarter) < matched;
        }
    }
    return count;
}

// Starts play with `start` and waits for the log line and `seconds` of capture.
void play(kavelo_session& app, const char* track, std::size_t seconds,
          const std::function<void()>& start) {
    start();
    app.wait_log_ends_with(std::string("  * Playing ") + track + "\r\n");
    if (seconds > 0) {
        wait_captured(seconds * second, std::to_string(seconds) + " seconds are played");
    }
}

} // namespace

// The Track menu, F5 and Shift+F5, an unsaved edit heard, an edit while playing heard at
// once; then what stops a track: not another voice, but another track, Close and Exit.
KAVELO_GUI_TEST(voice_editor_plays_the_shown_track_as_the_core_renders_it) {
    rom_session app;
    voice_editor editor(app, basalt);
    const std::vector<menu_popup> menu = read_menu(editor.dialog);
    expect(menu.size() == 5, "the menu bar has Track after Keyboard, before Close");
    expect_equal(menu_text(editor.dialog, 3),
                 "Track: " + menu_entry("Play Track\tF5", IDM_PLAY_TRACK) + ", " +
                     menu_entry("Stop\tShift+F5", IDM_STOP_TRACK, true),
                 "the Track menu, Stop grayed while nothing plays");
    // An unsaved edit of the lead's voice: OP1, which modulates the carriers, a multiple up.
    editor.pick(op_control(1, IDC_OP1_MUL), 3);
    const kavelo::voice_record edited = editor.voice();
    DeleteFileA(capture_path().c_str());
    expect(bring_to_front(editor.dialog), "the editor takes the focus");
    play(app, "Basalt Zone", 2, [] { press_chord({}, VK_F5); });
    expect(!stop_grayed(editor.dialog), "Stop is enabled while the track plays");

    // Turned down while it plays: every TL to 100 (127 plus the channel volume the driver
    // adds would wrap in the chip's 7 bits).
    const std::size_t at_change = captured_frames();
    editor.pick_all(IDC_OP1_TL, 100);
    const kavelo::voice_record quiet = editor.voice();
    wait_captured(at_change + 3 * second, "three more seconds are played");
    const std::size_t at_stop = captured_frames();
    expect(bring_to_front(editor.dialog), "the editor takes the focus");
    press_chord({VK_SHIFT}, VK_F5);
    app.wait_log_ends_with("  * Stopped Basalt Zone\r\n");
    expect(stop_grayed(editor.dialog), "Stop is grayed again");
    expect(app.bytes() == app.original, "playing with unsaved edits leaves the file byte for byte");

    const sound captured = captured_samples();
    const std::size_t frames = captured.size() / 2;
    const sound as_shown = render(with_voice(app.original, 0, edited), frames);
    const sound turned_down = render(with_voice(app.original, 0, quiet), frames);
    const std::vector<piece_match> shown = quarters(captured, as_shown);
    const std::vector<piece_match> down = quarters(captured, turned_down);
    std::printf("  Quarters heard (share of the difference with the voice as shown, then "
                "turned down; the change at capture frame %zu):\n",
                at_change);
    check_quarters(captured, as_shown, shown, down, at_stop, [&](const piece_match& p) {
        return p.offset + quarter <= at_change             ? expected_match::first
               : p.offset >= at_change + edit_heard_within ? expected_match::second
                                                           : expected_match::any;
    });

    // Before the change most quarters do not match the saved voice; after it, to 4 s where
    // the lead moves on to voice 1, they match the turned-down voice and not the one before.
    std::size_t change_from = 0;
    for (const piece_match& p : shown) {
        change_from = p.offset + quarter <= at_change ? p.from + quarter : change_from;
    }
    const auto [before_change, like_saved] =
        matching(shown, captured, render(app.original, frames), 0, change_from);
    std::printf("  Before the change: %d quarters as shown, %d of them also as saved\n",
                before_change, like_saved);
    expect(before_change >= 4 && like_saved * 2 <= before_change,
           "the unsaved edit is heard before the change");
    const auto [after_change, like_before] =
        matching(down, captured, as_shown, change_from + quarter, 4 * second);
    std::printf("  After the change, to 4 s: %d quarters turned down, %d of them also as shown\n",
                after_change, like_before);
    expect(after_change >= 3 && like_before == 0, "the turned-down voice is heard at once");

    play(app, "Basalt Zone", 0, [&] { post_command(editor.dialog, IDM_PLAY_TRACK); });
    editor.choose_voice(1, "&No"); // the edits above are not saved
    expect(!stop_grayed(editor.dialog), "another voice keeps playing");
    editor.pick(IDC_TRACK_LIST, 3);
    app.wait_log_ends_with("  * Stopped Basalt Zone\r\n");
    expect(stop_grayed(editor.dialog), "another track stops the one that played");
    play(app, "Moonrail Zone", 0, [&] { post_command(editor.dialog, IDM_PLAY_TRACK); });
    post_command(editor.dialog, IDCANCEL);
    expect(wait_gone(editor.dialog), "Close ends the editor");
    app.wait_log_ends_with("  * Stopped Moonrail Zone\r\n");
    HWND again = voice_editor(app).dialog;
    play(app, "Copperleaf Zone", 0, [&] { post_command(again, IDM_PLAY_TRACK); });
    const auto exit_asked = std::chrono::steady_clock::now();
    post_command(app.main(), IDM_EXIT);
    expect_equal(app.wait_exit(), 0, "Exit while a track plays");
    std::printf("  Exit while a track played took %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - exit_asked)
                                           .count()));
}

KAVELO_GUI_TEST(header_editor_plays_the_typed_tempo_uncommitted) {
    rom_session app;
    header_editor header(app);
    header.pick_track(basalt);
    const uint32_t start = kavelo::track_table[basalt].start;
    HWND button = header.item(IDC_HEADER_PLAY);
    expect_equal(window_text(button), "Play", "the Play button");
    const std::string typed_tempo = app.original[start + 5] == 3 ? "4" : "3";
    header.type(IDC_HEADER_SONG_TEMPO, typed_tempo);

    DeleteFileA(capture_path().c_str());
    play(app, "Basalt Zone", 0, [&] { click_button(button); });
    expect_soon([&] { return window_text(button) == "Stop"; }, "Play becomes Stop");
    save_screenshot({header.dialog}, "playing");
    wait_captured(4 * second, "four seconds are played");
    const std::size_t at_stop = captured_frames();
    click_button(button);
    app.wait_log_ends_with("  * Stopped Basalt Zone\r\n");
    expect_soon([&] { return window_text(button) == "Play"; }, "Stop becomes Play");
    expect(app.bytes() == app.original, "playing writes nothing");
    expect_equal(header.field(IDC_HEADER_SONG_TEMPO), typed_tempo, "the typed tempo stays");

    const sound captured = captured_samples();
    const std::size_t frames = captured.size() / 2;
    std::vector<uint8_t> typed = app.original;
    typed[start + 5] = static_cast<uint8_t>(std::stoi(typed_tempo));
    const sound as_typed = render(typed, frames);
    const std::vector<piece_match> found = quarters(captured, as_typed);
    std::printf("  Quarters heard (share of the difference with the typed tempo):\n");
    const int heard = check_quarters(captured, as_typed, found, {}, at_stop,
                                     [](const piece_match&) { return expected_match::first; });
    const int like_saved =
        matching(found, captured, render(app.original, frames), 0, frames).second;
    std::printf("  %d of %d also match the saved tempo\n", like_saved, heard);
    expect(like_saved * 2 <= heard, "the typed tempo is heard, not the saved one");

    play(app, "Basalt Zone", 0, [&] { click_button(button); });
    header.close();
    app.wait_log_ends_with("  * Stopped Basalt Zone\r\n");
}

} // namespace gui
