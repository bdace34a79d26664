# Mounts a fresh tmpfs of size $1 on /tmp, inside the caller's own mount namespace, and binds each
# folder or file named after it back at its path, so a build tree under /tmp (a clone in a
# mktemp folder) stays readable. Each is held open while the tmpfs covers its path. The caller
# goes on from /, since the folder it was in may be hidden now (and tools such as pyenv's shims
# change into it).
private_tmp() {
  local size=$1 path fd i
  shift
  local -a paths=() fds=()
  for path in "$@"; do
    path=$(readlink -f "$path")
    [[ $path == /tmp/* ]] || continue
    exec {fd}<"$path"
    paths+=("$path") fds+=("$fd")
  done
  mount -t tmpfs -o "size=$size" tmpfs /tmp
  for i in "${!paths[@]}"; do
    path=${paths[$i]} fd=${fds[$i]}
    if [ -d "/proc/self/fd/$fd" ]; then mkdir -p "$path"; else mkdir -p "${path%/*}" && touch "$path"; fi
    mount --no-canonicalize --bind "/proc/self/fd/$fd" "$path"
    exec {fd}<&-
  done
  cd /
}
