# What scripts/windows-env and scripts/release-env share: small Debian roots made once with
# debootstrap under $roots (default /var/cache/ombrel), each stamped with its recipe number so an
# older one is made again, one maker at a time (a lock), mounts only in private namespaces.
# The caller sets $tool (its name in messages) and the array `recipe` (root name -> number), and
# may set `components` (root name -> archive components, default main).
roots=${OMBREL_ROOTS:-/var/cache/ombrel}
declare -p components >/dev/null 2>&1 || declare -A components=()

say() { echo "$tool: $*" >&2; }
fail() {
  say "$*"
  exit 1
}

# The Debian archive this machine's apt already uses (never a host written into the repository).
mirror() {
  [ -n "${OMBREL_MIRROR:-}" ] && {
    echo "$OMBREL_MIRROR"
    return
  }
  local uri
  uri=$(grep -h -E '^(URIs:|deb )' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
    /etc/apt/sources.list.d/*.sources 2>/dev/null |
    grep -o -E 'https?://[^ ]+/debian/?( |$)' | grep -v security | head -n 1 | tr -d ' ')
  [ -n "$uri" ] || fail "no Debian mirror found in /etc/apt/sources.list*"
  echo "$uri"
}

ensure_host_tools() {
  command -v debootstrap >/dev/null && command -v unshare >/dev/null && return
  say "installing debootstrap"
  { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    --no-install-recommends debootstrap; } >/dev/null ||
    fail "cannot install debootstrap from the Debian archive"
}

# Runs a command chrooted in $1 with /proc, /dev and /sys mounted in a private mount namespace.
in_root() {
  local root=$1
  shift
  unshare --mount --propagation private --pid --fork /bin/bash -c '
    root=$1; shift
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount -t sysfs sys "$root/sys"
    exec chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
      DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8 "$@"' in_root "$root" "$@"
}

# make_root NAME SUITE PACKAGES...: a minbase root of SUITE with PACKAGES, then the caller's
# finish_root NAME DIR where it defines one; replaces $roots/NAME only once it is complete.
make_root() {
  local name=$1 suite=$2
  shift 2
  local root=$roots/$name
  local building=$roots/$name.building
  rm -rf "$building"
  say "making the $name root in $root (debootstrap $suite)"
  local started=$SECONDS
  # debootstrap mounts /proc and /sys inside the target; the namespace takes them away with it.
  if ! unshare --mount --propagation private debootstrap --variant=minbase \
    --components="${components[$name]:-main}" "$suite" "$building" \
    "$(mirror)" /usr/share/debootstrap/scripts/sid >"$roots/$name.log" 2>&1; then
    rm -rf "$building"
    fail "debootstrap of $suite from $(mirror) failed (is the Debian archive reachable?); see $roots/$name.log"
  fi
  # A Release file can be past its Valid-Until date.
  echo 'Acquire::Check-Valid-Until "false";' >"$building/etc/apt/apt.conf.d/99ombrel"
  if ! in_root "$building" sh -c "apt-get update -qq && apt-get install -y -qq \
         --no-install-recommends $*" >>"$roots/$name.log" 2>&1; then
    rm -rf "$building"
    fail "installing $* in the $name root failed; see $roots/$name.log"
  fi
  in_root "$building" apt-get clean
  if declare -F finish_root >/dev/null && ! finish_root "$name" "$building"; then
    rm -rf "$building"
    fail "finishing the $name root failed; see $roots/$name.log"
  fi
  echo "${recipe[$name]}" >"$building/.ombrel-recipe"
  rm -rf "$root"
  mv "$building" "$root"
  say "made the $name root in $((SECONDS - started)) s ($(du -sh "$root" | cut -f1))"
}

ready() { [ "$(cat "$roots/$1/.ombrel-recipe" 2>/dev/null)" = "${recipe[$1]}" ]; }

version() { in_root "$roots/$1" dpkg-query -W -f='${Version}' "$2" 2>/dev/null || echo missing; }

# Takes the lock that keeps a second maker waiting until the first is done.
lock_roots() {
  mkdir -p "$roots"
  exec 9>"$roots/.lock"
  flock 9
}
