#pragma once
// Writes rendered output: raw signed 8-bit frames (left, right) or a 16-bit stereo WAV,
// from 8-bit samples widened by a shift of 8 or from 16-bit samples. The path "-" is
// standard output.

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

// The 44-byte header and the samples of a 16-bit stereo PCM WAV (8-bit samples widened).
std::vector<uint8_t> make_wav(std::span<const int8_t> interleaved, uint32_t rate);
std::vector<uint8_t> make_wav(std::span<const int16_t> interleaved, uint32_t rate);

// Replaces the file at `path` with `bytes` atomically; prints the error and returns 1 when
// it cannot, else 0.
int write_output_file(const std::string& path, std::span<const uint8_t> bytes);

// Writes the frames where the destination says; prints the error and returns 1 on failure.
int write_audio(const audio_destination& destination, std::span<const int8_t> interleaved,
                uint32_t rate);

// Reads a whole input file of at most `max_size` bytes; prints the error and returns false.
bool read_input(const std::string& path, std::size_t max_size, std::vector<uint8_t>& bytes);

} // namespace kavelo::cli
