#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into corpus/<target>/.

Usage: make_seeds.py KAVELO   (the built kavelo, for demo tracks and banks)
Every seed is small and made here or by kavelo; no outside files are used.
"""
import gzip
import os
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def kavelo_bytes(kavelo, *args):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "out")
        subprocess.run([kavelo, *args, "-o", out], check=True, capture_output=True)
        with open(out, "rb") as f:
            return f.read()


def rom_seeds(kavelo):
    for track in (6, 7, 8, 9, 13, 17, 18):
        put("rom_file", f"demo-track-{track}.bin", kavelo_bytes(kavelo, "demo-track", "-t", str(track)))
    # The head of a ROM image: the serial at 0x180 and nothing else.
    head = bytearray(0x200)
    head[0x180:0x18E] = b"GM 00004417-00"
    put("rom_file", "rom-head.bin", bytes(head))
    # A track whose voice table offset points past its end.
    put("rom_file", "table-past-end.bin", bytes([0xFF, 0xF0]) + bytes(60))


def syx_voice(seed):
    voice = bytearray((seed * 7 + i * 3) % 32 for i in range(128))
    voice[57:67] = f"VOICE {seed:02d}  ".encode()[:10]
    return bytes(voice)


def syx_dump(count):
    return bytes([0xF0, 0x43, 0x00, 0x04, 0x20, 0x00]) + b"".join(
        syx_voice(i) for i in range(count)) + bytes([0x00, 0xF7])


def tx81z_seeds():
    put("tx81z", "two-voices.syx", syx_dump(2))
    put("tx81z", "thirty-two-voices.syx", syx_dump(32))
    put("tx81z", "seven-bytes.syx", bytes([0xF0, 0x43, 0, 4, 0x20, 0, 0xF7]))
    put("tx81z", "part-voice.syx", syx_dump(1)[:100])


def ymx_seeds(kavelo):
    with tempfile.TemporaryDirectory() as tmp:
        track = os.path.join(tmp, "track.bin")
        subprocess.run([kavelo, "demo-track", "-t", "9", "-o", track], check=True,
                       capture_output=True)
        put("ymx_bank", "demo-track-9.ymx", kavelo_bytes(kavelo, "bank", "export", track))
    entry = bytes(range(25)) + b"Short\0\0\0\0\0"
    put("ymx_bank", "claims-more.ymx", b"YM2612\0" + bytes([5]) + entry * 2)
    put("ymx_bank", "empty.ymx", b"YM2612\0\0")


def voice_file_seeds(kavelo):
    # One file of every written format from a demo track, plus the older versions that
    # are only read: a version-8 DefleMask preset and a version-1 GYB bank.
    with tempfile.TemporaryDirectory() as tmp:
        rom = os.path.join(tmp, "demo-rom.bin")
        subprocess.run([kavelo, "demo-rom", "-o", rom], check=True, capture_output=True)
        for ext in ["dmp", "tfi", "vgi", "opni", "y12", "eif"]:
            out = os.path.join(tmp, "one." + ext)
            subprocess.run([kavelo, "export-voice", rom, "--track", "2", "--voice", "1", "-o", out],
                           check=True, capture_output=True)
            put("voice_files", "one." + ext, open(out, "rb").read())
        for ext in ["gyb", "opm", "ymx", "wopn"]:
            out = os.path.join(tmp, "bank." + ext)
            subprocess.run([kavelo, "bank", "export", rom, "--track", "2", "-o", out],
                           check=True, capture_output=True)
            data = open(out, "rb").read()
            # The fuzz target pads a WOPN head to whole instrument sets.
            put("voice_files", "bank." + ext, data[:700] if ext == "wopn" else data)
    dmp = open(os.path.join(HERE, "corpus", "voice_files", "one.dmp"), "rb").read()
    # Versions 2 to 9 keep an operator count after the mode byte.
    put("voice_files", "version-8.dmp", bytes([8, 1, 4]) + dmp[3:])
    regs = bytes(range(0x10, 0x2C)) + bytes([0x3A])
    put("voice_files", "version-1.gyb", bytes([26, 12, 1, 1, 0]) + bytes(256) + regs + bytes([0]) +
        bytes([4]) + b"Lead" + bytes(4))
    # A WOPN head as real banks are: named sets, two melodic and one percussion, a voice at
    # program 2 and a named blank slot before it; the target pads the rest.
    wopn = b"WOPN2-B2NK\0" + struct.pack("<H", 2) + struct.pack(">HH", 2, 1) + b"\0"
    for name, msb in ((b"Melodic", 0), (b"Strings", 1), (b"Drums", 0)):
        wopn += name.ljust(32, b"\0") + bytes([0, msb])
    voice = b"Lead".ljust(35, b"\0") + bytes([0x3C, 0]) + bytes(range(1, 29)) + b"\x7f\xff\x7f\xff"
    put("voice_files", "sets.wopn", wopn + bytes(69) + b"Empty".ljust(69, b"\0") + voice)
    # Values past their range, as real OPM banks hold them (KS 6).
    put("voice_files", "past-range.opm", b"@:0 Real\nLFO: 0 0 0 0 0\nCH: 64 7 12 0 0 120 0\n"
        b"M1: 31 0 0 15 0 20 6 1 0 0 0\nC1: 31 0 0 15 0 0 0 1 9 0 0\n"
        b"M2: 33 0 0 15 0 20 0 1 0 0 0\nC2: 31 0 0 15 0 0 0 1 0 0 0\n")


def vgm_file(commands, version=0x150, clock=7670453):
    header = bytearray(0x40)
    header[0:4] = b"Vgm "
    struct.pack_into("<I", header, 0x04, 0x40 + len(commands) - 4)
    struct.pack_into("<I", header, 0x08, version)
    if version >= 0x110:
        struct.pack_into("<I", header, 0x2C, clock)
    else:
        struct.pack_into("<I", header, 0x10, clock)
    if version >= 0x150:
        struct.pack_into("<I", header, 0x34, 0x40 - 0x34)
    return bytes(header) + commands


def ym(part, reg, value):
    return bytes([0x52 + part, reg, value])


def voice_writes(part, channel):
    out = ym(part, 0xB0 + channel, 0x32) + ym(part, 0xB4 + channel, 0xC0)
    for op in range(4):
        slot = channel + 4 * op
        out += ym(part, 0x30 + slot, 0x01 + op) + ym(part, 0x40 + slot, 0x10 * op)
        out += ym(part, 0x50 + slot, 0x1F) + ym(part, 0x60 + slot, 0x05)
        out += ym(part, 0x70 + slot, 0x02) + ym(part, 0x80 + slot, 0x17)
    out += ym(part, 0xA4 + channel, 0x22) + ym(part, 0xA0 + channel, 0x69)
    return out


def vgm_seeds():
    key_on = ym(0, 0x28, 0xF0) + ym(0, 0x28, 0xF4)
    key_off = ym(0, 0x28, 0x00) + ym(0, 0x28, 0x04)
    music = (voice_writes(0, 0) + voice_writes(1, 0) + ym(0, 0x22, 0x0B) + key_on +
             bytes([0x61, 0x00, 0x04, 0x62, 0x75]) + key_off + bytes([0x63, 0x66]))
    put("vgm", "two-notes.vgm", vgm_file(music))
    pcm = bytes(128 + 100 * ((i // 8) % 2) for i in range(64))
    dac = (bytes([0x67, 0x66, 0x00]) + struct.pack("<I", len(pcm)) + pcm + ym(0, 0x2B, 0x80) +
           bytes([0xE0, 0, 0, 0, 0]) + bytes([0x81] * 48) + bytes([0x4F, 0x00, 0x50, 0x9F, 0x66]))
    put("vgm", "dac-stream.vgm", vgm_file(dac))
    put("vgm", "old-version.vgm", vgm_file(voice_writes(0, 2) + key_on + bytes([0x7F, 0x66]),
                                           version=0x101))
    # DAC streams: set up, data (step 1), 16 kHz, start for 40 commands, a fast start of
    # block 0 with loop, a stop.
    streams = (bytes([0x67, 0x66, 0x00]) + struct.pack("<I", len(pcm)) + pcm + ym(0, 0x2B, 0x80) +
               bytes([0x90, 0, 0x02, 0, 0x2A, 0x91, 0, 0x00, 1, 0]) +
               bytes([0x92, 0]) + struct.pack("<I", 16000) +
               bytes([0x93, 0, 4, 0, 0, 0, 0x01]) + struct.pack("<I", 40) + bytes([0x61, 0x00, 0x01]) +
               bytes([0x95, 0, 0, 0, 0x01, 0x61, 0x00, 0x02, 0x94, 0xFF, 0x62, 0x66]))
    put("vgm", "streams.vgm", vgm_file(streams))
    # As real rips hold them: an empty data block, then DAC writes without data.
    put("vgm", "empty-dac-block.vgm", vgm_file(bytes([0x67, 0x66, 0x00, 0, 0, 0, 0]) +
                                               ym(0, 0x2B, 0x80) + bytes([0x8F] * 64 + [0x66])))
    put("vgm", "header-only.vgm", vgm_file(b""))


def vgm_voices_seeds():
    key_on = ym(0, 0x28, 0xF0) + ym(0, 0x28, 0xF4)
    music = (voice_writes(0, 0) + voice_writes(1, 0) + key_on + bytes([0x62]) + ym(0, 0x4C, 0x20) +
             key_on + ym(0, 0x28, 0x00) + ym(0, 0x2B, 0x80) + voice_writes(1, 2) +
             ym(0, 0x28, 0xF6) + bytes([0x67, 0x66, 0x00, 2, 0, 0, 0, 0x52, 0x28, 0x81, 0x66]))
    put("vgm_voices", "volume-and-dac.vgm", vgm_file(music))
    put("vgm_voices", "old-version.vgm", vgm_file(voice_writes(0, 1) + ym(0, 0x28, 0xF1),
                                                  version=0x101))
    put("vgm_voices", "packed.vgz", gzip.compress(vgm_file(voice_writes(0, 2) + ym(0, 0x28, 0xF2)),
                                                  mtime=0))


def fm_script_seeds():
    with open(os.path.join(HERE, "..", "data", "fm", "features.fms"), "rb") as f:
        lines = f.read().split(b"\n")
    put("fm_script", "features-head.fms", b"\n".join(lines[:120]) + b"\nupdate 0 2000\n")
    put("fm_script", "two-chips.fms", b"init 2 7670453 44100\nwrite 1 0 0x28\nwrite 1 1 0xf0\n"
        b"update 1 500 # comment\nreset 1\nwrite 0 2 0xb4\nwrite 0 3 0x80\nupdate 0 0x100\n"
        b"shutdown\ninit 1 3579545 22050\nupdate 0 10\n")


def fm_core_seeds():
    # Structured inputs: bytes the target reads as calls. Patterns of all kinds of calls.
    put("fm_core", "counting.bin", bytes(range(256)) * 2)
    put("fm_core", "writes.bin", bytes([1, 0x80, 0x1A, 0x2B, 0x3C, 0x44, 0x01]) +
        bytes((i * 37 + 11) % 256 for i in range(600)))


class dac_packer:
    """Writes the DAC program's packed stream: literals, and runs as long references of
    one byte back; descriptors go where the reader fetches them."""

    def __init__(self):
        self.out = bytearray()
        self.reserve()

    def reserve(self):
        self.slot = len(self.out)
        self.out += bytes(2)
        self.bits = 0

    def bit(self, value):
        if value:
            self.out[self.slot + self.bits // 8] |= 1 << (self.bits % 8)
        self.bits += 1
        if self.bits == 16:
            self.reserve()

    def pack(self, data):
        i = 0
        while i < len(data):
            run = 0
            while i > 0 and i + run < len(data) and run < 256 and data[i + run] == data[i - 1]:
                run += 1
            if run >= 3:
                self.bit(0), self.bit(1)
                self.out += bytes([0xFF, 0xF8, run - 1])
                i += run
            else:
                self.bit(1)
                self.out.append(data[i])
                i += 1
        self.bit(0), self.bit(1)
        self.out += bytes(3)
        return bytes(self.out)


def drum_kit_seeds():
    # A small program shaped like the game's: delta table, sample table, three samples.
    program = bytearray(0x100)
    program[0x22:0x32] = bytes([0, 1, 2, 4, 8, 16, 32, 64, 128, 255, 254, 252, 248, 240, 224, 192])
    for index, (start, length, pitch) in enumerate([(0xEE, 6, 0x17), (0xF4, 6, 1), (0xFA, 6, 0x1B)]):
        struct.pack_into("<HHHH", program, 0xD6 + 8 * index, start, length, pitch, 0)
    program[0xEE:0x100] = bytes((i * 37) % 256 for i in range(18))
    put("drum_kit", "small-kit.bin", dac_packer().pack(bytes(program)))
    # Short references of every count, a long one, and descriptors running out mid-token.
    put("drum_kit", "short-references.bin", bytes([0xB3, 0x00, 0x41, 0x42, 0xFE, 0, 0, 0]))
    put("drum_kit", "long-references.bin",
        bytes([0xAB, 0x00, 0x42, 0x41, 0xFF, 0xF8, 0xFF, 0xFE, 0xF1, 0, 0, 0]))
    put("drum_kit", "sixteenth-bit.bin", bytes([0xFF, 0x3F]) + b"abcdefghijklmn" +
        bytes([0x0B, 0x00, 0xFE, 0, 0, 0]))


def track_interpreter_seeds():
    # The driver's worked examples, from their hex text to the bare tracks they describe.
    folder = os.path.join(HERE, "..", "data", "track")
    for name in sorted(os.listdir(folder)):
        if name.endswith(".track"):
            with open(os.path.join(folder, name)) as f:
                track = bytes(int(value, 16) for value in f.read().split())
            put("track_interpreter", name[:-len(".track")] + ".bin", track)
    # Every channel of F = 7, P = 3: calls, loops, modulation, note fill, hold, noise and
    # envelopes, voice and volume changes; each stream then jumps back to its start.
    bodies = [
        [0xE0, 0x40, 0x81, 0x03, 0x88, 0x02, 0x04, 0x80, 0x01],
        # a call to offset 14 (offset at 5: 5 + 1 + 8), the subroutine after the jump
        [0xEF, 0x00, 0xE8, 0x03, 0xF8, 0x00, 0x08, 0x81, 0x06, 0xE7, 0x85],
        [0xEF, 0x01, 0x91, 0x02, 0xF7, 0x00, 0x03, 0xFF, 0xFA],
        [0xE9, 0x0C, 0xE1, 0x02, 0x81, 0x04, 0x80, 0x02],
        [0xEF, 0x01, 0xF5, 0x00, 0xE6, 0x01, 0x8D, 0x08],
        [0xE5, 0x02, 0xEA, 0x05, 0xF0, 0x01, 0x01, 0x05, 0x04, 0x99, 0x03],
        [0xEF, 0x00, 0xEC, 0x01, 0xB0, 0x04],
        [0xF5, 0x02, 0x81, 0x06, 0x80, 0x02, 0xEC, 0x01, 0x8D, 0x03],
        [0xF0, 0x00, 0x02, 0xFF, 0x06, 0x95, 0x08],
        [0xF3, 0xE7, 0xE8, 0x02, 0xB0, 0x04],
    ]
    streams = []
    for body in bodies:
        back = -(len(body) + 2) & 0xFFFF
        streams.append(bytes(body) + bytes([0xF6]) + struct.pack(">H", back))
    # The subroutine of FM1, after its jump: a note with its own modulation, a return.
    streams[1] += bytes([0xF0, 0x00, 0x01, 0x02, 0x02, 0xA1, 0x02, 0xE3])
    header_size = 6 + 4 * 7 + 6 * 3
    body = b"".join(streams)
    header = bytearray(struct.pack(">HBBBB", header_size + len(body), 7, 3, 1, 0))
    offset = header_size
    for index, stream in enumerate(streams):
        header += struct.pack(">H", offset) + bytes([0, 2])
        if index >= 7:
            header += bytes([0, index - 6])
        offset += len(stream)
    voices = bytes([0x07] + [0x01] * 4 + [0x1F] * 4 + [0] * 8 + [0x0F] * 4 + [0x10, 0x20, 0x30, 0x40])
    voices += bytes([0x3C] + [0x71, 0x32, 0x03, 0x04, 0x5F, 0x5E, 0x5D, 0x5C, 0x85, 0x06, 0x07,
                              0x08, 0x02, 0x03, 0x04, 0x05, 0x1A, 0x2B, 0x3C, 0x4D, 0x20, 0x7F,
                              0x22, 0x10])
    put("track_interpreter", "every-channel.bin", bytes(header) + body + voices)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    kavelo = sys.argv[1]
    rom_seeds(kavelo)
    tx81z_seeds()
    ymx_seeds(kavelo)
    voice_file_seeds(kavelo)
    vgm_seeds()
    vgm_voices_seeds()
    fm_script_seeds()
    fm_core_seeds()
    drum_kit_seeds()
    track_interpreter_seeds()


if __name__ == "__main__":
    main()
