#!/usr/bin/env bash
# Packs the programs already built in build/ with `scripts/package --no-build` and checks
# each release archive as a user gets it: no two entries whose names differ only in case
# (they would be one file on Windows), the listed files and their sums, and each program
# running from the unpacked folder: `--version` of the command, and the editor's main
# window under Wine (the GUI test main_window_opens_rom_images_and_tracks, run against the
# unpacked copy).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check_failed() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

scripts/package --no-build --dist "$work/dist" >/dev/null || { echo "FAIL: scripts/package --no-build" >&2; exit 1; }
version=$(sed -n -E 's/^#define KAVELO_VERSION_TEXT "(.*)"$/\1/p' build/native/generated/kavelo_version.h)

# check_entries ARCHIVE FOLDER FILE...: the archive holds exactly FOLDER/FILE... and
# SHA256SUMS, with no two names equal but for case.
check_entries() {
    local archive=$1 folder=$2
    shift 2
    local listing
    case "$archive" in
    *.zip) listing=$(unzip -Z1 "$archive") ;;
    *) listing=$(tar -tzf "$archive") ;;
    esac
    local clashes
    clashes=$(tr '[:upper:]' '[:lower:]' <<<"$listing" | sort | uniq -d)
    [ -z "$clashes" ] || check_failed "$(basename "$archive"): names that differ only in case: $clashes"
    local want=("$folder/")
    for file in "$@" user-guide.txt LICENSE SHA256SUMS; do
        want+=("$folder/$file")
    done
    [ "$(sort <<<"$listing")" = "$(printf '%s\n' "${want[@]}" | sort)" ] ||
        check_failed "$(basename "$archive") holds:"$'\n'"$listing"
}

# check_sums FOLDER: every file is listed in SHA256SUMS with its right sum.
check_sums() {
    (cd "$1" && sha256sum --quiet -c SHA256SUMS) || check_failed "$1: SHA256SUMS does not match"
}

name="kavelo-$version-linux-x86_64"
check_entries "$work/dist/$name.tar.gz" "$name" kavelo
mkdir -p "$work/linux" && tar -C "$work/linux" -xzf "$work/dist/$name.tar.gz"
check_sums "$work/linux/$name"
got=$("$work/linux/$name/kavelo" --version 2>&1)
[ "$got" = "kavelo $version" ] || check_failed "kavelo --version printed \"$got\""

for arch in x64 x86; do
    build=build/windows
    [ "$arch" = x86 ] && build=build/windows-x86
    name="kavelo-$version-windows-$arch"
    check_entries "$work/dist/$name.zip" "$name" KAVELO.exe kavelo-cli.exe
    folder="$work/$arch"
    mkdir -p "$folder" && unzip -q "$work/dist/$name.zip" -d "$folder"
    folder="$folder/$name"
    check_sums "$folder"
    # The command needs no display; it runs in the GUI tests' prefix of the same build.
    prefix="$root/$build/gui-tests/wineprefix"
    [ -f "$prefix/.kavelo-ready" ] || prefix="$work/wineprefix-$arch"
    got=$(WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        timeout 120 wine "$folder/kavelo-cli.exe" --version 2>/dev/null | tr -d '\r')
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1
    [ "$got" = "kavelo-cli $version" ] || check_failed "$arch kavelo-cli.exe --version printed \"$got\""
    bash tests/gui/run-gui-tests.sh --build-dir "$build" \
        --driver "$build/tests/gui/kavelo_gui_tests.exe" --app "$folder/KAVELO.exe" \
        --filter main_window_opens_rom_images_and_tracks >"$work/gui-$arch.log" 2>&1 ||
        check_failed "$arch KAVELO.exe: $(cat "$work/gui-$arch.log")"
done

if [ "$failures" -ne 0 ]; then
    echo "check-archives: $failures checks failed" >&2
    exit 1
fi
echo "check-archives: the three archives unpack and their programs run"
