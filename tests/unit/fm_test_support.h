#pragma once
// A core with chips for the FM tests, with register writes by number.

#include "fm/fm.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <utility>
#include <vector>

namespace kavelo::test {

struct fm_fixture {
    fm_core core;

    explicit fm_fixture(int32_t clock = 7670442, int32_t rate = 44100, int32_t count = 1,
                        fm_timer_handler timer = nullptr) {
        EXPECT_EQ(fm_init(core, count, clock, rate, timer, nullptr), fm_init_done);
    }
    ~fm_fixture() { fm_shutdown(core); }

    // Register `reg` of part I (reg < 0x100) or part II (reg | 0x100); returns the IRQ line.
    uint8_t write(int32_t reg, uint8_t value, int32_t chip = 0) {
        const int32_t port = reg & 0x100 ? 2 : 0;
        fm_write(core, chip, port, static_cast<uint8_t>(reg));
        return fm_write(core, chip, port + 1, value);
    }
    void write(std::initializer_list<std::pair<int32_t, uint8_t>> writes, int32_t chip = 0) {
        for (const auto& [reg, value] : writes) {
            write(reg, value, chip);
        }
    }
    // Register, value, register, value...: a flat list keeps long write runs short.
    void writes(std::initializer_list<int32_t> pairs, int32_t chip = 0) {
        for (auto it = pairs.begin(); it + 1 < pairs.end(); it += 2) {
            write(it[0], static_cast<uint8_t>(it[1]), chip);
        }
    }
    fm_chip& chip(int32_t index = 0) { return core.chips[index]; }
    fm_channel& channel(int32_t index) { return core.chips[0].channel[index]; }

    struct frames {
        std::vector<int8_t> left, right;
    };
    frames render(int32_t count, int32_t chip = 0) {
        frames out{std::vector<int8_t>(count), std::vector<int8_t>(count)};
        fm_update(core, chip, out.left, out.right, count);
        return out;
    }
};

} // namespace kavelo::test
