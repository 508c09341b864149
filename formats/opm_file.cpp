// Text banks of the YM2151 (OPM) voice format (*.opm). Lines starting with "//" are
// comments; each voice is
//   @:N name
//   LFO: LFRQ AMD PMD WF NFRQ
//   CH: PAN FL CON AMS PMS SLOT NE
//   M1:/C1:/M2:/C2: AR D1R D2R RR D1L TL KS MUL DT1 DT2 AMS-EN
// The YM2151 parameters map one to one onto the YM2612's (FL feedback, CON algorithm,
// KS rate scaling, DT1 detune in the chip's own encoding, AMS-EN the AM bit). The slots
// M1, M2, C1, C2 sit at register offsets 0, 8, 16, 24, the same order as the YM2612's
// OP1..OP4 at 0, 4, 8, 12. LFO, AMS, PMS, DT2, noise and slot masks have no place in a voice.
// Real banks hold values past a field's range (KS 6); such a value is read by its low bits,
// as the chip takes it, and the field is named in the reading's out-of-range list.

#include "formats/fm_operator_fields.h"
#include "formats/voice_file_formats.h"

#include <algorithm>
#include <array>
#include <optional>
#include <sstream>

namespace kavelo {

namespace {

constexpr std::array<const char*, 4> slot_tags{"M1:", "M2:", "C1:", "C2:"}; // OP1..OP4
constexpr unsigned all_slots = 120;
constexpr unsigned am_on = 128;

struct pending {
    named_voice voice;
    voice_params fields;
    int line = 0;
    unsigned seen = 0; // bit 0 LFO, 1 CH, 2-5 slots
};

bool parse_numbers(const std::string& text, std::size_t count, std::array<long, 11>& values) {
    std::istringstream in(text);
    for (std::size_t i = 0; i < count; ++i) {
        if (!(in >> values[i]) || values[i] < 0 || values[i] > 255) {
            return false;
        }
    }
    std::string extra;
    return !(in >> extra);
}

std::string not_a_line(int line, const char* kind) {
    return "Line " + std::to_string(line) + " is not " + kind + " numbers 0-255.";
}

} // namespace

voice_file_read read_opm(std::span<const uint8_t> file) {
    const std::string text(file.begin(), file.end());
    if (const std::size_t zero = text.find('\0'); zero != std::string::npos) {
        return refuse_voice_file("The file holds a zero byte at offset " + std::to_string(zero) +
                                 ", but an OPM bank is plain text.");
    }
    voice_file_read result;
    dropped_fields dropped;
    dropped_fields past_range;
    std::optional<pending> current;
    auto close_voice = [&]() {
        if (current && current->seen != 0x3F) {
            result.problem = "The voice \"" + current->voice.name + "\" of line " +
                             std::to_string(current->line) +
                             " lacks some of its LFO, CH, M1, C1, M2 and C2 lines.";
            return false;
        }
        if (current) {
            current->voice.voice = pack_voice(current->fields);
            result.voices.push_back(current->voice);
        }
        return true;
    };
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, 2, "//") == 0) {
            continue;
        }
        const std::string body = line.substr(start);
        if (body.compare(0, 2, "@:") == 0) {
            if (!close_voice()) {
                return refuse_voice_file(std::move(result.problem));
            }
            current.emplace();
            current->line = number;
            const std::size_t space = body.find(' ');
            current->voice.name = space == std::string::npos ? "" : body.substr(space + 1);
            // A carriage return inside a line cannot be written back; it reads as a space.
            std::replace(current->voice.name.begin(), current->voice.name.end(), '\r', ' ');
            continue;
        }
        if (!current) {
            return refuse_voice_file("Line " + std::to_string(number) +
                                     " holds parameters before any \"@:\" voice.");
        }
        std::array<long, 11> v{};
        auto as = [&](std::size_t i) { return static_cast<uint8_t>(v[i]); };
        if (body.compare(0, 4, "LFO:") == 0) {
            if (!parse_numbers(body.substr(4), 5, v)) {
                return refuse_voice_file(not_a_line(number, "an LFO line of 5"));
            }
            dropped.note("LFO", as(0) | as(1) | as(2) | as(3) | as(4));
            current->seen |= 1;
        } else if (body.compare(0, 3, "CH:") == 0) {
            if (!parse_numbers(body.substr(3), 7, v)) {
                return refuse_voice_file(not_a_line(number, "a CH line of 7"));
            }
            current->fields.fb = field_low_bits("FL", as(1), 7, past_range);
            current->fields.alg = field_low_bits("CON", as(2), 7, past_range);
            dropped.note("AMS", as(3));
            dropped.note("PMS", as(4));
            dropped.note("slot mask", as(5) != all_slots);
            dropped.note("noise", as(6));
            current->seen |= 2;
        } else {
            int slot = -1;
            for (int i = 0; i < 4; ++i) {
                if (body.compare(0, 3, slot_tags[static_cast<std::size_t>(i)]) == 0) {
                    slot = i;
                }
            }
            if (slot < 0) {
                return refuse_voice_file("Line " + std::to_string(number) + " (\"" +
                                         body.substr(0, 8) + "\") is not an OPM voice line.");
            }
            if (!parse_numbers(body.substr(3), 11, v)) {
                return refuse_voice_file(not_a_line(number, "a slot line of 11"));
            }
            operator_params& op = current->fields.op[static_cast<std::size_t>(slot)];
            op.ar = field_low_bits("AR", as(0), 31, past_range);
            op.d1r = field_low_bits("D1R", as(1), 31, past_range);
            op.d2r = field_low_bits("D2R", as(2), 31, past_range);
            op.rr = field_low_bits("RR", as(3), 15, past_range);
            op.d1l = field_low_bits("D1L", as(4), 15, past_range);
            op.tl = field_low_bits("TL", as(5), 127, past_range);
            op.rs = field_low_bits("KS", as(6), 3, past_range);
            op.mul = field_low_bits("MUL", as(7), 15, past_range);
            op.dt = field_low_bits("DT1", as(8), 7, past_range);
            op.am = v[10] != 0;
            dropped.note("DT2", as(9));
            current->seen |= 4u << slot;
        }
    }
    if (!close_voice()) {
        return refuse_voice_file(std::move(result.problem));
    }
    if (result.voices.empty()) {
        return refuse_voice_file("The file holds no \"@:\" voice, so it is not an OPM bank.");
    }
    result.dropped = dropped.take();
    result.out_of_range = past_range.take();
    return result;
}

