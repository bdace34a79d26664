#!/usr/bin/env bash
# The same moments drawn by the Linux capture (OpenGL) and the Windows capture under Wine
# (Direct3D 11, wined3d or DXVK as OMBREL_D3D says) on the same data, compared pair by pair; the
# pairs stay as frames/gl/ and frames/d3d11/ (and -still/ without particles), beside
# frames/sheet.png.
# Usage: frames_test.sh WINDOWS_BIN_DIR LINUX_BIN_DIR   (from a scratch folder)
set -euo pipefail
windows_bin=$1 linux_bin=$2
here=$(cd "$(dirname "$0")" && pwd)
moments=0,12,20,27,44,56,72,89,100,116,133,140
# One run per back end: every moment of one clock. Stepping the particles through the frames in
# between costs most of the time (under Wine about half a second a frame here), hence 2 frames a
# second: the particles then move in bigger steps, the same ones on both back ends.
options=(--at "$moments" --fps 2 --size 480x270)

mkdir -p frames && cd frames
rm -rf gl d3d11 gl-still d3d11-still sheet.png
ln -sfn "$windows_bin/data" data
# Each back end twice: the whole picture, and without the particles' draw (still simulated),
# which two implementations should draw alike to the last bits.
for run in "gl" "gl-still --no-particles"; do
    set -- $run
    start=$SECONDS
    nice "$linux_bin/ombrel-capture" --png-dir "$@" "${options[@]}" >"$1.log" 2>&1 ||
        { cat "$1.log" >&2; exit 1; }
    echo "OpenGL capture ($1): $((SECONDS - start)) s"
done
for run in "d3d11" "d3d11-still --no-particles"; do
    set -- $run
    start=$SECONDS
    # Wine runs the program from this folder (data/ is the link above); the log goes to log.txt.
    nice "$here/../../scripts/wine" "$windows_bin/ombrel-capture.exe" --png-dir "$@" \
        "${options[@]}" >"$1.log" 2>&1 || { cat "$1.log" >&2; exit 1; }
    echo "Direct3D 11 capture under Wine ($1, ${OMBREL_D3D:-wined3d}): $((SECONDS - start)) s"
done
# The particles carry state from frame to frame, so last-bit differences between GPUs grow into
# other paths: the picture without them is compared pixel by pixel, the whole one pixel by pixel
# only in the particles' first seconds on screen (to 20 s) and by blocks after.
status=0
"$linux_bin/ombrel-compare-frames" gl-still d3d11-still || status=1
"$linux_bin/ombrel-compare-frames" --coarse-after 20 gl d3d11 sheet.png at-027.000.png \
    at-072.000.png at-116.000.png || status=1
exit $status
