#!/usr/bin/env bash
# Our bass.dll under Wine: run inside the Wine root as
#   scripts/wine --run tests/windows/bass_test.sh build/windows/bin
# The folder holds bass.dll, bass-check.exe, data/music.mp3 and the Linux references that
# scripts/windows-build writes to bass-reference/ (the Linux decode of the music, a test tone).
set -u
bin=${1:?usage: bass_test.sh BUILD_BIN_DIR}
text_file=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
cd "$bin" || exit 1
passed=0
failed=0

# One check: a name, then the command; it passes when the command exits 0 within a minute.
check() {
  local name=$1; shift
  echo "== $name"
  if timeout 60 "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}

# Wine brings its prefix up on the first call; that start is not part of any check.
timeout 120 wineboot >/dev/null 2>&1

check "no sound driver: BASS_Init fails" \
  env WINEDLLOVERRIDES="winealsa.drv,winepulse.drv=d" wine bass-check.exe no-device
# Bad music files fail with one line and no crash: missing, cut short, not MP3 at all.
head -c 100000 data/music.mp3 >/tmp/cut.mp3
check "missing music file" wine bass-check.exe bad-file no/such/music.mp3
check "truncated music file" wine bass-check.exe bad-file /tmp/cut.mp3
check "a text file as music" wine bass-check.exe bad-file "$text_file"
# Wine's MP3 codec is libmpg123 like the Linux layer: the same samples within rounding. Windows'
# own codec is another decoder; there the comparison needs a looser tolerance.
check "decode equals the Linux decode" \
  wine bass-check.exe decode data/music.mp3 bass-reference/music.pcm 4
# Wine's null sound device takes buffers about 3x faster than real time.
check "position at real time on the null device" wine bass-check.exe position data/music.mp3 5
check "spectrum of a known tone" wine bass-check.exe spectrum bass-reference/tone.mp3
# Music at other rates, and mono and stereo tracks joined: decoded as on Linux, the position in
# the file's own time.
for name in 48k 22k 8k joined; do
  check "decode of $name equals the Linux decode" \
    wine bass-check.exe decode "bass-reference/tone-$name.mp3" "bass-reference/tone-$name.pcm" 4
  check "position of $name at real time" wine bass-check.exe position "bass-reference/tone-$name.mp3" 2
done
# The device failing while it plays: the position runs on the clock, with one line saying so.
check "a failing device: the position runs on" \
  sh -c 'wine bass-check.exe lost-device data/music.mp3 2>/tmp/lost.txt; code=$?; cat /tmp/lost.txt >&2
         [ "$(grep -c "sound device failed" /tmp/lost.txt)" = 1 ] && exit $code; exit 1'

check "why a file is refused reaches the debugger" wine bass-check.exe reason-for-the-debugger /tmp/cut.mp3
# Exit with the player running, as after a failed start: nothing of it runs at DLL detach.
check "nothing runs at detach" sh -c 'wine bass-check.exe exit-while-playing data/music.mp3 >/tmp/exit.txt
  code=$?; cat /tmp/exit.txt; [ $code = 0 ] && ! grep -q FAILED /tmp/exit.txt'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
