#include "demo/demo_tune.h"

#include <initializer_list>

namespace kavelo {

namespace {

constexpr uint8_t rest = 0x80;
constexpr int8_t no_note = -1;

// Stream bytes with labels for jumps and calls in either direction.
class stream_assembler {
  public:
    using label = std::size_t;

    explicit stream_assembler(std::size_t base) : base_(base) {}

    label new_label() {
        places_.push_back(unplaced);
        return places_.size() - 1;
    }
    void place(label at) { places_[at] = bytes_.size(); }
    label here() {
        const label at = new_label();
        place(at);
        return at;
    }
    void put(std::initializer_list<uint8_t> bytes) { bytes_.insert(bytes_.end(), bytes); }
    void put(uint8_t byte) { bytes_.push_back(byte); }
    void jump(label to) { flag_to(0xF6, {}, to); }
    void call(label to) { flag_to(0xF8, {}, to); }
    void loop(uint8_t counter, uint8_t count, label to) { flag_to(0xF7, {counter, count}, to); }
    void done() { put(0xE3); }
    uint16_t pointer(label at) const { return static_cast<uint16_t>(base_ + places_.at(at)); }

    // Resolves every jump: an offset counts from the byte after its first byte.
    std::vector<uint8_t> finish() {
        for (const fixup& f : fixups_) {
            const auto offset = static_cast<uint16_t>(static_cast<int32_t>(places_.at(f.to)) -
                                                      static_cast<int32_t>(f.at + 1));
            bytes_[f.at] = static_cast<uint8_t>(offset >> 8);
            bytes_[f.at + 1] = static_cast<uint8_t>(offset);
        }
        return bytes_;
    }

  private:
    static constexpr std::size_t unplaced = ~std::size_t{0};
    struct fixup {
        std::size_t at;
        label to;
    };
    void flag_to(uint8_t flag, std::initializer_list<uint8_t> params, label to) {
        put(flag);
        put(params);
        fixups_.push_back({bytes_.size(), to});
        put({0, 0});
    }

