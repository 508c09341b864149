// The Voice editor's Preview heard through Wine: ALSA's default device is routed into a file
// (see run-gui-tests.sh), and what was played is compared with the core's render.

#include "voice_editor_support.h"

#include "fm/preview_render.h"

#include <cmath>
#include <cstdlib>

namespace gui {

namespace {

std::string capture_path() {
    return environment().work_dir + "\\sound-capture.raw";
}

std::vector<int16_t> captured_samples() {
    std::vector<uint8_t> bytes;
    if (GetFileAttributesA(capture_path().c_str()) != INVALID_FILE_ATTRIBUTES) {
        bytes = file_bytes(capture_path());
    }
    std::vector<int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
    return samples;
}

} // namespace

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
    auto rendered = [&](std::size_t frame, int channel) {
        return (channel == 0 ? left[frame] : right[frame]) * 256.0;
    };
    auto captured = [&](std::size_t frame, int channel) {
        return static_cast<double>(samples[2 * frame + channel]);
    };
    const std::size_t captured_frames = samples.size() / 2;
    std::size_t start = 0;
    double least = -1;
    for (std::size_t offset = 0; offset + played_frames / 2 < captured_frames; ++offset) {
        double difference = 0;
        for (std::size_t frame = 0; frame < played_frames / 2; frame += 16) {
            difference += std::abs(captured(frame + offset, 0) - rendered(frame, 0));
        }
        if (least < 0 || difference < least) {
            least = difference;
            start = offset;
        }
    }
    double signal = 0;
    double error = 0;
    std::size_t heard = 0;
    for (; heard < played_frames && start + heard < captured_frames; ++heard) {
        for (int channel = 0; channel < 2; ++channel) {
            const double want = rendered(heard, channel);
            const double got = captured(start + heard, channel);
            signal += want * want;
            error += (got - want) * (got - want);
        }
    }
    expect(signal > 0, "the rendered note is not silent");
    expect(heard >= played_frames * 95 / 100,
           "the device played the first 32768 frames (" + std::to_string(heard) + " heard)");
    const double error_share = std::sqrt(error / signal);
    expect(error_share < 0.1, "what was played is the rendered note (difference " +
                                  std::to_string(error_share * 100) + "% of the signal)");
}

} // namespace gui
