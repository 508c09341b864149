// Drives the FM core from structured input: creation with any count, clock and rate, then
// writes, resets, restarts and updates of any length into buffers of any size. Checks: a
// refused creation leaves no chips, calls on missing chips change nothing, and an update
// writes exactly the frames both buffers hold.

#include "fm/fm.h"
#include "fuzz_check.h"

#include <algorithm>
#include <fuzzer/FuzzedDataProvider.h>
#include <vector>

namespace {

using namespace kavelo;

constexpr int8_t canary = 0x5A;
// Frames one input may render in all, so that every input runs quickly.
constexpr int64_t frame_budget = 30000;

void on_timer(int32_t chip, int32_t timer, int32_t count, double timer_base) {
    FUZZ_CHECK(chip >= 0 && chip < fm_max_chips);
    FUZZ_CHECK(timer == 0 || timer == 1);
    FUZZ_CHECK(count >= 0 && timer_base > 0.0);
}

void on_irq(int32_t chip, int32_t state) {
    FUZZ_CHECK(chip >= 0 && chip < fm_max_chips);
    FUZZ_CHECK(state == 0 || state == 1);
}

void create(FuzzedDataProvider& input, fm_core& core) {
    // Mostly a few chips, sometimes any count (up to 256 are made, more are refused).
    const int32_t count = input.ConsumeIntegralInRange(0, 15) == 0
                              ? input.ConsumeIntegralInRange<int32_t>(-1, 1000)
                              : input.ConsumeIntegralInRange<int32_t>(-1, 4);
    // Mostly clocks and rates near the real ones, sometimes anything at all.
    const int32_t clock = input.ConsumeBool() ? input.ConsumeIntegral<int32_t>()
                                              : input.ConsumeIntegralInRange(1000000, 16000000);
    const int32_t rate = input.ConsumeBool() ? input.ConsumeIntegral<int32_t>()
                                             : input.ConsumeIntegralInRange(8000, 192000);
    const bool handlers = input.ConsumeBool();
    const bool had_chips = core.chips != nullptr;
    const int32_t result = fm_init(core, count, clock, rate, handlers ? on_timer : nullptr,
                                   handlers ? on_irq : nullptr);
    if (had_chips) {
        FUZZ_CHECK(result == fm_init_chips_exist || result == fm_init_bad_arguments);
    } else if (result != fm_init_done) {
        FUZZ_CHECK(core.chips == nullptr && core.count == 0);
    } else {
        FUZZ_CHECK(core.count == count);
    }
}

void update(FuzzedDataProvider& input, fm_core& core, int64_t& budget) {
    const auto chip = input.ConsumeIntegralInRange<int32_t>(-1, 4);
    const auto left_size = input.ConsumeIntegralInRange<std::size_t>(0, 1500);
    const auto right_size =
        input.ConsumeBool() ? left_size : input.ConsumeIntegralInRange<std::size_t>(0, 1500);
    const int32_t length = input.ConsumeBool() ? input.ConsumeIntegral<int32_t>()
                                               : input.ConsumeIntegralInRange(0, 1500);
    // Exactly sized buffers, so that AddressSanitizer sees any frame past their ends.
    std::vector<int8_t> left(left_size, canary), right(right_size, canary);
    const bool exists = core.chips != nullptr && chip >= 0 && chip < core.count;
    const auto written =
        exists ? std::clamp<int64_t>(length, 0, std::min(left_size, right_size)) : 0;
    if (written > budget) {
        return;
    }
    budget -= written;
    fm_update(core, chip, left, right, length);
    for (const std::vector<int8_t>* buffer : {&left, &right}) {
        FUZZ_CHECK(std::all_of(buffer->begin() + written, buffer->end(),
                               [](int8_t sample) { return sample == canary; }));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    fm_core core;
    create(input, core);
    int32_t calls = 0;
    int64_t budget = frame_budget;
    while (input.remaining_bytes() > 0 && ++calls < 4000) {
        const int32_t chip = input.ConsumeIntegralInRange<int32_t>(-1, 4);
        switch (input.ConsumeIntegralInRange(0, 15)) {
        case 0:
            update(input, core, budget);
            break;
        case 1:
            fm_reset(core, chip);
            break;
        case 2:
            if (input.ConsumeIntegralInRange(0, 7) == 0) {
                fm_shutdown(core);
                FUZZ_CHECK(core.chips == nullptr && core.count == 0);
                create(input, core);
            }
            break;
        case 3: {
            // An address write then its data, as a player sends them.
            const auto part = input.ConsumeIntegralInRange<int32_t>(0, 1) * 2;
            fm_write(core, chip, part, input.ConsumeIntegral<uint8_t>());
            fm_write(core, chip, part + 1, input.ConsumeIntegral<uint8_t>());
            break;
        }
        default: {
            const uint8_t irq = fm_write(core, chip, input.ConsumeIntegral<int32_t>(),
                                         input.ConsumeIntegral<uint8_t>());
            FUZZ_CHECK(irq == 0 || irq == 1);
            break;
        }
        }
    }
    fm_shutdown(core);
    return 0;
}
