#include "cli/audio_output.h"

#include "cli/commands.h"
#include "fm/widened_samples.h"
#include "rom/file_image.h"

#include <CLI/CLI.hpp>
#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace kavelo::cli {

namespace {

void put_le(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

// The header of a 16-bit stereo PCM WAV of `samples` samples (left and right counted).
std::vector<uint8_t> wav_header(std::size_t samples, uint32_t rate) {
    const auto data_size = static_cast<uint32_t>(2 * samples);
    std::vector<uint8_t> wav;
    wav.reserve(44 + std::size_t{data_size});
    wav.insert(wav.end(), {'R', 'I', 'F', 'F'});
    put_le(wav, 36 + data_size, 4);
    wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put_le(wav, 16, 4); // fmt chunk size
    put_le(wav, 1, 2);  // PCM
    put_le(wav, 2, 2);  // channels
    put_le(wav, rate, 4);
    put_le(wav, rate * 4, 4); // bytes per second
    put_le(wav, 4, 2);        // bytes per frame
    put_le(wav, 16, 2);       // bits per sample
    wav.insert(wav.end(), {'d', 'a', 't', 'a'});
    put_le(wav, data_size, 4);
    return wav;
}

bool write_stdout(std::span<const uint8_t> bytes) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
           std::fflush(stdout) == 0;
}

} // namespace

void add_audio_destination(CLI::App& command, audio_destination& destination) {
    CLI::Option_group* group = command.add_option_group("output", "where the samples go (one of)");
    CLI::Option* raw = group->add_option(
        "--raw", destination.raw_path,
        "write signed 8-bit samples, left then right for each frame ('-': standard output)");
    CLI::Option* wav = group->add_option(
        "-o,--output", destination.wav_path,
        "write a 16-bit stereo WAV, samples widened by a shift of 8 ('-': standard output)");
    raw->excludes(wav);
    wav->excludes(raw);
    group->require_option(1);
}

std::vector<uint8_t> make_wav(std::span<const int8_t> interleaved, uint32_t rate) {
    std::vector<uint8_t> wav = wav_header(interleaved.size(), rate);
    for (int8_t sample : interleaved) {
        put_le(wav, static_cast<uint16_t>(widened(sample)), 2);
    }
    return wav;
}

std::vector<uint8_t> make_wav(std::span<const int16_t> interleaved, uint32_t rate) {
    std::vector<uint8_t> wav = wav_header(interleaved.size(), rate);
    for (int16_t sample : interleaved) {
        put_le(wav, static_cast<uint16_t>(sample), 2);
    }
    return wav;
}

int write_output_file(const std::string& path, std::span<const uint8_t> bytes) {
    if (!replace_file_atomically(native_file_system(), path, bytes)) {
        return fail(path, "cannot write the file");
    }
    return 0;
}

int write_audio(const audio_destination& destination, std::span<const int8_t> interleaved,
                uint32_t rate) {
    const bool raw = !destination.raw_path.empty();
    const std::string& path = raw ? destination.raw_path : destination.wav_path;
    std::vector<uint8_t> wav;
    std::span<const uint8_t> bytes;
    if (raw) {
        bytes = {reinterpret_cast<const uint8_t*>(interleaved.data()), interleaved.size()};
    } else {
        wav = make_wav(interleaved, rate);
        bytes = wav;
    }
    if (path == "-") {
        return write_stdout(bytes) ? 0 : fail("standard output", "cannot write the samples");
    }
    return write_output_file(path, bytes);
}

bool read_input(const std::string& path, std::size_t max_size, std::vector<uint8_t>& bytes) {
    const read_status status = native_file_system().read_file(path, max_size, bytes);
    if (status == read_status::ok) {
        return true;
    }
    if (status == read_status::too_large) {
        fail(path, "the file is larger than " + std::to_string(max_size >> 20) + " MiB");
    } else {
        fail(path, describe_read_failure(status, path));
    }
    return false;
}

} // namespace kavelo::cli
