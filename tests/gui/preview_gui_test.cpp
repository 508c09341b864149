// The Voice editor's Preview heard through Wine's captured device, against the core's render.

#include "flows.h"
#include "sound_capture.h"

#include "fm/preview_render.h"

#include <cmath>
#include <cstdio>

namespace gui {

KAVELO_GUI_TEST(voice_editor_preview_plays_the_rendered_voice) {
    rom_session app;
    voice_editor editor(app, 2, 1);
    editor.pick(op_control(1, IDC_OP1_MUL), 2); // an edit is previewed too
    const kavelo::voice_record voice = editor.voice();
    constexpr std::size_t played_frames = 32768;
    // A machine loaded enough to hold the play cursor past the preview's bounded wait cuts
    // the sound short: such a play is tried once more.
    for (int attempt = 1;; ++attempt) {
        DeleteFileA(capture_path().c_str());
        HWND preview = editor.item(IDC_PREVIEW);
        click_button(preview);
        expect_soon([&] { return !IsWindowEnabled(preview); }, "Preview is disabled while it plays",
                    3s);
        expect_soon([&] { return IsWindowEnabled(preview); }, "Preview comes back", 15s);
        if (attempt == 2 || wait_until([&] { return captured_frames() >= played_frames; })) {
            break;
        }
        std::printf("  attempt %d: %zu frames captured\n", attempt, captured_frames());
    }
    wait_captured(played_frames, "the device received the played frames", 1s);

    std::vector<int8_t> left(kavelo::preview_frames), right(kavelo::preview_frames);
    expect(kavelo::preview_render(voice, 1, kavelo::preview_frames, left, right) ==
               kavelo::preview_done,
           "the core renders the voice");
    const sound samples = captured_samples();

    // The note found where it differs least, then compared whole, as a share of the signal
    // (the device's mixer filters a little).
    sound rendered(2 * left.size());
    for (std::size_t frame = 0; frame < left.size(); ++frame) {
        rendered[2 * frame] = static_cast<int16_t>(left[frame] * 256);
        rendered[2 * frame + 1] = static_cast<int16_t>(right[frame] * 256);
    }
    const std::size_t start = rendered_start(samples, rendered, played_frames / 2, 16);
    const capture_match match = match_capture(samples, start, rendered, played_frames);
    expect(match.signal > 0, "the rendered note is not silent");
    expect(match.heard >= played_frames * 95 / 100,
           "the device played the first 32768 frames (" + std::to_string(match.heard) + " heard)");
    expect(match.share() < 0.1, "what was played is the rendered note (difference " +
                                    std::to_string(match.share() * 100) + "% of the signal)");
}

} // namespace gui
