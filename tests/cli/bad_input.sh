#!/usr/bin/env bash
# Bad files and bad arguments: one clear line on stderr, exit 1 (2 for usage), nothing written.
. "$(dirname "$0")/cli_lib.sh"

"$KAVELO" demo-rom -o rom.bin >/dev/null || fail_check "demo-rom"
cp rom.bin original.bin
voice=3a7102130440c0a0800001820304050607f01e2d3c7f001020

# Usage errors.
expect_exit 2 set-voice rom.bin --voice 0
expect_exit 2 set-voice rom.bin "$voice"
expect_exit 2 set-header rom.bin tempo=3
expect_exit 2 frobnicate
expect_exit 0 --help
expect_out "set-voice"
expect_exit 0 set-voice --help
expect_out "Example"
expect_exit 0 render --help
expect_out "Examples: kavelo render"
expect_exit 0 --version
expect_out "kavelo ${KAVELO_EXPECTED_VERSION:?set by CTest}"
expect_same rom.bin original.bin

# Missing, truncated, oversized and read-only files.
expect_exit 1 header missing.bin
expect_one_error_line
expect_err "missing.bin"
for command in vgm fm-script; do
    expect_exit 1 "$command" missing.bin -o missing.wav
    expect_one_error_line
    [ ! -e missing.wav ] || fail_check "$command of a missing file wrote its output"
done
head -c $((0x78B00)) rom.bin >truncated.bin
cp truncated.bin truncated-before.bin
expect_exit 1 voices truncated.bin --track 18
expect_err "too short"
expect_exit 1 set-voice truncated.bin --track 18 --voice 0 "$voice"
expect_one_error_line
expect_same truncated.bin truncated-before.bin
expect_exit 0 voices truncated.bin --track 0

# A full disk under standard output is an error, even for samples few enough to sit in its
# buffer until the flush.
if "$KAVELO" render 07010101011f1f1f1f00000000000000000f0f0f0f7f7f7f00 --frames 100 \
    --raw - >/dev/full 2>err.txt; then
    fail_check "render to a full standard output reported success"
fi
expect_err "standard output"

truncate -s $((8 * 1024 * 1024 + 1)) big.bin
expect_exit 1 info big.bin
expect_err "larger than 8 MiB"

chmod 444 rom.bin
expect_exit 1 set-header rom.bin song_tempo=1
expect_err "unchanged"
expect_exit 1 set-voice rom.bin --voice 0 "$voice"
chmod 644 rom.bin
expect_same rom.bin original.bin
[ "$(ls | grep -c kavelo-)" -eq 0 ] || fail_check "a temporary file was left behind"

# Wrong kinds: a bare track has no track list, bad track names and voice slots.
"$KAVELO" demo-track -o track.bin >/dev/null
expect_exit 1 voices track.bin --track 2
expect_err "bare music track"
expect_exit 0 voices track.bin
expect_out "bare track:"
expect_exit 1 voices rom.bin --track "Nowhere"
expect_exit 1 set-voice rom.bin --track 0 --voice 9 "$voice"
expect_err "not among"
expect_exit 1 set-voice rom.bin --voice 0 zz7102130440c0a0800001820304050607f01e2d3c7f001020
expect_err "50 hex digits"
printf 'YM' >tiny.ymx
expect_exit 1 bank list tiny.ymx
expect_err "tiny.ymx: The file is 2 bytes long, but a voice bank takes at least 8 bytes."
printf 'abc' >tiny.syx
expect_exit 1 bank from-sysex tiny.syx -o out.ymx
[ ! -e out.ymx ] || fail_check "a bank was written from a refused dump"
expect_exit 1 header tiny.syx
expect_err "48-byte"
printf '\000\064\007\003abcdefghijklmnopqrstuvwxyz' >short-header.bin
expect_exit 1 header short-header.bin
expect_err "52-byte"
expect_same rom.bin original.bin

finish
