#include "formats/voice_formats.h"

#include "formats/fm_operator_fields.h"
#include "formats/tx81z.h"
#include "formats/ymx_bank.h"
#include "rom/file_image.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

namespace kavelo {

using namespace std::string_view_literals;

voice_file_read read_ymx(std::span<const uint8_t> file) {
    bank_read_result bank = bank_read(file);
    if (!bank.done()) {
        return refuse_voice_file(bank.problem);
    }
    if (!bank.notice.empty()) {
        return refuse_voice_file(bank.notice);
    }
    voice_file_read result;
    for (const bank_voice& entry : bank.entries) {
        result.voices.push_back({entry.voice, entry.name});
    }
    return result;
}

op_result write_ymx(std::span<const named_voice> voices, std::vector<uint8_t>& out) {
    std::vector<bank_voice> entries;
    for (const named_voice& voice : voices) {
        entries.push_back({voice.voice, voice.name});
    }
    return bank_write(entries, out);
}

voice_file_read read_syx(std::span<const uint8_t> file) {
    auto store = std::make_unique<tx81z_store>();
    const tx81z_import_result dump = tx81z_import_bytes(*store, file);
    if (!dump.done()) {
        return refuse_voice_file(dump.problem);
    }
    voice_file_read result;
    dropped_fields dropped;
    for (int32_t i = 0; i < store->voice_count; ++i) {
        result.voices.push_back({tx81z_voice_to_record(*store, i), tx81z_voice_name(*store, i)});
        const uint8_t* voice = store->bytes.data() + static_cast<std::size_t>(i) * tx81z_voice_size;
        for (std::size_t block = 0; block < 4; ++block) {
            dropped.note("level scaling", voice[10 * block + 5]);
            dropped.note("EBS/KVS", voice[10 * block + 6] & 0x3F);
        }
    }
    result.dropped = dropped.take();
    return result;
}

namespace {

constexpr voice_file_kind single = voice_file_kind::single_voice;
constexpr voice_file_kind bank = voice_file_kind::bank;

const std::array<voice_format, 12> formats{{
    {"dmp", "DefleMask Preset", {"dmp", ""}, {}, single, read_dmp, write_dmp},
    {"tfi", "TFM Music Maker Instrument", {"tfi", ""}, {}, single, read_tfi, write_tfi},
    {"vgi", "VGM Music Maker Instrument", {"vgi", ""}, {}, single, read_vgi, write_vgi},
    {"opni",
     "OPN2 Instrument",
     {"opni", ""},
     {{{"WOPN2-INST\0"sv, 0}, {"WOPN2-IN2T\0"sv, 0}}},
     single,
     read_opni,
     write_opni},
    {"y12", "Y12 Voice Dump", {"y12", ""}, {}, single, read_y12, write_y12},
    {"eif", "Echo Instrument", {"eif", ""}, {}, single, read_eif, write_eif},
    {"fui",
     "Furnace Instrument",
     {"fui", ""},
     {{{"FINS"sv, 0}, {"-Furnace instr.-"sv, 0}}},
     single,
     read_fui,
     nullptr},
    {"wopn",
     "WOPN Bank",
     {"wopn", ""},
     {{{"WOPN2-BANK\0"sv, 0}, {"WOPN2-B2NK\0"sv, 0}}},
     bank,
     read_wopn,
     write_wopn},
    {"gyb", "GYB Bank", {"gyb", ""}, {{{"\x1A\x0C"sv, 0}, {}}}, bank, read_gyb, write_gyb},
    {"opm", "OPM Text Bank", {"opm", ""}, {}, bank, read_opm, write_opm},
    {"ymx", "Orvana YMX Bank", {"ymx", ""}, {{{"YM2612\0"sv, 0}, {}}}, bank, read_ymx, write_ymx},
    {"syx", "TX81Z Sysex", {"syx", ""}, {{{"\xF0\x43"sv, 0}, {}}}, bank, read_syx, nullptr},
}};

std::string extension_of(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::string_view file = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = file.rfind('.');
    if (dot == std::string_view::npos) {
        return {};
    }
    std::string ext(file.substr(dot + 1));
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// The fields of two voices that differ, by name; "bits the chip ignores" when only those do.
// Detune 4 and 0 are the same sound, so a format that keeps only one of them loses nothing.
void differing_fields(const voice_record& given_record, const voice_record& back_record,
                      dropped_fields& names) {
    const voice_record given = without_minus_zero_detune(given_record);
    const voice_record back = without_minus_zero_detune(back_record);
    const voice_params a = unpack_voice(given);
    const voice_params b = unpack_voice(back);
    names.note("ALG", a.alg != b.alg);
    names.note("FB", a.fb != b.fb);
    for (std::size_t i = 0; i < 4; ++i) {
        const operator_params& x = a.op[i];
        const operator_params& y = b.op[i];
        names.note("DT", x.dt != y.dt);
        names.note("MUL", x.mul != y.mul);
        names.note("TL", x.tl != y.tl);
        names.note("RS", x.rs != y.rs);
        names.note("AR", x.ar != y.ar);
        names.note("AM", x.am != y.am);
        names.note("D1R", x.d1r != y.d1r);
        names.note("D2R", x.d2r != y.d2r);
        names.note("D1L", x.d1l != y.d1l);
        names.note("RR", x.rr != y.rr);
    }
    if (a == b && given != back) {
        names.add("bits the chip ignores");
    }
}

} // namespace

std::span<const voice_format> voice_formats() {
    return formats;
}

const voice_format* voice_format_by_magic(std::span<const uint8_t> file) {
    for (const voice_format& format : formats) {
        for (const voice_magic& magic : format.magic) {
            if (!magic.bytes.empty() && file.size() >= magic.offset + magic.bytes.size() &&
                std::memcmp(file.data() + magic.offset, magic.bytes.data(), magic.bytes.size()) ==
                    0) {
                return &format;
            }
        }
    }
    return nullptr;
}

const voice_format* voice_format_by_extension(std::string_view path) {
    const std::string ext = extension_of(path);
    if (ext.empty()) {
        return nullptr;
    }
    for (const voice_format& format : formats) {
        if (std::find(format.extensions.begin(), format.extensions.end(), ext) !=
            format.extensions.end()) {
            return &format;
        }
    }
    return nullptr;
}

const voice_format* recognise_voice_file(std::string_view path, std::span<const uint8_t> file) {
    const voice_format* format = voice_format_by_magic(file);
    return format ? format : voice_format_by_extension(path);
}

voice_file_read read_voice_bytes(std::string_view path, std::span<const uint8_t> file,
                                 const voice_format** used) {
    const voice_format* by_magic = voice_format_by_magic(file);
    const voice_format* by_extension = voice_format_by_extension(path);
    const voice_format* format = by_magic ? by_magic : by_extension;
    if (!format) {
        return refuse_voice_file(
            "Neither its content nor its extension names an instrument or bank format.");
    }
    voice_file_read read = format->read(file);
    if (!read.done() && by_magic && by_extension && by_extension != by_magic) {
        voice_file_read by_name = by_extension->read(file);
        if (by_name.done()) {
            format = by_extension;
            read = std::move(by_name);
        }
    }
    if (used) {
        *used = format;
    }
    return read;
}

voice_file_read read_voice_file(const file_system& fs, const std::string& path) {
    const file_image file = read_file_image(fs, path);
    if (file.status != read_status::ok) {
        return only_outcome<voice_file_read>(read_failure(file.status, path));
    }
    return read_voice_bytes(path, file.bytes);
}

voice_file_written write_voice_bytes(const voice_format& format,
                                     std::span<const named_voice> voices,
                                     std::vector<uint8_t>& out) {
    if (!format.write) {
        return only_outcome<voice_file_written>(
            refused(std::string(format.name) + " files are read, not written."));
    }
    if (format.kind == voice_file_kind::single_voice && voices.size() != 1) {
        return only_outcome<voice_file_written>(refused("A " + std::string(format.name) +
                                                        " file holds one voice, not " +
                                                        std::to_string(voices.size()) + "."));
    }
    if (op_result wrote = format.write(voices, out); !wrote.done()) {
        return only_outcome<voice_file_written>(std::move(wrote));
    }
    const voice_file_read back = format.read(out);
    if (!back.done() || back.voices.size() != voices.size()) {
        return only_outcome<voice_file_written>(
            refused("The written " + std::string(format.name) + " does not read back."));
    }
    dropped_fields lost;
    for (std::size_t i = 0; i < voices.size(); ++i) {
        differing_fields(voices[i].voice, back.voices[i].voice, lost);
        lost.note("name", back.voices[i].name != voices[i].name);
        // Only a format that numbers its voices can move one.
        lost.note("set and program numbers",
                  voices[i].slot && back.voices[i].slot && voices[i].slot != back.voices[i].slot);
    }
    voice_file_written written;
    written.lost = lost.take();
    return written;
}

voice_file_written write_voice_file(const file_system& fs, const std::string& path,
                                    std::span<const named_voice> voices,
                                    const voice_format* format) {
    if (!format) {
        format = voice_format_by_extension(path);
    }
    if (!format || !format->write) {
        return only_outcome<voice_file_written>(
            refused("The extension of " + path +
                    " names no writable format (dmp, tfi, vgi, opni, y12, eif, wopn, gyb, "
                    "opm or ymx)."));
    }
    std::vector<uint8_t> bytes;
    voice_file_written written = write_voice_bytes(*format, voices, bytes);
    if (!written.done()) {
        return written;
    }
    if (!replace_file_atomically(fs, path, bytes)) {
        written.code = result_write_failed;
        written.problem = "Cannot write " + path + "; it is unchanged.";
    }
    return written;
}

void name_voices_after_file(std::vector<named_voice>& voices, const std::string& stem) {
    for (std::size_t i = 0; i < voices.size(); ++i) {
        if (voices[i].name.empty()) {
            voices[i].name = voices.size() == 1 ? stem : stem + " " + std::to_string(i + 1);
        }
    }
}

std::string join_field_names(const std::vector<std::string>& names) {
    std::string joined;
    for (const std::string& name : names) {
        joined += (joined.empty() ? "" : ", ") + name;
    }
    return joined;
}

std::vector<std::string> reading_notes(const voice_file_read& read) {
    std::vector<std::string> notes;
    if (!read.dropped.empty()) {
        notes.push_back("dropped what a voice cannot hold: " + join_field_names(read.dropped));
    }
    if (!read.out_of_range.empty()) {
        notes.push_back("read values past their field's range by their low bits, as the chip "
                        "does: " +
                        join_field_names(read.out_of_range));
    }
    return notes;
}

} // namespace kavelo
