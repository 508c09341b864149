#!/usr/bin/env bash
# voices SONG.vgm|.vgz and bank from-vgm: voices out of music logs, as text, JSON and a bank.
. "$(dirname "$0")/cli_lib.sh"

# make_log OUT VOICE:SLOT... : a VGM 1.50 log that loads each 50-hex-digit working-order
# voice into the slot's channel (0-2 part I, 4-6 part II) and keys it on.
make_log() {
    python3 - "$@" <<'PY'
import sys
out, keyons = sys.argv[1], sys.argv[2:]
d = bytearray(0x40); d[0:4] = b"Vgm "; d[8] = 0x50; d[9] = 1; d[0x34] = 0x0C
for keyon in keyons:
    hexv, slot = keyon.split(":"); v = bytes.fromhex(hexv); slot = int(slot)
    part, c = slot >> 2, slot & 3
    w = lambda r, x: d.extend([0x52 + part, r, x])
    w(0xB0 + c, v[0])
    for g, base in enumerate([0x3C, 0x5C, 0x6C, 0x7C, 0x8C, 0x4C]):
        for k in range(4):
            w(base - 4 * k + c, v[1 + 4 * g + k])
    d.extend([0x52, 0x28, 0xF0 | slot, 0x62])
d.append(0x66)
open(out, "wb").write(d)
PY
}

lead=0471320131 # algorithm 4: carriers OP4, OP3 (the first two TL bytes)
lead=${lead}1f1f1f1f0a0b0c0d010203041f2f3f4f
bass=3a010203045f5e5d5c81828384050607080102030400111213
make_log song.vgm "${lead}10202a30:0" "${bass}:6" "${lead}10202a30:1" "${lead}08182a30:2"

expect_exit 0 voices song.vgm
expect_out "song.vgm: 3 voices"
expect_out "voice 0: ${lead}10202a30  channel 1, 2 key-ons, \"ch1 #2\""
expect_out "voice 1: ${bass}  channel 6, 1 key-ons, \"ch6 #1\""
expect_out "voice 2: ${lead}08182a30  channel 3, 1 key-ons, \"ch3 #1\""
expect_out "    ALG 4  FBL 0"

# A log is known by its first bytes whatever its name.
cp song.vgm song.log
expect_exit 0 voices song.log
expect_out "song.log: 3 voices"

expect_exit 0 voices song.vgm --merge-volume --json
python3 -c '
import json; d=json.load(open("out.txt"))
v=d["voices"]
assert [x["hex"] for x in v]==["'${lead}08182a30'", "'${bass}'"], v
assert [(x["channel"], x["key_ons"], x["name"]) for x in v]==[(1,3,"ch1 #3"),(6,1,"ch6 #1")], v
assert v[0]["alg"]==4 and len(v[0]["operators"])==4' || fail_check "merged JSON"

gzip -c song.vgm >song.vgz
expect_exit 0 voices song.vgz
expect_out "song.vgz: 3 voices"

# Two logs into one bank: the voice they share is listed once.
make_log other.vgm "${bass}:0" "${lead}20302a30:4"
expect_exit 0 bank from-vgm song.vgz other.vgm -o logs.ymx
expect_exit 0 bank list logs.ymx
[ "$(wc -l <out.txt)" -eq 4 ] || fail_check "4 distinct voices in the bank: $(cat out.txt)"
expect_out "1	ch6 #2"
expect_exit 0 bank from-vgm song.vgz other.vgm -o merged.ymx --merge-volume
expect_exit 0 bank list merged.ymx
[ "$(wc -l <out.txt)" -eq 2 ] || fail_check "volume variants merged in the bank"
expect_out "0	ch1 #4"

# A cut-off log names the file and the offset of the cut command; nothing is written.
head -c 69 song.vgm >cut.vgm
expect_exit 1 voices cut.vgm
expect_one_error_line
expect_err "cut.vgm: offset 0x43: the data ends inside command 0x52"
cp logs.ymx before.ymx
expect_exit 1 bank from-vgm song.vgm cut.vgm -o logs.ymx
expect_err "offset 0x43"
expect_same logs.ymx before.ymx
head -c 30 song.vgz >cut.vgz
expect_exit 1 voices cut.vgz
expect_err "gzip data is damaged or cut short"
# A file named as a log that is none gets the log's error, not a reading as a bare track.
head -c 200 /dev/zero >blank.VGM
expect_exit 1 voices blank.VGM
expect_one_error_line
expect_err "blank.VGM"

# More distinct voices than a bank holds: refused, nothing written.
python3 -c '
import sys
specs=[]
for i in range(130):
    specs.append(("00"+"01"*20+"%02x"%(i%128)+"7f7f%02x"%(i//128))+":0")
print(" ".join(specs))' >specs.txt
make_log many.vgm $(cat specs.txt)
expect_exit 0 voices many.vgm
expect_out "many.vgm: 130 voices"
expect_exit 1 bank from-vgm many.vgm -o logs.ymx
expect_err "130 distinct voices"
expect_same logs.ymx before.ymx

# A log without a YM2612 key-on.
make_log empty.vgm
expect_exit 0 voices empty.vgm
expect_out "empty.vgm: 0 voices"
expect_exit 1 bank from-vgm empty.vgm -o none.ymx
expect_err "no YM2612 voice"
[ ! -e none.ymx ] || fail_check "no bank for a log without voices"

finish
