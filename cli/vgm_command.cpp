// kavelo vgm IN [--seconds S] (--raw OUT | -o OUT.wav): plays the YM2612 part of a VGM
// file (.vgm, or .vgz compressed with gzip) through the FM core at 44100 Hz.

#include "cli/audio_output.h"
#include "cli/commands.h"
#include "fm/vgm_player.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <zlib.h>

namespace kavelo::cli {

namespace {

constexpr std::size_t max_vgm_size = std::size_t{256} << 20;

struct vgm_options {
    std::string path;
    double seconds = -1.0;
    audio_destination destination;
};

// Inflates a gzip stream; refuses damaged data and output beyond max_vgm_size.
bool gunzip(const std::string& path, std::span<const uint8_t> packed, std::vector<uint8_t>& out) {
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) {
        fail(path, "cannot start the gzip decoder");
        return false;
    }
    stream.next_in = const_cast<Bytef*>(packed.data());
    stream.avail_in = static_cast<uInt>(packed.size());
    std::vector<uint8_t> chunk(1 << 16);
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = chunk.data();
        stream.avail_out = static_cast<uInt>(chunk.size());
        status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END) {
            break;
        }
        out.insert(out.end(), chunk.begin(), chunk.end() - stream.avail_out);
        if (out.size() > max_vgm_size) {
            status = Z_MEM_ERROR;
            break;
        }
        if (status == Z_OK && stream.avail_in == 0 && stream.avail_out != 0) {
            status = Z_BUF_ERROR; // input used up before the end of the stream
        }
    }
    inflateEnd(&stream);
    if (status == Z_STREAM_END) {
        return true;
    }
    fail(path, status == Z_MEM_ERROR ? "the unpacked data is larger than 256 MiB"
                                     : "the gzip data is damaged or cut short");
    return false;
}

int run_vgm(const vgm_options& options) {
    std::vector<uint8_t> bytes;
    if (!read_input(options.path, max_vgm_size, bytes)) {
        return 1;
    }
    if (bytes.size() >= 2 && bytes[0] == 0x1F && bytes[1] == 0x8B) {
        std::vector<uint8_t> unpacked;
        if (!gunzip(options.path, bytes, unpacked)) {
            return 1;
        }
        bytes = std::move(unpacked);
    }
    const int64_t max_frames =
        options.seconds < 0 ? -1 : static_cast<int64_t>(std::llround(options.seconds * vgm_rate));
    std::vector<int8_t> samples;
    vgm_error error;
    if (!play_vgm(bytes, max_frames, samples, error)) {
        char where[32];
        std::snprintf(where, sizeof where, "offset 0x%zX: ", error.offset);
        return fail(options.path, where + error.problem);
    }
    return write_audio(options.destination, samples, vgm_rate);
}

} // namespace

void add_vgm_command(CLI::App& app, cli_context& context) {
    auto options = std::make_shared<vgm_options>();
    CLI::App* command = app.add_subcommand(
        "vgm", "Play the YM2612 part of a VGM file (.vgm or .vgz) through the FM core at 44100 Hz");
    command->add_option("IN", options->path, "VGM file, plain or gzip-compressed")->required();
    command->add_option("--seconds", options->seconds, "stop after this much output")
        ->check(CLI::Range(0.0, 6000.0));
    add_audio_destination(*command, options->destination);
    command->footer("Example: kavelo vgm song.vgz --seconds 10 -o song.wav");
    command->callback([options, &context] { context.exit_code = run_vgm(*options); });
}

} // namespace kavelo::cli
