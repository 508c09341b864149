#!/usr/bin/env bash
# render: the preview's notes unchanged, named notes at their pitch, a key-off's release.
. "$(dirname "$0")/cli_lib.sh"

# Algorithm 7 with only OP1 heard (TL 0), MUL 1, fastest rates: a plain sine at the note.
sine=07010101011f1f1f1f00000000000000000f0f0f0f7f7f7f00

# A table note without --hold is the preview's render, whichever way the length is given.
expect_exit 0 render "$sine" --raw default.raw
expect_exit 0 render "$sine" --note 1 --frames 131072 --raw one.raw
expect_same default.raw one.raw
expect_exit 0 render "$sine" --note 1 --seconds 1 --raw second.raw
[ "$(stat -c %s second.raw)" -eq 88200 ] || fail_check "--seconds 1 is not 44100 frames"

# Named notes: the pitch heard (zero crossings over a second) and the held-through length.
for pair in A4:440 C4:261.63 A#3:233.08 Db5:554.37 C2:65.41 G#8:6644.88; do
    name=${pair%%:*}
    hz=${pair##*:}
    expect_exit 0 render "$sine" --note "$name" --seconds 1 --raw "$name.raw"
    python3 - "$name.raw" "$hz" <<'PY' || fail_check "--note $name is not at $hz Hz"
import sys
data = open(sys.argv[1], "rb").read()
left = [b - 256 if b > 127 else b for b in data[0::2]]
ups = sum(1 for a, b in zip(left, left[1:]) if a < 0 <= b)
want = float(sys.argv[2])
assert abs(ups - want) <= max(2.0, want * 0.004), (ups, want)
PY
done

# --hold: sound until the key-off, then the release (RR 15: silent within milliseconds).
expect_exit 0 render "$sine" --note A#3 --hold 0.5 --seconds 1 -o held.wav
[ "$(stat -c %s held.wav)" -eq $((44 + 44100 * 4)) ] || fail_check "held.wav is not one second"
python3 - <<'PY' || fail_check "--hold 0.5 does not release at half a second"
import struct
data = open("held.wav", "rb").read()[44:]
left = struct.unpack("<%dh" % (len(data) // 2), data)[0::2]
before = max(abs(s) for s in left[21000:22050])
after = max(abs(s) for s in left[22050 + 1000:])
assert before > 4000 and after == 0, (before, after)
PY
# A hold of 0 keys off at once: with the fastest release nothing is heard.
expect_exit 0 render "$sine" --hold 0 --seconds 0.2 --raw nohear.raw
[ -z "$(tr -d '\000' <nohear.raw | head -c 1)" ] || fail_check "--hold 0 is heard"
# A hold past the end is the same as no key-off.
expect_exit 0 render "$sine" --note A#3 --seconds 0.5 --raw nohold.raw
expect_exit 0 render "$sine" --note A#3 --hold 3 --seconds 0.5 --raw longhold.raw
expect_same nohold.raw longhold.raw

# Bad notes and lengths are refused with one line.
for bad in 8 H3 C#10 "" A8; do
    expect_exit 1 render "$sine" --note "$bad" --raw bad.raw
    expect_one_error_line
done
expect_err "the chip plays notes up to G#8"
[ ! -e bad.raw ] || fail_check "a refused render wrote its output"
expect_exit 2 render "$sine" --seconds -1 --raw bad.raw
expect_exit 2 render "$sine" --seconds 1 --frames 10 --raw bad.raw
expect_exit 2 render "$sine" --hold -0.5 --raw bad.raw

finish
