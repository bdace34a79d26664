#!/usr/bin/env bash
# The Windows program under Wine and the Linux program, each started on the same data and ended
# with Escape, write the same log.txt: line for line, once the differences inherent to the two
# C runtimes are set aside (CR LF line ends, and how printf's %p spells an address).
# Usage: same_log_test.sh WINDOWS_BIN_DIR LINUX_PROGRAM   (from a scratch folder)
set -euo pipefail
windows_bin=$1 linux_program=$2
here=$(cd "$(dirname "$0")" && pwd)

"$here/../../scripts/wine" --run "$here/program_test.sh" escape "$windows_bin"

rm -rf linux && mkdir linux
(
    cd linux
    ln -s "$windows_bin/data" data
    SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 2560x1440x24" bash -c '
        "$0" >stdout.txt 2>stderr.txt & pid=$!
        window=$(timeout 120 xdotool search --sync --name "^Ombrel$" | head -n 1)
        sleep 3
        xdotool windowfocus "$window" key Escape
        wait "$pid"' "$linux_program"
)

normalise() { tr -d '\r' <"$1" | sed -E 's/^data = [^,]*, /data = ADDRESS, /'; }
if ! diff -u <(normalise linux/log.txt) <(normalise escape/log.txt) >log.diff; then
    echo "FAIL: the logs differ (Linux -, Windows +):" >&2
    head -n 40 log.diff >&2
    exit 1
fi
echo "ok: same log, $(wc -l <linux/log.txt) lines"
