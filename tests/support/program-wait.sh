# Waiting on a program under test and its X11 windows, for the end-to-end scripts of both
# builds. The caller defines fail MESSAGE and keeps the program's process id in $pid.

# The id of the window titled exactly $1, or nothing.
window_id() { { xwininfo -name "$1" 2>/dev/null || true; } | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p'; }

# Whether window $1 is mapped and can take the keyboard's focus.
viewable() { { xwininfo -id "$1" 2>/dev/null || true; } | grep -q 'Map State: IsViewable'; }

# Sets $window to the window titled $1, waiting up to $2 seconds for it to be shown: a window
# exists a while before it is mapped (seconds on a loaded machine), and a key sent to it then
# would go elsewhere.
wait_for_window() {
    local deadline=$((SECONDS + $2))
    while [ $SECONDS -lt "$deadline" ]; do
        window=$(window_id "$1")
        [ -n "$window" ] && viewable "$window" && return 0
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
