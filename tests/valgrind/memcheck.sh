#!/usr/bin/env bash
# Runs one kavelo command under valgrind memcheck; any error or definite/indirect leak
# fails it. Usage: memcheck.sh render|vgm|play-track|commit KAVELO VALGRIND VGM_FILE
set -euo pipefail
check=$1
kavelo=$2
valgrind=$3
vgm=$4
if [ -z "$valgrind" ] || [ ! -x "$valgrind" ]; then
    echo "valgrind is not installed; skipped"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

memcheck() {
    "$valgrind" --quiet --error-exitcode=1 --leak-check=full \
        --errors-for-leak-kinds=definite,indirect --track-origins=yes "$kavelo" "$@"
}

case $check in
render)
    "$kavelo" demo-track -t 3 -o "$work/track.bin" >/dev/null
    memcheck render --from "$work/track.bin" --voice 0 --frames 4000 -o "$work/voice.wav"
    test -s "$work/voice.wav"
    ;;
vgm)
    memcheck vgm "$vgm" -o "$work/song.wav"
    test -s "$work/song.wav"
    ;;
play-track)
    "$kavelo" demo-rom -o "$work/rom.bin" >/dev/null
    memcheck play-track "$work/rom.bin" --track 8 --seconds 1 -o "$work/track.wav" 2>/dev/null
    memcheck play-track "$work/rom.bin" --track 8 --seconds 1 -o "$work/track.vgm" 2>/dev/null
    test -s "$work/track.wav" && test -s "$work/track.vgm"
    ;;
commit)
    "$kavelo" demo-rom -o "$work/rom.bin" >/dev/null
    cp "$work/rom.bin" "$work/before.bin"
    memcheck set-voice "$work/rom.bin" --track 2 --voice 1 \
        3a710213041f5f9fdf0001820304050607f01e2d3c7f001020
    # The commit changed the file but not its size.
    test "$(stat -c %s "$work/rom.bin")" = "$(stat -c %s "$work/before.bin")"
    if cmp -s "$work/rom.bin" "$work/before.bin"; then
        echo "set-voice left the ROM unchanged" >&2
        exit 1
    fi
    ;;
*)
    echo "unknown check $check" >&2
    exit 2
    ;;
esac
echo "valgrind $check: no error, no leak"
