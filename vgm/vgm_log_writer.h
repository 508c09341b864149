#pragma once
// Writes a VGM 1.60 log of the console's two sound chips, the YM2612 and the SN76489 of
// its video chip, into memory: commands in time order with the waits between them, then
// the header and a GD3 tag around them.
//
// Header (0x80 bytes, little-endian 32-bit fields unless noted; offsets "relative" count
// from the field's own position):
//   0x00 "Vgm "            0x04 end of file, relative   0x08 version 0x00000160
//   0x0C SN76489 clock     0x10 YM2413 clock            0x14 GD3 offset, relative (0: none)
//   0x18 total samples     0x1C loop offset, relative (0: no loop)   0x20 loop samples
//   0x24 rate (60: NTSC)   0x28 SN76489 feedback (16-bit)  0x2A its shift register width
//   (8-bit)  0x2B its flags (8-bit: bit 0 period 0 counts as 0x400, bit 1 output negated,
//   bit 2 stereo off when set, bit 3 divide-by-8 off when set)   0x2C YM2612 clock   0x30 YM2151
//   clock 0x34 data offset, relative   0x38 SegaPCM clock   0x3C SegaPCM interface 0x40-0x77 the
//   clocks of the RF5C68, YM2203, YM2608, YM2610, YM3812, YM3526, Y8950, YMF262, YMF278B, YMF271,
//   YMZ280B, RF5C164, PWM and AY8910   0x78-0x7B AY8910 type and flags   0x7C volume modifier 0x7D
//   reserved   0x7E loop base   0x7F loop modifier
// Unused chips have clock 0. Commands (samples at 44100 Hz):
//   0x50 dd PSG byte; 0x52 aa dd YM2612 part I; 0x53 aa dd part II
//   0x61 nnnn wait n samples; 0x62 wait 735; 0x63 wait 882; 0x7n wait n + 1
//   0x66 end; 0x67 0x66 tt ssssssss data block of type tt and size s (0x00: YM2612 PCM)
//   0x90 ss tt pp cc stream ss set up for chip type tt (0x02 YM2612), port pp, register cc
//   0x91 ss dd ll bb stream ss reads data bank dd, step ll, step base bb
//   0x92 ss ffffffff stream frequency in Hz; 0x94 ss stop
//   0x93 ss aaaaaaaa mm llllllll start at bank offset a, length mode mm (1: l commands)
// GD3 tag: "Gd3 ", version 0x00000100, the byte length of what follows, then eleven
// UTF-16LE strings, each ended by a 0 character: track name, its Japanese form, game, its
// Japanese form, system, its Japanese form, author, its Japanese form, date, who made the
// log, notes.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kavelo {

inline constexpr uint32_t vgm_log_version = 0x160;
inline constexpr std::size_t vgm_log_header_size = 0x80;
inline constexpr uint32_t console_psg_clock = 3579545;
inline constexpr uint16_t console_psg_feedback = 0x0009; // taps at bits 0 and 3
inline constexpr uint8_t console_psg_shift_width = 16;
// The flags all clear: period 0 acts as 1 (not as 0x400), the output is not negated, and
// stereo and the divide-by-8 in their clear state (the console's chip has no stereo
// register, and no log of it writes one).
inline constexpr uint8_t console_psg_flags = 0x00;
inline constexpr uint32_t vgm_ntsc_rate = 60;
inline constexpr uint8_t vgm_chip_ym2612 = 0x02;
inline constexpr uint8_t vgm_ym2612_pcm = 0x00; // data block type and data bank
inline constexpr uint32_t vgm_longest_wait = 0xFFFF;

struct vgm_tags {
    std::string track;
    std::string game;
    std::string system;
    std::string made_by;
    std::string notes;
};

class vgm_log_writer {
  public:
    // Register writes, in the order made; each first writes the waits up to now().
    void ym2612(int32_t part, uint8_t reg, uint8_t value);
    void psg(uint8_t value);

    // Time passes to `sample` (from the start of the log); never back.
    void wait_until(uint64_t sample);
    uint64_t now() const { return target_; }

    void data_block(uint8_t type, std::span<const uint8_t> data);
    void stream_setup(uint8_t stream, uint8_t chip, uint8_t port, uint8_t reg);
    void stream_data(uint8_t stream, uint8_t bank, uint8_t step, uint8_t step_base);
    void stream_frequency(uint8_t stream, uint32_t hertz);
    // Starts at `offset` in the data bank for `length` writes.
    void stream_start(uint8_t stream, uint32_t offset, uint32_t length);
    void stream_stop(uint8_t stream);

    // The whole file: header, the commands, the end command, a GD3 tag (ASCII text; other
    // bytes become '?'). Only the SN76489 and YM2612 clocks are set; no loop. The writer is
    // spent afterwards.
    std::vector<uint8_t> finish(uint32_t fm_clock, const vgm_tags& tags);

  private:
    void command(std::initializer_list<uint8_t> bytes);
    void put32(uint32_t value);
    void flush_wait();

    std::vector<uint8_t> commands_;
    uint64_t written_ = 0; // samples the waits in commands_ add up to
    uint64_t target_ = 0;
};

} // namespace kavelo
