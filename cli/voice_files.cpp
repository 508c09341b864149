#include "cli/voice_files.h"

#include "cli/commands.h"
#include "formats/voice_formats.h"

#include <filesystem>
#include <iostream>

namespace kavelo::cli {

void print_note(const std::string& file, const std::string& text) {
    std::cerr << program_name << ": " << file << ": note: " << text << '\n';
}

std::optional<std::vector<named_voice>> read_voices(const std::string& path) {
    voice_file_read read = read_voice_file(native_file_system(), path);
    if (!read.done()) {
        fail(path, read.problem);
        return std::nullopt;
    }
    for (const std::string& note : reading_notes(read)) {
        print_note(path, note);
    }
    name_voices_after_file(read.voices, std::filesystem::path(path).stem().string());
    return std::move(read.voices);
}

int write_voices(const std::string& path, const std::vector<named_voice>& voices,
                 std::string_view fallback) {
    const voice_format* format = voice_format_by_extension(path);
    for (const voice_format& f : voice_formats()) {
        if (!format && f.id == fallback) {
            format = &f;
        }
    }
    const voice_file_written written = write_voice_file(native_file_system(), path, voices, format);
    if (!written.done()) {
        return fail(path, written.problem);
    }
    if (!written.lost.empty()) {
        print_note(path, "the format cannot hold: " + join_field_names(written.lost));
    }
    std::cout << "wrote " << voices.size() << (voices.size() == 1 ? " voice" : " voices") << " to "
              << path << '\n';
    return 0;
}

} // namespace kavelo::cli
