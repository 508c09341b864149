#!/usr/bin/env bash
# Instrument and bank files: voices, convert, export-voice, set-voice --from and the bank
# commands over every format, the notes on standard error and refused files.
. "$(dirname "$0")/cli_lib.sh"

"$KAVELO" demo-rom -o rom.bin >/dev/null || fail_check "demo-rom"
"$KAVELO" voices rom.bin --track 2 | grep '^voice ' | awk '{print $3}' >track.hex

# One voice of the track into every single-instrument format and back.
want=$(sed -n 2p track.hex)
for ext in dmp tfi vgi opni y12 eif; do
    expect_exit 0 export-voice rom.bin --track 2 --voice 1 -o "one.$ext"
    expect_exit 0 voices "one.$ext"
    expect_out "voice 0: $want"
done

# Several files in one run, each after its name; a refused one fails the run, not the rest.
expect_exit 1 voices one.dmp missing.tfi one.y12
expect_out "==> one.y12"
[ "$(grep -c "^voice 0: $want" out.txt)" -eq 2 ] || fail_check "both readable files listed"
expect_err "missing.tfi"

# The whole track through every bank format, and each bank into every other and back.
for ext in ymx wopn gyb opm; do
    expect_exit 0 bank export rom.bin --track 2 -o "all.$ext"
    expect_exit 0 bank list "all.$ext"
    [ "$(awk '{print $NF}' out.txt)" = "$(cat track.hex)" ] || fail_check "bank $ext differs from the track"
done
for a in ymx wopn gyb opm; do
    for b in ymx wopn gyb opm; do
        expect_exit 0 convert "all.$a" -o "via-$a.$b"
        expect_exit 0 convert "via-$a.$b" -o "back-$a-$b.$a"
        expect_exit 0 voices --json "back-$a-$b.$a"
        python3 -c '
import json,sys; d=json.load(open("out.txt"))
want=open("track.hex").read().split()
assert [v["hex"] for v in d["voices"]]==want, (sys.argv[1], d["voices"])
assert [v["name"] for v in d["voices"]]==["Voice %d"%i for i in range(9)]' "$a-$b" ||
            fail_check "$a -> $b -> $a changed the voices"
    done
done

# A single-instrument output takes one voice, chosen with --entry.
expect_exit 1 convert all.gyb -o many.dmp
expect_err "--entry"
[ ! -e many.dmp ] || fail_check "a refused convert wrote a file"
expect_exit 0 convert all.gyb --entry 4 -o four.y12
expect_exit 0 voices four.y12
expect_out "voice 0: $(sed -n 5p track.hex) Voice 4"

# set-voice from any readable file; a file of several voices needs --entry.
expect_exit 0 set-voice rom.bin --track 0 --voice 0 --from one.vgi
expect_exit 0 voices rom.bin --track 0
expect_out "voice 0: $want"
expect_exit 1 set-voice rom.bin --track 0 --voice 0 --from all.wopn
expect_err "--entry"
expect_exit 0 set-voice rom.bin --track 2 --voice 7 --from all.opm --entry 8
expect_exit 0 voices rom.bin --track 2
expect_out "voice 7: $(sed -n 9p track.hex)"

# bank add and remove keep a bank in its own format.
expect_exit 0 bank add all.gyb "$want" --name "A name longer than ten"
expect_exit 0 bank remove all.gyb 0
expect_exit 0 bank list all.gyb
[ "$(wc -l <out.txt)" -eq 9 ] || fail_check "gyb add/remove count"
expect_out "A name longer than ten"
[ "$(head -c 3 all.gyb | od -An -tu1 | tr -s ' ')" = " 26 12 3" ] || fail_check "gyb stays a gyb"

# Dropped fields are noted once per file on standard error, and only when not zero.
python3 -c '
d=bytearray(open("one.tfi","rb").read())
d[11]=9; d[21]=10
open("ssg.tfi","wb").write(d)'
expect_exit 0 voices ssg.tfi
[ "$(grep -c 'note: dropped' err.txt)" -eq 1 ] || fail_check "one dropped-field note"
expect_err "SSG-EG"
expect_exit 0 voices one.tfi
[ ! -s err.txt ] || fail_check "a note without a dropped field: $(cat err.txt)"

# Content before extension: a WOPN bank named .tfi is read as the bank it is.
cp all.wopn disguised.tfi
expect_exit 0 voices disguised.tfi
expect_out "WOPN Bank: 9 voices"

# A WOPN bank as real ones are: named sets, voices at scattered programs, drums in a
# percussion set, and a named slot with no voice in it.
python3 - <<'PY'
import struct
sets = [(b"Melodic", 0, 0), (b"Strings", 0, 1), (b"Drums", 0, 0)]
voices = {(0, 0): b"Piano", (0, 48): b"Strings", (1, 5): b"Lead", (2, 36): b"Kick"}
d = bytearray(b"WOPN2-B2NK\0") + struct.pack("<H", 2) + struct.pack(">HH", 2, 1) + b"\0"
for name, lsb, msb in sets:
    d += name.ljust(32, b"\0") + bytes([lsb, msb])
