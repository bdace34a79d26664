#!/usr/bin/env bash
# The Linux release tried as a viewer would, in a throwaway copy of a Debian root that holds only
# what a desktop has (scripts/release-env): the tarball unpacked in the viewer's home finds every
# library, prints its version and plays, writing the build tree's start-up log; the .deb installs
# with apt, its desktop entry's command plays with its log in the viewer's folder, and apt remove
# takes every file it brought.
# Usage: linux_test.sh ROOT_NAME DIST_DIR LINUX_BIN_DIR   (as root, or through sudo)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ "$(id -u)" -ne 0 ]; then exec sudo --preserve-env=OMBREL_ROOTS "$0" "$@"; fi

if [ "${OMBREL_RELEASE_INSIDE:-}" != 1 ]; then
  root=${OMBREL_ROOTS:-/var/cache/ombrel}/$1
  [ -f "$root/.ombrel-recipe" ] || { echo "FAIL: no $root: run scripts/release-env" >&2; exit 1; }
  # Every mount, the X server and the programs end with these namespaces; /tmp and the network
  # are private, so X servers of parallel runs never meet and the .deb installs offline.
  exec unshare --mount --propagation private --pid --fork --kill-child --net \
    env OMBREL_RELEASE_INSIDE=1 OMBREL_ROOT="$root" "$0" "$@"
fi

name=$1 dist=$(cd "$2" && pwd) linux_bin=$(cd "$3" && pwd)
version=$("$here/../../scripts/version")
fail() {
  echo "FAIL: $name: $*" >&2
  [ -n "${log:-}" ] && [ -s "$log" ] && { echo "--- $log:" >&2; tail -n 20 "$log" >&2; }
  exit 1
}
. "$here/../support/program-wait.sh"
. "$here/private-tmp.sh"

private_tmp 6g "$dist" "$linux_bin"
mkdir -p /tmp/upper /tmp/work /tmp/root /tmp/.X11-unix
chmod 1777 /tmp/.X11-unix
mount -t overlay overlay -o "lowerdir=$OMBREL_ROOT,upperdir=/tmp/upper,workdir=/tmp/work" /tmp/root
sys=/tmp/root
mount -t proc proc "$sys/proc"
mount --rbind /dev "$sys/dev"
mount -t tmpfs tmpfs "$sys/tmp"
mkdir -p "$sys/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$sys/tmp/.X11-unix"

Xvfb :5 -screen 0 1920x1080x24 -nolisten tcp >/tmp/xvfb.log 2>&1 &
for _ in $(seq 100); do [ -e /tmp/.X11-unix/X5 ] && break; sleep 0.1; done
export DISPLAY=:5

# Runs a command in the root as the viewer, from $1 (a folder of the viewer's).
as_viewer() {
  local dir=$1; shift
  chroot --userspec=1000:1000 "$sys" /usr/bin/env -i HOME=/home/viewer DISPLAY=:5 LANG=C.UTF-8 \
    PATH=/usr/local/bin:/usr/bin:/bin SDL_AUDIODRIVER=dummy /bin/bash -c 'cd "$0" && exec "$@"' \
    "$dir" "$@"
}

# Starts a program (as_viewer's arguments), lets it play, ends it with Escape: exit code 0 and a
# log in $log that ends with "Exit.".
play() {
  log=$1; shift
  "$@" >/tmp/stdout.txt 2>/tmp/stderr.txt &
  pid=$!
  wait_for_window Ombrel 120
  sleep 2
  xdotool windowfocus "$window" key Escape
  wait_for_exit 60
  [ "$rc" = 0 ] || fail "exit code $rc: $(cat /tmp/stderr.txt)"
  [ "$(tail -n 1 "$log")" = "Exit." ] || fail "$log does not end with Exit."
}
normalise() { sed -E 's/^data = [^,]*, /data = ADDRESS, /' "$1"; }

# The build tree's program, on this machine, writes the log the released ones must write.
mkdir /tmp/reference && ln -s "$linux_bin/data" /tmp/reference/data
play /tmp/reference/log.txt env -C /tmp/reference SDL_AUDIODRIVER=dummy "$linux_bin/ombrel-window"

# The tarball, unpacked where the viewer likes.
home=$sys/home/viewer
tar -xzf "$dist/ombrel-$version-linux-x86_64.tar.gz" -C "$home"
chown -R 1000:1000 "$home"
unpacked=/home/viewer/ombrel-$version
for program in ombrel-window ombrel-fs1080 ombrel-fs1440 ombrel-capture; do
  missing=$(as_viewer "$unpacked" ldd "./$program" | grep 'not found' || true)
  [ -z "$missing" ] || fail "$program: $missing"
done
[ "$(as_viewer "$unpacked" ./ombrel-window --version)" = "ombrel-window $version" ] ||
  fail "ombrel-window --version does not print ombrel-window $version"
play "$sys$unpacked/log.txt" as_viewer "$unpacked" ./ombrel-window
diff -u <(normalise /tmp/reference/log.txt) <(normalise "$sys$unpacked/log.txt") >&2 ||
  fail "the tarball's ombrel-window wrote another log than the build tree's"
echo "ok: $name: the tarball's programs find their libraries; ombrel-window $version plays"

# The .deb, installed with apt from the packages the root holds.
cp "$dist/ombrel_${version}_amd64.deb" "$sys/tmp/"
log=/tmp/apt.txt
chroot "$sys" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive \
  apt-get install -y --no-install-recommends "/tmp/ombrel_${version}_amd64.deb" >"$log" 2>&1 ||
  fail "apt could not install the package"
chroot "$sys" dpkg-query -L ombrel >/tmp/files.txt
command=$(sed -n 's/^Exec=//p' "$sys/usr/share/applications/ombrel.desktop")
[ -n "$command" ] || fail "the desktop entry names no command"
# shellcheck disable=SC2086 # the entry's command is words
play "$home/.local/state/ombrel/log.txt" as_viewer /home/viewer $command
[ ! -e "$home/log.txt" ] || fail "the launcher wrote log.txt into the folder it was started from"
diff -u <(normalise /tmp/reference/log.txt) <(normalise "$home/.local/state/ombrel/log.txt") >&2 ||
  fail "the installed program wrote another log than the build tree's"

chroot "$sys" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive \
  apt-get remove -y ombrel >"$log" 2>&1 || fail "apt could not remove the package"
left=$(while read -r path; do
         [ -e "$sys$path" ] && [ ! -d "$sys$path" ] && echo "$path"
         [ -d "$sys$path" ] && [[ $path == */ombrel ]] && echo "$path/"
       done </tmp/files.txt || true)
[ -z "$left" ] || fail "apt remove left $(echo $left)"
echo "ok: $name: apt installs the .deb, its desktop entry plays, apt remove leaves no file"
