// libOPNMIDI single instruments (*.opni), versions 1 and 2.
//   0  "WOPN2-INST\0" (version 1) or "WOPN2-IN2T\0" and a little-endian version,
//   then a percussion flag byte and one instrument record (see wopn_instrument.h) of 65
//   bytes in both versions: the key-on/off delays of a version 2 bank record are not
//   part of a single instrument file.
// Written as version 2 (79 bytes).

#include "formats/voice_file_formats.h"
#include "formats/wopn_instrument.h"

#include <cstring>

namespace kavelo {

namespace {

constexpr char magic_v1[] = "WOPN2-INST";
constexpr char magic_v2[] = "WOPN2-IN2T";
constexpr std::size_t magic_size = 11;

} // namespace

voice_file_read read_opni(std::span<const uint8_t> file) {
    const bool v2 =
        file.size() >= magic_size && std::memcmp(file.data(), magic_v2, magic_size) == 0;
    if ((file.size() < magic_size || std::memcmp(file.data(), magic_v1, magic_size) != 0) && !v2) {
        return refuse_voice_file("The file does not begin with \"WOPN2-INST\" or \"WOPN2-IN2T\", "
                                 "the signature of an OPNI instrument.");
    }
    byte_cursor in(file);
    in.skip(magic_size);
    uint16_t version = 1;
    if (v2 && !in.u16le(version)) {
        return refuse_voice_file(
            size_problem(file.size(), magic_size + 2, "an OPNI instrument header of version 2"));
    }
    if (version < 1 || version > 2) {
        return refuse_voice_file("The file is an OPNI instrument of version " +
                                 std::to_string(version) + ", but versions 1 and 2 are read.");
    }
    // A flag byte and one record, in both versions.
    const std::size_t size = in.position() + 1 + wopn_instrument_size;
    uint8_t percussion = 0;
    std::span<const uint8_t> ins;
    if (file.size() != size || !in.u8(percussion) || !in.take(wopn_instrument_size, ins)) {
        return refuse_voice_file(size_problem(
            file.size(), size, "an OPNI instrument of version " + std::to_string(version)));
    }
    voice_file_read result;
    dropped_fields dropped;
    result.voices.push_back(wopn_instrument_to_voice(ins, percussion != 0, dropped));
    result.dropped = dropped.take();
    return result;
}

op_result write_opni(std::span<const named_voice> voices, std::vector<uint8_t>& out) {
    out.assign(magic_v2, magic_v2 + magic_size);
    put_u16le(out, 2);
    out.push_back(0);
    put_wopn_instrument(out, voices[0]);
    return {};
}

} // namespace kavelo
