#include "track/driver_write.h"

#include <cstdio>

namespace kavelo {

std::string format_driver_write(int64_t frame, const driver_write& write) {
    char text[48];
    const auto f = static_cast<long long>(frame);
    switch (write.target) {
    case write_target::ym0:
    case write_target::ym1:
        std::snprintf(text, sizeof text, "%lld ym%d %02x %02x", f,
                      write.target == write_target::ym1 ? 1 : 0, write.reg, write.value);
        return text;
    case write_target::psg:
        std::snprintf(text, sizeof text, "%lld psg %02x", f, write.value);
        return text;
    case write_target::drum:
        std::snprintf(text, sizeof text, "%lld drum %02x", f, write.value);
        return text;
    case write_target::timpani_pitch:
    case write_target::voice_load:
        break;
    }
    return {};
}

} // namespace kavelo
