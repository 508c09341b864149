// The Voice editor's Preview heard through Wine's device, against the core's render:
// run-gui-tests.sh routes ALSA's default device into a file of interleaved 16-bit stereo.

#include "flows.h"

#include "fm/preview_render.h"

#include <cmath>
#include <cstdio>

namespace gui {

namespace {

std::string capture_path() {
    return environment().work_dir + "\\sound-capture.raw";
}

std::size_t captured_frames() {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return GetFileAttributesExA(capture_path().c_str(), GetFileExInfoStandard, &data)
               ? data.nFileSizeLow / 4
               : 0;
}

} // namespace

KAVELO_GUI_TEST(voice_editor_preview_plays_the_rendered_voice) {
    rom_session app;
    voice_editor editor(app, 2, 1);
    editor.pick(op_control(1, IDC_OP1_MUL), 2); // an edit is previewed too
    std::vector<int8_t> left(kavelo::preview_frames), right(kavelo::preview_frames);
    expect(kavelo::preview_render(editor.voice(), 1, kavelo::preview_frames, left, right) ==
               kavelo::preview_done,
           "the core renders the voice");
    constexpr std::size_t played = 32768;
    const auto play = [&] {
        DeleteFileA(capture_path().c_str());
        HWND preview = editor.item(IDC_PREVIEW);
        click_button(preview);
        expect_soon([&] { return !IsWindowEnabled(preview); }, "Preview is disabled while it plays",
                    3s);
        expect_soon([&] { return IsWindowEnabled(preview); }, "Preview comes back", 15s);
        return wait_until([&] { return captured_frames() >= played; });
    };
    // A machine loaded enough to hold the play cursor past the preview's bounded wait cuts
    // the sound short: such a play is tried once more.
    if (!play()) {
        std::printf("  first play: %zu frames captured\n", captured_frames());
        expect(play(), "the device received the played frames (" +
                           std::to_string(captured_frames()) + " captured)");
    }

    const std::vector<uint8_t> bytes = file_bytes(capture_path());
    const std::size_t frames = bytes.size() / 4;
    const auto heard_sample = [&](std::size_t frame, std::size_t channel) -> double {
        const std::size_t at = 4 * frame + 2 * channel;
        return static_cast<int16_t>(bytes[at] | bytes[at + 1] << 8);
    };
    const auto rendered = [&](std::size_t frame, std::size_t channel) -> double {
        return 256.0 * (channel == 0 ? left : right)[frame];
    };
    // The note found where the left channel differs least over every 16th frame of its first
    // half, then compared whole, as a share of the signal (the device's mixer filters a little).
    std::size_t start = 0;
    double least = -1;
    for (std::size_t offset = 0; offset + played / 2 < frames; ++offset) {
        double sum = 0; // given up once it passes the least so far
        for (std::size_t i = 0; i < played / 2 && (least < 0 || sum < least); i += 16) {
            sum += std::abs(heard_sample(offset + i, 0) - rendered(i, 0));
        }
        if (least < 0 || sum < least) {
            least = sum;
            start = offset;
        }
    }
    std::size_t heard = 0;
    double signal = 0;
    double error = 0;
    for (; heard < played && start + heard < frames; ++heard) {
        for (std::size_t c = 0; c < 2; ++c) {
            const double want = rendered(heard, c);
            signal += want * want;
            error +=
                (heard_sample(start + heard, c) - want) * (heard_sample(start + heard, c) - want);
        }
    }
    expect(heard >= played * 95 / 100,
           "the device played the first 32768 frames (" + std::to_string(heard) + " heard)");
    expect(std::sqrt(error / signal) < 0.1, "what was played is the rendered note (difference " +
                                                std::to_string(std::sqrt(error / signal) * 100) +
                                                "% of the signal)");
}

} // namespace gui
