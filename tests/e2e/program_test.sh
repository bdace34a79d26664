#!/usr/bin/env bash
# End-to-end checks of a built program under Xvfb: start-up failures with their box, a normal
# run ended by Escape or by closing the window, the window's placement and how the fullscreen
# picture fills the screen.
# Usage: program_test.sh CASE PROGRAM MAKE_TEST_MP3 X11_CLOSE
# Run under xvfb-run; SDL_AUDIODRIVER=dummy gives a real-time audio clock without a sound card.
# OMBREL_TEST_DATA names the generated data folder.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
case_name=$1 program=$2 make_mp3=$3 x11_close=$4

work=$(mktemp -d)
pid=""
cleanup() {
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

fail() {
    echo "FAIL: $*" >&2
    for f in log.txt stderr.txt; do [ -s $f ] && { echo "--- $f:" >&2; cat $f >&2; }; done
    exit 1
}

. "$here/../support/program-wait.sh"

# Starts the program with the arguments given and those in $OMBREL_ARGS.
start() {
    # shellcheck disable=SC2086 # the options are words
    "$program" "$@" ${OMBREL_ARGS:-} >stdout.txt 2>stderr.txt &
    pid=$!
}

# The generated scenes and textures ($OMBREL_TEST_DATA) with a short music file of $1 seconds.
make_data() {
    mkdir -p data
    ln -s "$OMBREL_TEST_DATA"/*.bin "$OMBREL_TEST_DATA"/*.dds data/
    "$make_mp3" data/music.mp3 "$1" >/dev/null
}

# A start-up failure shows one box titled "ERROR" before any program window exists.
expect_startup_failure() {
    local message=$1
    start
    wait_for_window ERROR 60
    [ -z "$(window_id Ombrel)" ] || fail "the program's window exists beside the box"
    xdotool windowfocus "$window"
    xdotool key Return
    wait_for_exit 10
    [ "$rc" = 1 ] || fail "exit code $rc, expected 1"
    [ "$(cat log.txt)" = "Starting application...
[ERROR] $message" ] || fail "unexpected log"
}

# A normal run logs "Shutdown..." and ends with "Exit." as the last line, exit code 0 and no
# warning (such as leaked device references), within $1 seconds (60: a frame at 2560x1440 takes
# seconds on a busy machine).
expect_clean_exit() {
    wait_for_exit "${1:-60}"
    [ "$rc" = 0 ] || fail "exit code $rc, expected 0"
    [ "$(head -n 1 log.txt)" = "Starting application..." ] || fail "log does not start right"
    grep -qx 'Shutdown\.\.\.' log.txt || fail "no Shutdown... in the log"
    [ "$(tail -n 1 log.txt)" = "Exit." ] || fail "the log does not end with Exit."
    if grep -q WARNING log.txt; then fail "warning in the log"; fi
}

case $case_name in
missing-music)
    expect_startup_failure "Failed to open music file."
    ;;
no-audio-device)
    make_data 2
    export SDL_AUDIODRIVER=nosuchdriver
    expect_startup_failure "Failed to init bass"
    ;;
escape)
    make_data 20
    start
    wait_for_window Ombrel 60
    sleep 1
    xdotool windowfocus "$window"
    xdotool key a  # other keys have no effect
    sleep 0.5
    kill -0 "$pid" || fail "another key ended the program"
    xdotool key Escape
    expect_clean_exit
    ;;
escape-after-motion)
    # Pointer motion queues an event per move: Escape must not wait behind three seconds of them.
    make_data 20
    start
    wait_for_window Ombrel 60
    xdotool windowfocus "$window"
    moves=()
    for i in $(seq 200); do moves+=(mousemove --window "$window" $((i * 9)) $((i * 5))); done
    deadline=$((SECONDS + 3))
    while [ $SECONDS -lt $deadline ]; do xdotool "${moves[@]}"; done
    xdotool key Escape
    expect_clean_exit 5
    ;;
signal)
    # Usage: program_test.sh signal PROGRAM ... SIGNAL: the same orderly end as Escape.
    make_data 20
    start
    wait_for_window Ombrel 60
    sleep 1
    kill -s "$5" "$pid"
    expect_clean_exit
    ;;
natural-end)
    # The whole presentation, on the generated music, to its own end at 150 s.
    mkdir data && ln -s "$OMBREL_TEST_DATA"/* data/
    start
    expect_clean_exit 240
    ;;
sound-device-lost)
    # SDL's disk driver writes the sound to a file system that fills after about 3 s: SDL then
    # takes the device away, and the presentation must still run on to its end.
    mkdir data sound && ln -s "$OMBREL_TEST_DATA"/* data/
    export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/sound/out.raw
    if [ "$(id -u)" = 0 ]; then isolate=(unshare --mount); else isolate=(unshare -rm); fi
    "${isolate[@]}" sh -c 'mount -t tmpfs -o size=512k ombrel-sound sound && exec "$0"' \
        "$program" >stdout.txt 2>stderr.txt &
    pid=$!
    expect_clean_exit 240
    [ "$(grep -c 'sound device' log.txt)" = 1 ] || fail "no single line about the lost device"
    ;;
read-only-folder)
    # log.txt cannot be written: the warning on stderr, and the program runs as ever.
    make_data 20
    if [ "$(id -u)" = 0 ]; then isolate=(unshare --mount); else isolate=(unshare -rm); fi
    "${isolate[@]}" sh -c 'mount --bind . . && mount -o remount,bind,ro . && cd "$PWD" && exec "$0"' \
        "$program" >stdout.txt 2>stderr.txt &
    pid=$!
    wait_for_window Ombrel 60
    xdotool windowfocus "$window"
    xdotool key Escape
    wait_for_exit 60
    [ "$rc" = 0 ] || fail "exit code $rc, expected 0"
    [ ! -e log.txt ] || fail "log.txt was written"
    [ "$(head -n 1 stderr.txt)" = "[WARNING] Failed to create log file!" ] || fail "no warning"
    ;;
options)
    # Usage: program_test.sh options PROGRAM ... VERSION: --version, --help, and a bad option.
    name=$(basename "$program")
    [ "$("$program" --version)" = "$name $5" ] || fail "--version says '$("$program" --version)'"
    "$program" --help >stdout.txt || fail "--help failed"
    grep -q "^Usage: $name \[--size WxH\]" stdout.txt || fail "--help shows no usage"
    rc=0
    "$program" --size 12 2>stderr.txt || rc=$?
    [ "$rc" = 2 ] || fail "a bad option: exit code $rc, expected 2"
    [ "$(cat stderr.txt)" = "$name: --size wants WIDTHxHEIGHT, each 64 to 16384 (see --help)" ] ||
        fail "a bad option says '$(cat stderr.txt)'"
    [ ! -e log.txt ] || fail "a log was written"
    ;;
display)
    # Beside a 1920x1080 screen, a 1280x720 one to its right: --display 1 opens there, the
    # window fitted to it.
    make_data 20
    start --display 1
    wait_for_window Ombrel 60
    eval "$(xdotool getwindowgeometry --shell "$window")"
    [ "$X $Y $WIDTH $HEIGHT" = "1920 0 1280 720" ] ||
        fail "window at $X,$Y size ${WIDTH}x$HEIGHT, expected 1920,0 size 1280x720"
    xdotool windowfocus "$window"
    xdotool key Escape
    expect_clean_exit
    ;;
close)
    make_data 20
    start
    wait_for_window Ombrel 60
    sleep 1
    "$x11_close" Ombrel
    expect_clean_exit
    ;;
placement)
    # Usage: program_test.sh placement PROGRAM ... X Y W H
    make_data 20
    start
    wait_for_window Ombrel 60
    eval "$(xdotool getwindowgeometry --shell "$window")"
    [ "$X $Y $WIDTH $HEIGHT" = "$5 $6 $7 $8" ] ||
        fail "window at $X,$Y size ${WIDTH}x$HEIGHT, expected $5,$6 size $7x$8"
    xdotool windowfocus "$window"
    xdotool key Escape
    expect_clean_exit
    ;;
fill)
    # Usage: program_test.sh fill PROGRAM ... CAPTURE PICTURE X Y W H: the screen rectangle the
    # picture must fill, scaled, with pure black around it.
    capture=$5 picture=$6 rx=$7 ry=$8 rw=$9 rh=${10}
    make_data 20
    # The intro title's box in the capture tool's frame at 1 s: the same picture, unscaled. The
    # title stands still for the first seconds, when the first frame on the screen is measured.
    mkdir ref && ln -s ../data ref/data
    (cd ref && "$capture" --png-dir . --at 1 --size 640x360 --fps 10 >/dev/null 2>&1) ||
        fail "the capture tool failed"
    ffmpeg -loglevel error -i ref/at-001.000.png ref.ppm
    read -r cw ch _ _ _ _ cx0 cy0 cx1 cy1 <<<"$("$picture" ref.ppm)"
    start
    wait_for_window Ombrel 60
    eval "$(xdotool getwindowgeometry --shell "$window")"
    screen=$(xwininfo -root | sed -n 's/.*geometry \([0-9]*x[0-9]*\).*/\1/p')
    [ "$X $Y ${WIDTH}x$HEIGHT" = "0 0 $screen" ] ||
        fail "window at $X,$Y size ${WIDTH}x$HEIGHT on a $screen screen"
    shot=$("$picture" --screen 60) || fail "no picture on the screen"
    read -r _ _ px0 py0 px1 py1 bx0 by0 bx1 by1 <<<"$shot"
    # $1 within [$2, $3], or fail naming $4.
    within() { [ "$1" -ge "$2" ] && [ "$1" -le "$3" ] || fail "$4 at $1, expected $2..$3 ($shot)"; }
    # Nothing outside the rectangle; its edge rows of the picture may be black themselves.
    within "$px0" "$rx" $((rx + 2)) "picture's left edge"
    within "$py0" "$ry" $((ry + 2)) "picture's top edge"
    within "$px1" $((rx + rw - 3)) $((rx + rw - 1)) "picture's right edge"
    within "$py1" $((ry + rh - 3)) $((ry + rh - 1)) "picture's bottom edge"
    # The title where the capture's lies, scaled to the rectangle; the slack is for the frame's
    # moment, which moves the scene behind the title's lower edge by up to 1 % of the height.
    near() { within "$1" $(($2 - $3)) $(($2 + $3)) "$4"; }
    near "$bx0" $((rx + cx0 * rw / cw)) $((rw / 100)) "title's left edge"
    near "$bx1" $((rx + (cx1 + 1) * rw / cw - 1)) $((rw / 100)) "title's right edge"
    near "$by0" $((ry + cy0 * rh / ch)) $((rh / 50)) "title's top edge"
    near "$by1" $((ry + (cy1 + 1) * rh / ch - 1)) $((rh / 50)) "title's bottom edge"
    xdotool windowfocus "$window"
    xdotool key Escape
    expect_clean_exit
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac
echo "ok: $case_name"
