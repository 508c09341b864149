#!/usr/bin/env bash
# Runs the GUI tests of KAVELO.exe under Wine in a virtual X screen.
#   run-gui-tests.sh --build-dir DIR --driver kavelo_gui_tests.exe --app KAVELO.exe
#                    [--prepare | --filter NAME]
# --prepare makes a fresh Wine prefix under DIR/gui-tests and stops. Otherwise the tests run
# (all, or the one named) against that prefix, which is made first if missing. Screenshots
# land in DIR/gui-screenshots. Xvfb and the prefix's wineserver always end with the script.
set -uo pipefail

build_dir="" driver="" app="" filter="" prepare_only=0
while [ $# -gt 0 ]; do
    case "$1" in
    --build-dir) build_dir=$2; shift 2 ;;
    --driver) driver=$2; shift 2 ;;
    --app) app=$2; shift 2 ;;
    --filter) filter=$2; shift 2 ;;
    --prepare) prepare_only=1; shift ;;
    *) echo "run-gui-tests.sh: unknown argument $1" >&2; exit 2 ;;
    esac
done
if [ -z "$build_dir" ] || [ -z "$driver" ] || [ -z "$app" ]; then
    echo "run-gui-tests.sh: --build-dir, --driver and --app are required" >&2
    exit 2
fi
for tool in wine wineboot wineserver Xvfb; do
    if ! command -v "$tool" >/dev/null; then
        echo "run-gui-tests.sh: $tool is missing (scripts/install-deps installs it)" >&2
        exit 1
    fi
done

build_dir=$(cd "$build_dir" && pwd)
state_dir="$build_dir/gui-tests"
screenshot_dir="$build_dir/gui-screenshots"
work_dir="$state_dir/work"
mkdir -p "$state_dir" "$screenshot_dir" "$work_dir"

export WINEPREFIX="$state_dir/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko install prompts
export WINEARCH=win64
export LC_ALL=C.UTF-8                      # English dialog titles and buttons
unset DISPLAY

xvfb_pid=""
cleanup() {
    # Only this prefix's wineserver, only our own Xvfb.
    if [ -d "$WINEPREFIX" ]; then
        wineserver -k >/dev/null 2>&1
        timeout 10 wineserver -w >/dev/null 2>&1
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

make_prefix() {
    echo "Creating a fresh Wine prefix in $WINEPREFIX"
    wineserver -k >/dev/null 2>&1
    rm -rf "$WINEPREFIX"
    if ! timeout 240 wineboot --init >"$state_dir/wineboot.log" 2>&1; then
        echo "wineboot failed; see $state_dir/wineboot.log" >&2
        return 1
    fi
    timeout 60 wineserver -w
    # Wine's own fonts (Marlett draws the caption buttons) where this Wine build looks for
    # them: its packaged data folder is not searched.
    if [ -d /usr/share/wine/fonts ]; then
        cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
    fi
    # Windows draw their own caption and frame: there is no window manager in Xvfb.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
    # Nor is there one to manage them: a managed window that is hidden waits up to 2 s for
    # a window manager's answer, so every window closed would take that long.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    timeout 60 wineserver -w
    touch "$WINEPREFIX/.kavelo-ready"
}

if [ "$prepare_only" -eq 1 ]; then
    rm -f "$screenshot_dir"/*.png "$screenshot_dir"/*.bmp # this run's pictures only
    rm -rf "${work_dir:?}"/*                              # and no earlier run's files
    make_prefix
    exit $?
fi
if [ ! -f "$WINEPREFIX/.kavelo-ready" ]; then
    make_prefix || exit 1
fi
# A run that was killed outright may have left its wineserver behind.
wineserver -k >/dev/null 2>&1

# Xvfb picks a free display itself and tells us which through a pipe.
display_pipe="$state_dir/display.$$"
rm -f "$display_pipe"
mkfifo "$display_pipe"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_pipe" >"$state_dir/xvfb.log" 2>&1 &
xvfb_pid=$!
display_number=""
read -r -t 15 display_number <"$display_pipe"
rm -f "$display_pipe"
if [ -z "$display_number" ]; then
    echo "Xvfb did not start; see $state_dir/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$display_number"

# Sound: ALSA's default device writes what the program plays into a file the tests read
# (16-bit little-endian stereo at 44100 Hz, the preview's own format).
sound_home="$state_dir/home"
mkdir -p "$sound_home"
cat >"$sound_home/.asoundrc" <<ASOUND
pcm.!default {
    type plug
    slave { pcm "kavelo_capture"; format S16_LE; rate 44100; channels 2 }
}
pcm.kavelo_capture {
    type file
    slave.pcm "null"
    file "$work_dir/sound-capture.raw"
    format "raw"
}
ASOUND
export HOME="$sound_home"

args=(--app "$app" --work "$work_dir" --screenshots "$screenshot_dir")
limit=900
if [ -n "$filter" ]; then
    args+=(--filter "$filter")
    limit=100 # below CTest's limit for one test, so this script still cleans up
fi
# The Open dialog's drive probe makes Wine complain about Z:; that line is noise here.
timeout "$limit" wine "$driver" "${args[@]}" 2> >(grep -v 'FS volume label and serial are not available' >&2)
status=$?

# PNG copies of the screenshots, for any image viewer.
if command -v convert >/dev/null; then
    for bmp in "$screenshot_dir"/*.bmp; do
        [ -e "$bmp" ] || continue
        convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
    done
fi
exit "$status"
