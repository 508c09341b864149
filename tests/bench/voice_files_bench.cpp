// Reading a folder of 1,000 instrument files, as `kavelo voices` over them does: each file
// read whole through the file seam, recognised, parsed, and its voices printed as hex.
// The folder holds the six written single-instrument formats in turn.

#include "formats/fm_operator_fields.h"
#include "formats/voice_formats.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <sstream>

namespace {

using namespace kavelo;

constexpr int file_count = 1000;
constexpr std::array<const char*, 6> extensions{"dmp", "tfi", "vgi", "opni", "y12", "eif"};

std::filesystem::path make_folder() {
    const auto folder = std::filesystem::temp_directory_path() / "kavelo-bench-voice-files";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    for (int i = 0; i < file_count; ++i) {
        voice_params v;
        v.alg = static_cast<uint8_t>(i % 8);
        v.fb = static_cast<uint8_t>(i / 8 % 8);
        for (std::size_t op = 0; op < 4; ++op) {
            v.op[op].tl = static_cast<uint8_t>((i + op * 17) % 128);
            v.op[op].ar = static_cast<uint8_t>((i + op) % 32);
            v.op[op].dt = static_cast<uint8_t>(op * 2 % 8);
        }
        const named_voice voice{pack_voice(v), "Voice " + std::to_string(i)};
        const auto path = folder / ("voice" + std::to_string(i) + "." +
                                    extensions[static_cast<std::size_t>(i) % extensions.size()]);
        if (!write_voice_file(native_file_system(), path.string(), std::span(&voice, 1)).done()) {
            return {};
        }
    }
    return folder;
}

void read_thousand_instrument_files(benchmark::State& state) {
    const auto folder = make_folder();
    if (folder.empty()) {
        state.SkipWithError("could not write the instrument files");
        return;
    }
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        paths.push_back(entry.path().string());
    }
    for (auto _ : state) {
        std::ostringstream printed;
        for (const std::string& path : paths) {
            const voice_file_read read = read_voice_file(native_file_system(), path);
            for (std::size_t i = 0; i < read.voices.size(); ++i) {
                printed << "voice " << i << ": " << voice_to_hex(read.voices[i].voice) << ' '
                        << read.voices[i].name << '\n';
            }
        }
        benchmark::DoNotOptimize(printed.str());
    }
    state.counters["files"] = static_cast<double>(paths.size());
    std::filesystem::remove_all(folder);
}

BENCHMARK(read_thousand_instrument_files)->Unit(benchmark::kMillisecond);

} // namespace
