#!/usr/bin/env bash
# track-log, track-voices and play-track: the log's line format and start sequence, the
# voices a track selects, WAV and VGM output with their lengths, --voices, and refusals.
# The demo tracks' tunes may change: checks on them compare runs or formats, never notes.
DATA="$(cd "$(dirname "$0")/../data/track" && pwd)"
. "$(dirname "$0")/cli_lib.sh"

"$KAVELO" demo-rom -o rom.bin >/dev/null || fail_check "demo-rom"
"$KAVELO" demo-track --track 2 -o demo.trk >/dev/null || fail_check "demo-track"
for name in a c e; do
    xxd -r -p "$DATA/example_$name.track" >"example_$name.trk"
done
# A track that ends: the drum channel stops in frame 1, FM1 plays one 12-frame note from
# frame 2 and stops in frame 14; two voices (ROM order) pad it past the 48-byte minimum.
rom_voice=07010101011f1f1f1f00000000000000000f0f0f0f10203040
make_ending_track() { # FM entry count
    printf '0014%02x000100000e0000000f0000f2ef00810cf2%s%s' "$1" "$rom_voice" "$rom_voice" |
        xxd -r -p
}
make_ending_track 2 >ending.trk
make_ending_track 8 >eight-fm.trk

# track-log: nothing but write lines on stdout, and frame 0 is the driver's start sequence.
line='^[0-9]+ (ym[01] [0-9a-f]{2} [0-9a-f]{2}|psg [0-9a-f]{2}|drum [0-9a-f]{2})$'
for track in $(seq 0 18); do
    expect_exit 0 track-log rom.bin --track "$track" --frames 600
    [ -s out.txt ] || fail_check "track-log of track $track is empty"
    bad=$(grep -cvE "$line" out.txt)
    [ "$bad" -eq 0 ] || fail_check "track $track: $bad lines are not writes: $(grep -vE "$line" out.txt | head -3)"
    awk '{ if ($1 < last) exit 1; last = $1 }' out.txt || fail_check "track $track: frames out of order"
    grep '^0 ' out.txt >start.txt
    case $track in
    8 | 18) # seven FM entries: the DAC off instead of FM6's silence, FM6 keyed off by its record
        grep -qx '0 ym0 2b 00' start.txt || fail_check "track $track does not switch the DAC off"
        grep -q 'ym1 b6 c0' start.txt && fail_check "track $track silences FM6"
        [ "$(wc -l <start.txt)" -eq 44 ] || fail_check "track $track: frame 0 is not 44 writes" ;;
    17) # no PSG entry: the unfilled PSG records write 1f
        [ "$(grep -c '^0 psg 1f$' start.txt)" -eq 3 ] || fail_check "track 17's empty PSG records" ;;
    *) expect_same start.txt "$DATA/start_f6_p3.log" ;;
    esac
done
expect_exit 0 track-log example_a.trk --frames 41
cat "$DATA/start_f2_p0.log" "$DATA/example_a.log" >expected.txt
expect_same out.txt expected.txt
expect_exit 0 track-log demo.trk --frames 300
grep -qvE "$line" out.txt && fail_check "bare track log: $(grep -vE "$line" out.txt | head -3)"

# track-voices: each voice with the channels that select it.
expect_exit 0 track-voices example_c.trk
expect_out "first loop: 98 frames (1.6 s)"
expect_out "voice 0: FM1 2 notes"
expect_out "voice 1: FM1 2 notes"
expect_exit 0 track-voices rom.bin --track "Basalt Zone"
grep -qE '^(first loop|no loop; played): [0-9]+ frames' out.txt || fail_check "track-voices: $(cat out.txt)"

