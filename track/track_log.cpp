#include "track/track_log.h"

namespace kavelo {

std::string track_log(track_interpreter& driver, int64_t frames) {
    std::string text;
    std::vector<driver_write> writes;
    for (int64_t i = 0; i < frames && driver.valid(); ++i) {
        const int64_t frame = driver.frames_run();
        writes.clear();
        driver.run_frame(writes);
        for (const driver_write& write : writes) {
            append_driver_write(text, frame, write);
        }
    }
    return text;
}

} // namespace kavelo
