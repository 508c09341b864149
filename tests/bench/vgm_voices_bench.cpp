// Voice extraction throughput on a synthetic 8 MiB log shaped like a game's music: each
// 60 Hz frame keys notes off and on with new frequencies and volumes, loads a voice now
// and then, and sends DAC bytes. The figure to watch is bytes_per_second of command data
// (the target is at least 50 MB/s).

#include "vgm/vgm_voices.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace {

using namespace kavelo;

std::vector<uint8_t> synthetic_log(std::size_t size, uint32_t patches, uint32_t volumes) {
    std::vector<uint8_t> log(0x40, 0);
    log[0] = 'V', log[1] = 'g', log[2] = 'm', log[3] = ' ';
    log[0x08] = 0x50, log[0x09] = 0x01, log[0x34] = 0x0C;
    auto write = [&](int part, int reg, int value) {
        log.push_back(static_cast<uint8_t>(0x52 + part));
        log.push_back(static_cast<uint8_t>(reg));
        log.push_back(static_cast<uint8_t>(value));
    };
    for (uint8_t byte : {0x67, 0x66, 0x00, 0x00, 0x10, 0x00, 0x00}) { // 4 KiB of samples
        log.push_back(byte);
    }
    log.resize(log.size() + 0x1000, 0x80);
    write(0, 0x2B, 0x80);
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 16; };
    for (int frame = 0; log.size() < size; ++frame) {
        for (int ch = 0; ch < 5; ++ch) {
            const int part = ch / 3, c = ch % 3, slot = part * 4 + c;
            write(0, 0x28, slot); // key off
            if (next() % 16 == 0) {
                const int patch = static_cast<int>(next() % patches);
                write(part, 0xB0 + c, patch);
                for (int reg = 0x30; reg < 0xA0; reg += 4) {
                    write(part, reg + c, (reg * 7 + patch * 13) & 0xFF);
                }
            }
            write(part, 0x40 + 12 + c, static_cast<int>(next() % volumes));
            write(part, 0xA4 + c, next() % 64);
            write(part, 0xA0 + c, next() & 0xFF);
            write(0, 0x28, 0xF0 | slot);
        }
        for (int i = 0; i < 60; ++i) {
            log.push_back(static_cast<uint8_t>(0x80 + next() % 16));
        }
        log.push_back(0x62);
    }
    log.push_back(0x66);
    return log;
}

void extract_voices(benchmark::State& state) {
    const auto patches = static_cast<uint32_t>(state.range(0));
    const auto volumes = static_cast<uint32_t>(state.range(1));
    const std::vector<uint8_t> log = synthetic_log(std::size_t{8} << 20, patches, volumes);
    std::vector<vgm_voice> voices;
    for (auto _ : state) {
        if (const vgm_result error = extract_vgm_voices(log, voices); !error.done()) {
            state.SkipWithError(error.problem.c_str());
            break;
        }
        benchmark::DoNotOptimize(voices.data());
    }
    state.counters["voices"] = static_cast<double>(voices.size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * log.size()));
}
// A game's music: 40 patches at 16 volumes. The worst case: nearly every key-on a new record.
BENCHMARK(extract_voices)->Args({40, 16})->Args({100000, 128})->Unit(benchmark::kMillisecond);

void extract_and_merge_voices(benchmark::State& state) {
    const std::vector<uint8_t> log = synthetic_log(std::size_t{8} << 20, 40, 16);
    std::vector<vgm_voice> voices;
    for (auto _ : state) {
        extract_vgm_voices(log, voices);
        benchmark::DoNotOptimize(merge_volume_variants(voices).data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * log.size()));
}
BENCHMARK(extract_and_merge_voices)->Unit(benchmark::kMillisecond);

} // namespace