op_result write_opm(std::span<const named_voice> voices, std::vector<uint8_t>& out) {
    std::ostringstream text;
    text << "//MiOPMdrv sound bank Paramer Ver2002.04.22\n"
            "//LFO: LFRQ AMD PMD WF NFRQ\n"
            "//@:[Num] [Name]\n"
            "//CH: PAN\tFL\tCON\tAMS\tPMS\tSLOT\tNE\n"
            "//[OPname]: AR\tD1R\tD2R\tRR\tD1L\tTL\tKS\tMUL\tDT1\tDT2\tAMS-EN\n";
    // Slots are written M1, C1, M2, C2, as OPM banks list them.
    constexpr std::array<int, 4> listing{0, 2, 1, 3};
    for (std::size_t n = 0; n < voices.size(); ++n) {
        const voice_params v = unpack_voice(voices[n].voice);
        // A name is the rest of its line.
        std::string name = voices[n].name;
        std::replace_if(
            name.begin(), name.end(), [](char c) { return c == '\0' || c == '\r' || c == '\n'; },
            ' ');
        text << "\n@:" << n << ' ' << name << "\nLFO: 0 0 0 0 0\nCH: 64 " << int(v.fb) << ' '
             << int(v.alg) << " 0 0 " << all_slots << " 0\n";
        for (int slot : listing) {
            const operator_params& o = v.op[static_cast<std::size_t>(slot)];
            text << slot_tags[static_cast<std::size_t>(slot)] << ' ' << int(o.ar) << ' '
                 << int(o.d1r) << ' ' << int(o.d2r) << ' ' << int(o.rr) << ' ' << int(o.d1l) << ' '
                 << int(o.tl) << ' ' << int(o.rs) << ' ' << int(o.mul) << ' ' << int(o.dt) << " 0 "
                 << (o.am ? am_on : 0) << '\n';
        }
    }
    const std::string bytes = text.str();
    out.assign(bytes.begin(), bytes.end());
    return {};
}

} // namespace kavelo
