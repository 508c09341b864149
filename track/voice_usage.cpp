#include "track/voice_usage.h"

namespace kavelo {

track_voice_usage first_loop_voice_usage(track_interpreter& driver, int64_t max_frames) {
    track_voice_usage usage;
    std::vector<driver_write> writes;
    while (driver.valid() && driver.frames_run() < max_frames) {
        writes.clear();
        driver.run_frame(writes);
        for (const driver_write& write : writes) {
            if (write.target == write_target::voice_load) {
                usage.voices[write.value].selected[write.reg] = true;
            } else if (write.target == write_target::ym0 && write.reg == 0x28 &&
                       (write.value & 0xF0) != 0) {
                // A key-on plays the voice last loaded into its chip channel; a channel's
                // notes count until its stream first repeats.
                const int32_t chip = chip_channel_of(write.value & 0x0F);
                const int32_t channel = chip + 1; // FM1-FM6
                if (chip >= 0 && driver.chip_voice(chip) >= 0 && driver.jumps_back(channel) == 0) {
                    ++usage.voices[driver.chip_voice(chip)].notes[channel];
                }
            }
        }
        usage.frames = driver.frames_run();
        if (!driver.playing()) {
            break;
        }
        if (driver.loops_completed() >= 1) {
            usage.looped = true;
            break;
        }
    }
    return usage;
}

} // namespace kavelo
