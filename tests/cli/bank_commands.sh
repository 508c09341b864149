#!/usr/bin/env bash
# bank list/export/from-sysex/add/remove: file layout and limits.
. "$(dirname "$0")/cli_lib.sh"

"$KAVELO" demo-rom -o rom.bin >/dev/null || fail_check "demo-rom"
voice=3a7102130440c0a0800001820304050607f01e2d3c7f001020

expect_exit 0 bank export rom.bin --track 2 -o b.ymx
[ "$(stat -c %s b.ymx)" -eq $((8 + 9 * 35)) ] || fail_check "export size"
[ "$(head -c 6 b.ymx)" = "YM2612" ] || fail_check "bank magic"
expect_exit 0 bank list b.ymx
[ "$(wc -l <out.txt)" -eq 9 ] || fail_check "list shows 9 entries"
expect_out "8	Voice 8"

expect_exit 0 bank add new.ymx "$voice" --name "Warm Lead"
expect_exit 0 bank add new.ymx "$voice" --name "0123456789"
expect_exit 0 bank list --json new.ymx
python3 -c '
import json; d=json.load(open("out.txt"))
assert [e["name"] for e in d]==["Warm Lead","0123456789"], d
assert d[0]["hex"]=="'$voice'"' || fail_check "bank add round trip"
[ "$(stat -c %s new.ymx)" -eq 78 ] || fail_check "two entries make 78 bytes"
cp new.ymx before.ymx
expect_exit 1 bank add new.ymx "$voice" --name "Eleven Char"
expect_one_error_line
expect_err "at most 10 characters"
expect_same new.ymx before.ymx

expect_exit 0 bank remove new.ymx 0
expect_exit 0 bank list new.ymx
expect_out "0	0123456789"
expect_exit 1 bank remove new.ymx 5
expect_err "no entry 5"

# 128 entries is the limit.
python3 -c '
import sys
v=bytes.fromhex("'$voice'")
e=v[0:1]+b"".join(v[1+4*g:5+4*g][::-1] for g in range(6))
open("full.ymx","wb").write(b"YM2612\0\x80"+b"".join(e+("V%d"%i).encode().ljust(10,b"\0") for i in range(128)))'
cp full.ymx full-before.ymx
expect_exit 0 bank list full.ymx
[ "$(wc -l <out.txt)" -eq 128 ] || fail_check "128 entries listed"
expect_exit 1 bank add full.ymx "$voice" --name x
expect_err "128"
expect_same full.ymx full-before.ymx

# A bank whose count claims more than it holds is refused by name and count.
head -c $((8 + 35 * 3 + 10)) full.ymx >short.ymx
expect_exit 1 bank list short.ymx
expect_err "3 of 128"

# TX81Z dump to bank, names kept.
python3 -c '
d=bytearray([0xF0,0x43,0,4,0x20,0])
for i in range(32):
    v=bytearray(128); v[57:67]=("Patch %-4d"%i).encode(); d+=v
d+=bytes([0,0xF7]); open("d.syx","wb").write(d)'
expect_exit 0 bank from-sysex d.syx -o tx.ymx
expect_exit 0 bank list tx.ymx
[ "$(wc -l <out.txt)" -eq 32 ] || fail_check "32 TX81Z voices"
expect_out "31	Patch 31  "

finish