for s in range(3):
    for p in range(128):
        ins = bytearray(69)
        if (s, p) in voices:
            ins[0:32] = voices[(s, p)].ljust(32, b"\0")
            ins[35] = 0x20 + p % 8
            used = [0x7F, 0x7F, 0xDF, 0x9F, 0x1F, 0xFF, 0]  # the bits each register uses
            ins[37:65] = bytes((s * 7 + p + 3 * k) & used[k % 7] for k in range(28))
            ins[65:69] = b"\x7f\xff\x7f\xff"
        elif (s, p) == (0, 1):
            ins[0:5] = b"Empty"
        d += ins
open("real.wopn", "wb").write(d)
empty = 18 + 3 * 34 + 69  # a blank slot written back has no name
open("expected.wopn", "wb").write(d[:empty] + bytes(5) + d[empty + 5:])
PY
expect_exit 0 voices real.wopn
expect_out "WOPN Bank: 4 voices"
expect_exit 0 convert real.wopn -o copy.wopn
expect_same expected.wopn copy.wopn
[ ! -s err.txt ] || fail_check "a WOPN bank into WOPN noted a loss: $(cat err.txt)"
expect_exit 0 convert real.wopn --entry 3 -o kick.wopn
python3 -c '
d=open("kick.wopn","rb").read()
assert d[13:17]==bytes([0,1,0,1]), d[13:17]
at=18+2*34+(128+36)*69
assert d[at:at+4]==b"Kick", "the drum stays at its key in the percussion set"' ||
    fail_check "one drum of a WOPN bank moved"
# Through other formats and back, as before: the same voices in the same order.
expect_exit 0 voices --json real.wopn
python3 -c 'import json; print(" ".join(v["hex"] for v in json.load(open("out.txt"))["voices"]))' >real.hex
for via in gyb opm ymx; do
    expect_exit 0 convert real.wopn -o "real.$via"
    expect_exit 0 convert "real.$via" -o "back-$via.wopn"
    expect_exit 0 voices --json "back-$via.wopn"
    [ "$(python3 -c 'import json; print(" ".join(v["hex"] for v in json.load(open("out.txt"))["voices"]))')" = "$(cat real.hex)" ] ||
        fail_check "wopn -> $via -> wopn changed the voices"
done
expect_exit 0 convert real.wopn --entry 2 -o lead.opni
expect_exit 0 convert lead.opni -o lead.wopn
expect_exit 0 voices lead.wopn
expect_out "voice 0: $(echo $(cat real.hex) | cut -d' ' -f3) Lead"
cp real.wopn long.wopn
printf '\0' >>long.wopn
expect_exit 1 voices long.wopn
expect_one_error_line
expect_err "long.wopn: The file is 26617 bytes long, but a WOPN bank of version 2 with 2 melodic and 1 percussion set is 26616 bytes."

# Damaged and mislabelled files: one error naming the file, nothing written.
head -c 30 one.dmp >cut.dmp
expect_exit 1 voices cut.dmp
expect_one_error_line
expect_err "cut.dmp"
expect_exit 1 convert cut.dmp -o never.tfi
[ ! -e never.tfi ] || fail_check "a refused input wrote a file"
head -c 500 all.wopn >cut.wopn
expect_exit 1 bank list cut.wopn
expect_err "cut.wopn: The file is 500 bytes long, but a WOPN bank of version 2 with 1 melodic and 1 percussion set is 17750 bytes."
cat one.dmp >long.dmp
printf 'x' >>long.dmp
expect_exit 1 voices long.dmp
expect_one_error_line
expect_err "long.dmp: The file is 52 bytes long, but a DefleMask FM preset of version 11 is 51 bytes."
expect_exit 1 convert one.dmp -o out.fui
expect_err "no writable format"
printf '@:0 x\nCH: 64 0 9 0 0 120 0\n' >bad.opm
expect_exit 1 voices bad.opm
expect_err "The voice \"x\" of line 1 lacks some of its LFO, CH, M1, C1, M2 and C2 lines."
printf '@:0 x\nLFO: 0 0 0 0 0\nCH: 64 0 9 0 0 120 0\nM1: 31 0 0 0 0 0 6 1 0 0 0\n' >real.opm
printf 'C1: 31 0 0 0 0 0 0 1 0 0 0\nM2: 31 0 0 0 0 0 5 1 0 0 0\nC2: 31 0 0 0 0 0 0 1 0 0 0\n' >>real.opm
expect_exit 0 voices real.opm
expect_out "OPM Text Bank: 1 voice"
[ "$(grep -c 'note: read values past' err.txt)" -eq 1 ] || fail_check "one out-of-range note: $(cat err.txt)"
expect_err "real.opm: note: read values past their field's range by their low bits, as the chip does: CON, KS"

finish
