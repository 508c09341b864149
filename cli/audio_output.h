#pragma once
// Writes rendered FM output: raw signed 8-bit frames (left, right) or a 16-bit stereo
// WAV with each sample widened by a shift of 8. The path "-" is standard output.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace kavelo::cli {

struct audio_destination {
    std::string raw_path; // --raw
    std::string wav_path; // -o
};

// Adds the exclusive --raw / -o pair to a command; one of them is required.
void add_audio_destination(CLI::App& command, audio_destination& destination);

// The 44-byte header and the widened samples of a 16-bit stereo PCM WAV.
std::vector<uint8_t> make_wav(std::span<const int8_t> interleaved, uint32_t rate);

// Writes the frames where the destination says; prints the error and returns 1 on failure.
int write_audio(const audio_destination& destination, std::span<const int8_t> interleaved,
                uint32_t rate);

// Reads a whole input file of at most `max_size` bytes; prints the error and returns false.
bool read_input(const std::string& path, std::size_t max_size, std::vector<uint8_t>& bytes);

} // namespace kavelo::cli