    std::size_t base_;
    std::vector<uint8_t> bytes_;
    std::vector<std::size_t> places_;
    std::vector<fixup> fixups_;
};

// Note bytes for a pitch in MIDI numbers (60 is middle C) on a channel with a key
// displacement: FM index 1 is C1 (MIDI 24), PSG index 0 is C3 (MIDI 48).
uint8_t fm_note(int32_t midi, int32_t transpose) {
    return static_cast<uint8_t>(0x80 + midi - 23 - transpose);
}
uint8_t psg_note(int32_t midi, int32_t transpose) {
    return static_cast<uint8_t>(0x81 + midi - 48 - transpose);
}

// Lead phrases of one bar in eighths (no_note rests), in four variants chosen by track.
struct phrase_pair {
    std::array<int8_t, 8> a; // over C and A minor
    std::array<int8_t, 8> b; // over F and G
};
constexpr std::array<phrase_pair, 4> phrases{{
    {{76, 79, 81, 79, 76, 74, 72, no_note}, {77, 76, 74, 72, 71, 72, 74, no_note}},
    {{72, 76, 79, 84, 79, 76, 72, no_note}, {77, 81, 84, 81, 79, 74, 71, no_note}},
    {{79, no_note, 76, 77, 79, 81, 79, 76}, {81, 79, 77, 76, 74, 72, 71, 74}},
    {{84, 83, 79, 76, 79, 81, 79, no_note}, {81, 77, 74, 77, 79, 74, 71, no_note}},
}};

// The bass figure of a bar on C2; transposes move it to A, F and G.
constexpr std::array<int8_t, 8> bass_figure{36, 36, 48, 36, 43, 36, 48, 43};

} // namespace

demo_tune compose_demo_tune(const demo_tune_shape& shape, std::size_t header_size) {
    stream_assembler s(header_size);
    const uint8_t d = shape.divider == 0 ? 1 : shape.divider;
    const auto eighth = static_cast<uint8_t>(12 / d);
    const auto quarter = static_cast<uint8_t>(24 / d);
    const auto half = static_cast<uint8_t>(48 / d);
    const auto bar = static_cast<uint8_t>(96 / d);
    const auto voice = [&](int32_t n) { return static_cast<uint8_t>(n % shape.voices); };
    const bool sixth_fm = shape.fm_entries == 7;
    const int32_t lead_key = shape.fm_transpose[0];
    const int32_t bass_key = shape.fm_transpose[1];
    const phrase_pair& tune = phrases[static_cast<std::size_t>(shape.track_index) % phrases.size()];

    // A bar of eighths: the first carries the duration, the rest reuse it.
    const auto bar_of_eighths = [&](const std::array<int8_t, 8>& notes, int32_t key) {
        const stream_assembler::label start = s.here();
        for (std::size_t i = 0; i < notes.size(); ++i) {
            s.put(notes[i] == no_note ? rest : fm_note(notes[i], key));
            if (i == 0) {
                s.put(eighth);
            }
        }
        s.done();
        return start;
    };
    const stream_assembler::label phrase_a = bar_of_eighths(tune.a, lead_key);
    const stream_assembler::label phrase_b =
        shape.roomy ? bar_of_eighths(tune.b, lead_key) : phrase_a;
    const stream_assembler::label bass_bar = bar_of_eighths(bass_figure, bass_key);

    const stream_assembler::label lead = s.new_label();
    const stream_assembler::label bass = s.new_label();
    const stream_assembler::label bass_loop = s.new_label();

    // Channels that share another's stream with a few flags of their own go first, so
    // their jump into it runs forward: their first loop ends where the stream repeats.
    const stream_assembler::label lead_right = s.here(); // FM5: detuned up, panned right
    s.put({0xE0, 0x40, 0xE1, 0x03});
    s.jump(lead);
    stream_assembler::label lead_left = lead; // FM4
    if (shape.roomy) {
        lead_left = s.here(); // an octave down to the lead's pitch, detuned down, left
        s.put({0xE0, 0x80, 0xE9,
               static_cast<uint8_t>(shape.fm_transpose[0] - shape.fm_transpose[3]), 0xE1, 0xFD});
        s.jump(lead);
    }
    const stream_assembler::label psg_arpeggio = s.here(); // the bass figure, high up
    s.put({0xE9, static_cast<uint8_t>(bass_key - shape.psg_transpose[0] + 12)});
    s.jump(bass_loop);

    s.place(lead);
    s.put({0xEF, voice(0), 0xF0, 0x0C, 0x02, 0x02, 0x04}); // vibrato after a short wait
    const stream_assembler::label first_half = s.here();
    s.call(phrase_a);
    s.loop(0, 2, first_half);
    s.put({0xEF, voice(1)});
    if (!shape.roomy) {
        s.put({0xE9, 0x05}); // the phrase a fourth up
    }
    const stream_assembler::label second_half = s.here();
    s.call(phrase_b);
    s.loop(1, 2, second_half);
    if (!shape.roomy) {
        s.put({0xE9, 0xFB});
    }
    s.jump(lead);

    s.place(bass);
    s.put({0xEF, voice(2)});
    if (shape.roomy) {
        s.put({0xE8, static_cast<uint8_t>(eighth * d - 3)}); // note fill: staccato
    }
    s.place(bass_loop);
    for (uint8_t step : {0xFD, 0xFC, 0x02, 0x05}) { // C, A, F, G, back to C
        s.call(bass_bar);
        s.put({0xE9, step});
    }
    s.jump(bass_loop);

    stream_assembler::label pad = bass; // FM3: the bass an octave down
    if (shape.roomy) {
        const int32_t key = shape.fm_transpose[2];
        pad = s.here();
        s.put({0xEF, voice(3), 0xE6, 0xFE, 0xF0, 0x10, 0x03, 0x01, 0x06});
        const stream_assembler::label chords = s.here();
        s.put({fm_note(64, key), bar, 0xE7, fm_note(64, key), fm_note(65, key), fm_note(62, key)});
        s.jump(chords);
    }

    stream_assembler::label sixth = lead;
    if (sixth_fm && shape.roomy) {
        // Heard for one bar: the first drum sample gives channel 6 to the DAC.
        sixth = s.here();
        s.put({0xEF, voice(4)});
        s.call(phrase_a);
        s.put(0xF2);
    }

    const stream_assembler::label drums = s.here();
    if (sixth_fm) {
        s.put({rest, bar});
    }
    if (shape.roomy) {
        const stream_assembler::label beat = s.new_label();
        const stream_assembler::label fill = s.new_label();
        const stream_assembler::label after_subroutines = s.new_label();
        s.jump(after_subroutines);
        s.place(beat);
        s.put({0x81, quarter, 0x82, quarter, 0x81, eighth, 0x81, 0x82, quarter});
        s.done();
        s.place(fill);
        s.put({0x88, eighth, 0x89, 0x8A, 0x8B, 0x88, quarter, 0x82, quarter});
        s.done();
        s.place(after_subroutines);
        if (!sixth_fm) {
            // A crash opens the tune; it plays to its end, so only the last drum of the
            // bar handed over meanwhile is heard after it.
            s.put({0x87, quarter, 0x82, quarter, 0x81, eighth, 0x81, 0x82, quarter});
        }
        s.call(beat);
        s.call(beat);
        s.call(fill);
        const stream_assembler::label again = s.here();
        s.call(beat);
        s.loop(0, 3, again);
        s.call(fill);
        s.jump(again);
    } else {
        const stream_assembler::label beat = s.here();
        s.put({0x81, quarter, 0x82, quarter, 0x81, eighth, 0x81, 0x82, quarter});
        s.loop(0, 3, beat);
        s.put({0x88, eighth, 0x89, 0x8A, 0x8B, 0x82, half});
        s.jump(beat);
    }

    stream_assembler::label noise = lead;
    if (shape.psg_entries == 3) {
        noise = s.here();
        s.put({0xF3, 0xE7}); // white noise pitched by tone channel 3
        if (!shape.roomy) {
            s.put({0xE8, 0x02});
        }
        const stream_assembler::label hats = s.here();
        s.put(
            {psg_note(111, shape.psg_transpose[2]), eighth, psg_note(111, shape.psg_transpose[2])});
        s.jump(hats);
    }

    demo_tune result;
    result.entries = {s.pointer(drums), s.pointer(lead),      s.pointer(bass),
                      s.pointer(pad),   s.pointer(lead_left), s.pointer(lead_right)};
    if (sixth_fm) {
        result.entries.push_back(s.pointer(sixth));
    }
    const std::array<stream_assembler::label, 3> psg{psg_arpeggio, psg_arpeggio, noise};
    for (int32_t j = 0; j < shape.psg_entries; ++j) {
        result.entries.push_back(s.pointer(psg[static_cast<std::size_t>(j)]));
    }
    const auto t = static_cast<uint8_t>(shape.track_index);
    result.envelopes = {static_cast<uint8_t>(1 + (t * 2) % 9),
                        static_cast<uint8_t>(1 + (t * 5 + 3) % 9),
                        static_cast<uint8_t>(shape.roomy ? 2 : 0)};
    result.envelopes.resize(shape.psg_entries);
    result.streams = s.finish();
    return result;
}

} // namespace kavelo
