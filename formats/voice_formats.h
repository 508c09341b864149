#pragma once
// The one table of instrument and bank file formats: each format's name, extensions,
// magic bytes, whether it holds one voice or a bank, and its reader and writer.
// A file is recognised by its magic bytes first, then by its extension.

#include "formats/voice_file_formats.h"
#include "rom/file_system.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kavelo {

enum class voice_file_kind { single_voice, bank };

struct voice_magic {
    std::string_view bytes; // empty: none
    std::size_t offset = 0;
};

struct voice_format {
    std::string_view id;                        // short name, as the command line shows it
    std::string_view name;                      // for file dialogs and messages
    std::array<std::string_view, 2> extensions; // lower case, without the dot; "" unused
    std::array<voice_magic, 2> magic;
    voice_file_kind kind;
    voice_file_reader read;
    voice_file_writer write; // nullptr: read only
};

std::span<const voice_format> voice_formats();

const voice_format* voice_format_by_magic(std::span<const uint8_t> file);
const voice_format* voice_format_by_extension(std::string_view path);
// Magic bytes first, then the extension; nullptr when neither names a format.
const voice_format* recognise_voice_file(std::string_view path, std::span<const uint8_t> file);

// Reads a file already in memory with the format its content or name gives. When the
// format of the magic bytes refuses the file and the extension names another format, that
// one is tried too: a few magic bytes can occur by chance in a file of a format without any.
// `used` tells which format read it.
voice_file_read read_voice_bytes(std::string_view path, std::span<const uint8_t> file,
                                 const voice_format** used = nullptr);
// Reads a whole file; a file of no known format is refused, one that does not open is
// result_cannot_read.
voice_file_read read_voice_file(const file_system& fs, const std::string& path);

// Refused (nothing written), or result_write_failed when the rewrite failed and left the
// file as it was.
struct voice_file_written : op_result {
    std::vector<std::string> lost; // what of the voices the format could not hold
};

// Writes voices in `format`: a single-voice format takes exactly one. `lost` names every
// field (or name) that does not read back as it was given.
voice_file_written write_voice_bytes(const voice_format& format,
                                     std::span<const named_voice> voices,
                                     std::vector<uint8_t>& out);
// In `format`, or the format of the path's extension; the file is replaced atomically.
voice_file_written write_voice_file(const file_system& fs, const std::string& path,
                                    std::span<const named_voice> voices,
                                    const voice_format* format = nullptr);

// Gives each voice without a name of its own the file's name: "stem" for a lone voice,
// "stem N" (from 1) in a file of several.
void name_voices_after_file(std::vector<named_voice>& voices, const std::string& stem);

// One line for a reader's dropped fields or a writer's lost ones: "SSG-EG, AMS".
std::string join_field_names(const std::vector<std::string>& names);

// What a reading says beyond its voices, one note each: the fields it dropped and those
// whose values were past their range ("dropped what a voice cannot hold: SSG-EG").
std::vector<std::string> reading_notes(const voice_file_read& read);

} // namespace kavelo
