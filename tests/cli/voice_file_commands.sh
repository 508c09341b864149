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

# Damaged and mislabelled files: one error naming the file, nothing written.
head -c 30 one.dmp >cut.dmp
expect_exit 1 voices cut.dmp
expect_one_error_line
expect_err "cut.dmp"
expect_exit 1 convert cut.dmp -o never.tfi
[ ! -e never.tfi ] || fail_check "a refused input wrote a file"
head -c 500 all.wopn >cut.wopn
expect_exit 1 bank list cut.wopn
expect_err "claims"
expect_exit 1 convert one.dmp -o out.fui
expect_err "no writable format"
printf '@:0 x\nCH: 64 0 9 0 0 120 0\n' >bad.opm
expect_exit 1 voices bad.opm
expect_err "Line 2"

finish
