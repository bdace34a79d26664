#!/usr/bin/env bash
# End-to-end checks of a built program under Xvfb: start-up failures with their box, a normal
# run ended by Escape or by closing the window, and the window's placement.
# Usage: program_test.sh CASE PROGRAM MAKE_TEST_MP3 X11_CLOSE
# Run under xvfb-run; SDL_AUDIODRIVER=dummy gives a real-time audio clock without a sound card.
# OMBREL_TEST_DATA names the generated data folder.
set -euo pipefail
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

# The id of the window titled exactly $1, or nothing.
window_id() { { xwininfo -name "$1" 2>/dev/null || true; } | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p'; }

# Sets $window to the window titled $1, waiting up to $2 seconds for it.
wait_for_window() {
    local deadline=$((SECONDS + $2))
    while [ $SECONDS -lt "$deadline" ]; do
        window=$(window_id "$1")
        [ -n "$window" ] && return 0
        kill -0 "$pid" 2>/dev/null || fail "the program ended before a window titled '$1' appeared"
        sleep 0.1
    done
    fail "no window titled '$1' within $2 s"
}

# Waits up to $1 seconds for the program to end; sets $rc to its exit code.
wait_for_exit() {
    local deadline=$((SECONDS + $1))
    while kill -0 "$pid" 2>/dev/null; do
        [ $SECONDS -lt "$deadline" ] || fail "the program did not end within $1 s"
        sleep 0.1
    done
    rc=0
    wait "$pid" || rc=$?
    pid=""
}

start() { "$program" >stdout.txt 2>stderr.txt & pid=$!; }

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
# warning (such as leaked device references).
expect_clean_exit() {
    wait_for_exit 20
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
*)
    fail "unknown case $case_name"
    ;;
esac
echo "ok: $case_name"
