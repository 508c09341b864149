#!/usr/bin/env bash
# set-voice, header, set-header and checksum on the demo ROM: the bytes they write.
. "$(dirname "$0")/cli_lib.sh"

"$KAVELO" demo-rom -o rom.bin >/dev/null || fail_check "demo-rom"
cp rom.bin original.bin

# info and voices see the demo ROM as the editor would.
expect_exit 0 info rom.bin
expect_out "mode: compatible Brisco ROM image"
expect_out "18  Prism Gem"
expect_exit 0 info --json rom.bin
python3 -c 'import json,sys; d=json.load(open("out.txt")); assert len(d["tracks"])==19 and d["mode"]=="rom"' ||
    fail_check "info --json"
expect_exit 0 voices rom.bin --track "Basalt Zone"
expect_out "Basalt Zone: 9 voices"
voice2=$(grep '^voice 2:' out.txt | cut -d' ' -f3)

# set-voice writes exactly the 25 bytes of the slot, in ROM order.
new=3a7102130440c0a0800001820304050607f01e2d3c7f001020
expect_exit 0 set-voice rom.bin --track 2 --voice 2 "$new"
start=$((0x75194))
table=$(( $(byte_at rom.bin $start) * 256 + $(byte_at rom.bin $((start + 1))) ))
slot=$((start + table + 50))
for offset in $(changed_offsets original.bin rom.bin); do
    [ "$offset" -ge "$slot" ] && [ "$offset" -lt $((slot + 25)) ] || fail_check "set-voice changed byte $offset"
done
[ "$(byte_at rom.bin $((slot + 1)))" -eq $((0x04)) ] || fail_check "ROM order: first DT/MUL byte is OP1's"
expect_exit 0 voices rom.bin --track 2
expect_out "voice 2: $new"

# Writing the old voice back restores the file byte for byte.
expect_exit 0 set-voice rom.bin --track 2 --voice 2 "$voice2"
expect_same rom.bin original.bin

# From a bank and from a TX81Z dump.
expect_exit 0 bank export rom.bin --track 4 -o neon.ymx
expect_exit 0 set-voice rom.bin --track 7 --voice 1 --from-bank neon.ymx --entry 3
expect_exit 0 voices rom.bin --track 7
grep -q "^voice 1: $(grep -m1 '' <("$KAVELO" bank list neon.ymx | sed -n 4p | awk '{print $NF}'))" out.txt ||
    fail_check "set-voice --from-bank wrote another voice"
python3 - <<'PY'
dump = bytearray([0xF0, 0x43, 0x00, 0x04, 0x20, 0x00])
for v in range(32):
    voice = bytearray(128)
    for block in range(4):
        voice[10 * block:10 * block + 10] = bytes([31, 31, 0, 15, 15, 0, 0x40, 99, 4, 3 << 3 | 3])
    voice[40] = 0x3D
    voice[57:67] = ("TX Voice%2d" % v).encode()[:10]
    dump += voice
dump += bytes([(-sum(dump[6:])) & 0x7F, 0xF7])
open("dump.syx", "wb").write(dump)
PY
expect_exit 0 set-voice rom.bin --track 0 --voice 0 --from-sysex dump.syx --entry 31
expect_exit 0 voices rom.bin --track 0
expect_out "voice 0: 3d01010101dfdfdfdf9f9f9f9f000000000f0f0f0f00000000"

# header and set-header.
cp original.bin rom.bin
expect_exit 0 header rom.bin --track 5
expect_out "song_tempo  4"
expect_exit 0 set-header rom.bin --track 5 song_tempo=7
[ "$(changed_offsets original.bin rom.bin)" = "$(( 0x75EAC + 5 )) " ] || fail_check "set-header song_tempo"
expect_exit 0 set-header rom.bin --track 5 psg3_volume=-12 fm1_key=300 fm2_key=abc
[ "$(byte_at rom.bin $((0x75EAC + 45)))" -eq 244 ] || fail_check "-12 stores 244"
[ "$(byte_at rom.bin $((0x75EAC + 12)))" -eq 44 ] || fail_check "300 stores 44"
[ "$(byte_at rom.bin $((0x75EAC + 16)))" -eq 0 ] || fail_check "letters store 0"
expect_exit 0 header --json rom.bin --track 5
python3 -c 'import json; d=json.load(open("out.txt")); assert d["song_tempo"]==7 and d["psg3_volume"]==244' ||
    fail_check "header --json"

# Headers laid out by their own channel counts: track 8 has a sixth FM channel, 17 no PSG.
cp original.bin rom.bin
expect_exit 0 header --json rom.bin --track 8
python3 -c 'import json; d=json.load(open("out.txt")); assert (d["fm_entries"], d["psg_entries"], d["header_size"]) == (7, 3, 52) and d["channel_counts"] and "fm6_key" in d' ||
    fail_check "header --json counts of a 7 FM entry header"
expect_exit 0 set-header rom.bin --track 8 fm6_key=5 psg1_volume=9
[ "$(changed_offsets original.bin rom.bin)" = "$((0x766D0 + 32)) $((0x766D0 + 37)) " ] ||
    fail_check "fm6_key and psg1_volume of a 7 FM entry header"
cp rom.bin before.bin
expect_exit 1 set-header rom.bin --track 17 song_tempo=3 psg1_key=1
expect_one_error_line
expect_err "no PSG channel 1"
expect_exit 1 set-header rom.bin --track 5 fm6_volume=1
expect_err "no FM channel 6"
expect_same rom.bin before.bin
expect_exit 0 header rom.bin --track 17
expect_out "6 FM and 0 PSG entries, 30 bytes"
grep -q psg1_key out.txt && fail_check "header prints a field of an absent PSG channel"
expect_exit 0 header --json rom.bin --track 0
python3 -c 'import json; d=json.load(open("out.txt")); assert (d["fm_entries"], d["psg_entries"], d["header_size"]) == (6, 3, 48) and "fm6_key" not in d' ||
    fail_check "header --json counts of a 6 FM entry header"

# The longest voice table of the demo ROM loads whole.
expect_exit 0 voices rom.bin --track 16
expect_out "Credits: 33 voices"
expect_out "voice 32: "

# checksum: the demo ROM's is right until a byte past 0x200 changes.
cp original.bin rom.bin
expect_exit 0 checksum rom.bin
[ "$(sed -n 1p out.txt | awk '{print $2}')" = "$(sed -n 2p out.txt | awk '{print $2}')" ] || fail_check "demo checksum"
expect_exit 0 set-header rom.bin song_tempo=9
expect_exit 0 checksum rom.bin --fix
expect_out "fixed"
expect_exit 0 checksum rom.bin
[ "$(sed -n 1p out.txt | awk '{print $2}')" = "$(sed -n 2p out.txt | awk '{print $2}')" ] || fail_check "checksum --fix"
[ "$(changed_offsets original.bin rom.bin | wc -w)" -le 3 ] || fail_check "checksum --fix touched other bytes"

finish
