// The Voice editor's Preview heard through Wine: ALSA's default device is routed into a file
// (see run-gui-tests.sh), and what was played is compared with the core's render.

#include "sound_capture.h"
#include "voice_editor_support.h"

#include "fm/preview_render.h"

#include <cmath>

namespace gui {

KAVELO_GUI_TEST(voice_editor_preview_plays_the_rendered_voice) {
    kavelo_session app;
    const std::string rom = fresh_demo_rom();
    app.open_file(rom);
    HWND dialog = open_voice_editor(app);
    choose_track(app, dialog, 2, nullptr);
    choose_voice(app, dialog, 1, nullptr);
    user_picks(dialog, op_control(1, IDC_OP1_MUL), 2); // an edit is previewed too
    const kavelo::voice_record voice = displayed_voice(dialog);
    DeleteFileA(capture_path().c_str());

    HWND preview = dialog_item(dialog, IDC_PREVIEW);
    click_button(preview);
    expect(wait_until([&] { return !IsWindowEnabled(preview); }, 3s),
           "Preview is disabled while it plays");
    expect(wait_until([&] { return IsWindowEnabled(preview); }, 15s), "Preview comes back");

    std::vector<int8_t> left(kavelo::preview_frames), right(kavelo::preview_frames);
    expect(kavelo::preview_render(voice, 1, kavelo::preview_frames, left, right) ==
               kavelo::preview_done,
           "the core renders the voice");
    constexpr std::size_t played_frames = 32768;
    std::vector<int16_t> samples;
    expect(wait_until(
               [&] {
                   samples = captured_samples();
                   return samples.size() >= 2 * played_frames;
               },
               10s),
           "the device received the played frames");

    // Find where the note starts in the capture (the least difference over a stretch of the
    // rendering), then compare the whole note. The device's mixer filters a little, so the
    // difference is measured as a share of the signal.
    std::vector<int16_t> rendered(2 * left.size());
    for (std::size_t frame = 0; frame < left.size(); ++frame) {
        rendered[2 * frame] = static_cast<int16_t>(left[frame] * 256);
        rendered[2 * frame + 1] = static_cast<int16_t>(right[frame] * 256);
    }
    const std::size_t start = rendered_start(samples, rendered, played_frames / 2, 16);
    const capture_match match = match_capture(samples, start, rendered, played_frames);
    expect(match.signal > 0, "the rendered note is not silent");
    expect(match.heard >= played_frames * 95 / 100,
           "the device played the first 32768 frames (" + std::to_string(match.heard) + " heard)");
    const double error_share = std::sqrt(match.error / match.signal);
    expect(error_share < 0.1, "what was played is the rendered note (difference " +
                                  std::to_string(error_share * 100) + "% of the signal)");
}

} // namespace gui