# play-track to WAV: the header, the length asked for, the notes; the same twice over.
wav_header=$(printf 'RIFF....WAVEfmt \x10\x00\x00\x00\x01\x00\x02\x00\x44\xac\x00\x00\x10\xb1\x02\x00\x04\x00\x10\x00data' | xxd -p | tr -d '\n')
check_wav() { # FILE FRAMES
    local size=$((44 + 4 * $2))
    [ "$(stat -c %s "$1")" -eq "$size" ] || fail_check "$1 is $(stat -c %s "$1") bytes, not $size"
    local head
    head=$(head -c 44 "$1" | xxd -p | tr -d '\n')
    [ "${head:0:8}${head:16:64}" = "${wav_header:0:8}${wav_header:16:64}" ] ||
        fail_check "$1 has not a 16-bit stereo 44100 Hz header: $head"
    [ "$(od -An -tu4 -j 40 -N4 "$1" | tr -d ' ')" -eq $((4 * $2)) ] || fail_check "$1: data size"
}
expect_exit 0 play-track rom.bin --track 2 --seconds 1.5 -o a.wav
check_wav a.wav 66150
[ ! -s out.txt ] || fail_check "play-track printed on stdout: $(cat out.txt)"
expect_err "kavelo: rom.bin: note: wrote 1.50 s (66150 frames at 44100 Hz) to a.wav"
! grep -q "drums are silent" err.txt || fail_check "the demo ROM's drum kit was not found: $(cat err.txt)"
expect_exit 0 play-track rom.bin --track 2 --seconds 1.5 -o b.wav
expect_same a.wav b.wav
# Without a limit a track that ends plays its 15 driver frames, then a second of release.
expect_exit 0 play-track ending.trk -o end.wav
check_wav end.wav $((15 * 735 + 44100))
expect_err "A bare track holds no drum samples"
python3 - <<'PY' || fail_check "the ending track is silent, or not after its release"
import struct
data = open("end.wav", "rb").read()[44:]
left = struct.unpack("<%dh" % (len(data) // 2), data)[0::2]
assert max(abs(s) for s in left[2 * 735:14 * 735]) > 1000
assert max(abs(s) for s in left[-4410:]) == 0
PY
# A looping track: one loop is the default, two take longer.
expect_exit 0 play-track example_c.trk -o one.wav
expect_exit 0 play-track example_c.trk --loops 1 -o loop1.wav
expect_same one.wav loop1.wav
expect_exit 0 play-track example_c.trk --loops 2 -o loop2.wav
[ "$(stat -c %s loop2.wav)" -gt "$(stat -c %s loop1.wav)" ] || fail_check "--loops 2 is not longer"

# play-track to VGM: the header, the length, and through kavelo vgm the same FM sound.
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
expect_exit 0 play-track example_c.trk --seconds 2 -o c.vgm
[ "$(head -c 4 c.vgm)" = "Vgm " ] || fail_check "c.vgm does not start with Vgm"
[ "$(u32 c.vgm 8)" -eq $((0x160)) ] || fail_check "c.vgm is not version 1.60"
[ "$(u32 c.vgm 4)" -eq $(($(stat -c %s c.vgm) - 4)) ] || fail_check "c.vgm: end of file offset"
[ "$(u32 c.vgm 0x18)" -eq 88200 ] || fail_check "c.vgm: $(u32 c.vgm 0x18) samples, not 88200"
[ "$(u32 c.vgm 0x2c)" -eq 7670453 ] && [ "$(u32 c.vgm 0x0c)" -eq 3579545 ] || fail_check "c.vgm: clocks"
expect_err "wrote 2.00 s (88200 frames at 44100 Hz) to c.vgm"
expect_exit 0 play-track example_c.trk --seconds 2 -o c.wav
expect_exit 0 vgm c.vgm -o c-played.wav
expect_same c.wav c-played.wav # FM only, no PSG channel: the player's widened bytes exactly
expect_exit 0 play-track ending.trk -o end.vgm
[ "$(u32 end.vgm 0x18)" -eq $((15 * 735 + 44100)) ] || fail_check "end.vgm is not as long as end.wav"
expect_exit 0 play-track example_e.trk --seconds 1 -o e.vgm # PSG only
grep -qF "$(printf '\x50\x86\x50\x35')" e.vgm || fail_check "e.vgm lacks PSG1's first tone bytes"

# --voices: the voices go in place of the track's, the file itself stays as it was.
cp example_c.trk example_c.before
expect_exit 0 export-voice rom.bin --track 2 --voice 0 -o lead.tfi
expect_exit 0 play-track example_c.trk --seconds 2 --voices lead.tfi -o voiced.wav
expect_err "note: put 1 voice from lead.tfi in place of the track's first voice"
check_wav voiced.wav 88200
cmp -s voiced.wav c.wav && fail_check "--voices did not change the sound"
expect_same example_c.trk example_c.before
expect_exit 0 bank export rom.bin --track 16 -o many.ymx # 33 voices for a track of 2
expect_exit 0 play-track example_c.trk --seconds 2 --voices many.ymx -o many.wav
expect_err "put 2 voices from many.ymx in place of the track's first 2 voices (the file holds 33 voices)"
expect_exit 0 play-track example_c.trk --seconds 2 --voices lead.tfi -o voiced.vgm
cmp -s voiced.vgm c.vgm && fail_check "--voices did not change the VGM"

# Refusals: one line, exit 1 (2 for usage), nothing written, an existing output kept.
printf 'keep' >kept.wav
expect_exit 1 play-track eight-fm.trk -o kept.wav
expect_one_error_line
expect_err "8 FM and 0 PSG entries"
expect_exit 1 track-log eight-fm.trk
expect_one_error_line
[ ! -s out.txt ] || fail_check "a refused track-log printed writes"
expect_exit 1 play-track example_c.trk --voices missing.tfi -o kept.wav
expect_one_error_line
expect_err "missing.tfi"
printf 'not an instrument' >bad.tfi
expect_exit 1 play-track example_c.trk --voices bad.tfi -o kept.wav
expect_one_error_line
[ "$(cat kept.wav)" = keep ] || fail_check "a refused play-track touched its output"
expect_exit 2 play-track example_c.trk -o out.mp3
expect_err ".wav"
expect_err ".vgm"
expect_exit 2 play-track example_c.trk --seconds 1 --loops 2 -o x.wav
expect_exit 2 play-track example_c.trk --loops 0 -o x.wav
expect_exit 1 play-track example_c.trk --track 2 -o x.wav
expect_exit 1 play-track example_c.trk -o no-such-folder/x.wav
expect_one_error_line
for out in out.mp3 x.wav no-such-folder/x.wav; do
    [ ! -e "$out" ] || fail_check "a refused play-track wrote $out"
done

finish
