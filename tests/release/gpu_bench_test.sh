#!/usr/bin/env bash
# The GPU benchmark kit (scripts/gpu-bundle) tried from its tarball alone, in a throwaway copy of a
# Debian root holding Mesa's EGL drivers and nothing of the build (scripts/release-env): a short
# run generates the data, prints the table and writes JSON with every figure; without an EGL driver
# it stops at once with one line that says so.
# Usage: gpu_bench_test.sh ROOT_NAME BUNDLE.tar.gz   (as root, or through sudo)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ "$(id -u)" -ne 0 ]; then exec sudo --preserve-env=OMBREL_ROOTS "$0" "$@"; fi

if [ "${OMBREL_BENCH_INSIDE:-}" != 1 ]; then
  root=${OMBREL_ROOTS:-/var/cache/ombrel}/$1
  [ -f "$root/.ombrel-recipe" ] || { echo "FAIL: no $root: run scripts/release-env" >&2; exit 1; }
  # Every mount and process ends with these namespaces.
  exec unshare --mount --propagation private --pid --fork --kill-child --net \
    env OMBREL_BENCH_INSIDE=1 OMBREL_ROOT="$root" "$0" "$@"
fi

bundle=$(readlink -f "$2")
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$bundle" ] || fail "no $2: run scripts/gpu-bundle"
. "$here/private-tmp.sh"
private_tmp 4g "$bundle"
mkdir -p /tmp/upper /tmp/work /tmp/root
mount -t overlay overlay -o "lowerdir=$OMBREL_ROOT,upperdir=/tmp/upper,workdir=/tmp/work" /tmp/root
sys=/tmp/root
mount -t proc proc "$sys/proc"
mount --rbind /dev "$sys/dev"
mkdir -p "$sys/kit"
tar -xzf "$bundle" -C "$sys/kit"
kit() {
  chroot "$sys" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"
}

kit /kit/ombrel-gpu-bench/gpu-bench.sh --quick --only Scene01,Sphere --json /kit/bench.json \
  >/tmp/out.txt 2>&1 || { cat /tmp/out.txt >&2; fail "gpu-bench.sh failed"; }
cat /tmp/out.txt
grep -q '^640x360 *Scene01 .*[0-9]' /tmp/out.txt || fail "no Scene01 row in the table"
python3 - "$sys/kit/bench.json" <<'EOF' || fail "the JSON lacks figures (above)"
import json, sys
bench = json.load(open(sys.argv[1]))
runs = {run["segment"]: run for run in bench["runs"]}
assert "llvmpipe" in bench["renderer"], bench["renderer"]
assert bench["cold_start_ms"] > 0 and bench["peak_memory_mib"] > 100, bench
for segment, passes in (("Scene01", ("scene", "particles", "post", "frame", "update")),
                        ("Sphere", ("scene", "post", "frame"))):
    for name in passes:
        mean, p99 = runs[segment][name + "_ms"]
        assert 0 < mean <= p99, (segment, name, mean, p99)
assert runs["Sphere"]["particles_ms"] == [None, None], runs["Sphere"]
EOF

# No EGL driver to be had: one clear line, exit 1, well before any timing.
kit __EGL_VENDOR_LIBRARY_FILENAMES=/nowhere.json /kit/ombrel-gpu-bench/gpu-bench.sh --quick \
  >/tmp/none.txt 2>&1 && fail "gpu-bench.sh passed without an EGL driver"
grep -q '^ombrel-capture: no OpenGL context to draw with' /tmp/none.txt ||
  { cat /tmp/none.txt >&2; fail "no clear line without an EGL driver"; }
echo "without an EGL driver: $(grep '^ombrel-capture: no OpenGL' /tmp/none.txt)"
