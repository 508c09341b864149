#!/usr/bin/env bash
# vgm: music logs as real rips hold them, played to WAV.
. "$(dirname "$0")/cli_lib.sh"

# make_log OUT DAC_BYTES WRITES: a VGM 1.50 log with one data block of DAC_BYTES bytes,
# the DAC on, and WRITES DAC commands 0x81 (the next bank byte, then one frame), no 0xE0.
make_log() {
    python3 - "$@" <<'PY'
import sys
out, bank, writes = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
d = bytearray(0x40); d[0:4] = b"Vgm "; d[8] = 0x50; d[9] = 1; d[0x34] = 0x0C
d += bytes([0x67, 0x66, 0x00]) + bank.to_bytes(4, "little") + bytes(range(0x80, 0x80 + bank))
d += bytes([0x52, 0x2B, 0x80]) + bytes([0x81] * writes) + bytes([0x66])
open(out, "wb").write(d)
PY
}

# An empty data block and then thousands of DAC writes: each is its wait, noted once.
make_log rip.vgm 0 3000
expect_exit 0 vgm rip.vgm -o rip.wav
expect_one_error_line
expect_err "kavelo: rip.vgm: note: 3000 DAC writes (0x8n) had no data in the data bank and were played as waits only"
[ "$(stat -c %s rip.wav)" -eq $((44 + 3000 * 4)) ] || fail_check "rip.wav is not 3000 frames"
make_log some.vgm 2 3
expect_exit 0 vgm some.vgm -o some.wav
expect_err "note: 1 DAC write (0x8n) had no data in the data bank and was played as a wait only"
make_log whole.vgm 3 3
expect_exit 0 vgm whole.vgm -o whole.wav
[ ! -s err.txt ] || fail_check "a note for a log whose DAC writes all had data: $(cat err.txt)"

# A log whose data offset is its end holds no commands: no voices, silence.
head -c 64 rip.vgm >header-only.vgm
expect_exit 0 voices header-only.vgm
expect_out "header-only.vgm: 0 voices"
expect_exit 0 vgm header-only.vgm -o silence.wav
[ "$(stat -c %s silence.wav)" -eq 44 ] || fail_check "silence.wav holds samples"
# One byte further is past the end, and refused.
python3 -c '
d=bytearray(open("header-only.vgm","rb").read()); d[0x34]=0x0D
open("past.vgm","wb").write(d)'
expect_exit 1 vgm past.vgm -o never.wav
expect_err "past.vgm: offset 0x34: the data offset 0x41 lies past the end of the file"
[ ! -e never.wav ] || fail_check "a refused log wrote a WAV"

finish
