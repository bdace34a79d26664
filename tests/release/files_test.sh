#!/usr/bin/env bash
# dist/ holds the five files of the version, their checksums hold, and lintian finds no error in
# the .deb (its warnings are printed).
# Usage: files_test.sh DIST_DIR
set -euo pipefail
dist=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
version=$("$root/scripts/version")
fail() { echo "FAIL: release files: $*" >&2; exit 1; }
cd "$dist"
for file in "ombrel-$version-linux-x86_64.tar.gz" "ombrel_${version}_amd64.deb" \
    "ombrel-$version-windows.zip" "ombrel-$version-web.zip" SHA256SUMS RELEASE-NOTES.md; do
  [ -s "$file" ] || fail "no $file in $dist (scripts/release)"
done
[ "$(wc -l <SHA256SUMS)" = 4 ] || fail "SHA256SUMS does not list the four files"
# One licence in every artifact, word for word: LICENSE's text (the .deb's copyright file holds
# it as its Expat paragraph).
licence=$root/LICENSE
same_licence() { cmp -s <(tr -d '\r' <"$2") "$licence" || fail "$1 does not hold LICENSE's text"; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tar -xzf "ombrel-$version-linux-x86_64.tar.gz" -C "$scratch" "ombrel-$version/LICENSE" ||
  fail "the tarball has no LICENSE"
same_licence "the tarball's LICENSE" "$scratch/ombrel-$version/LICENSE"
for kind in windows web; do
  unzip -p "ombrel-$version-$kind.zip" "*/LICENSE.txt" >"$scratch/$kind.txt" ||
    fail "the $kind zip has no LICENSE.txt"
  same_licence "the $kind zip's LICENSE.txt" "$scratch/$kind.txt"
done
dpkg-deb --fsys-tarfile "ombrel_${version}_amd64.deb" |
  tar -xO ./usr/share/doc/ombrel/copyright >"$scratch/copyright"
# The stand-alone licence paragraph, unfolded.
awk 'on { print } prev == "" && $0 == "License: Expat" { on = 1 } { prev = $0 }' \
  "$scratch/copyright" | sed -e 's/^ //' -e 's/^\.$//' >"$scratch/deb.txt"
tail -n +5 "$licence" | cmp -s - "$scratch/deb.txt" ||
  fail "the .deb's copyright file does not hold LICENSE's text"
sha256sum --quiet -c SHA256SUMS || fail "a checksum does not hold"
if grep -n '@[A-Z_]*@' RELEASE-NOTES.md; then fail "RELEASE-NOTES.md has a blank left"; fi
rc=0
report=$(lintian --fail-on error "ombrel_${version}_amd64.deb" 2>&1) || rc=$?
grep -v 'running with root' <<<"$report" || true
[ "$rc" = 0 ] || fail "lintian reports errors"
echo "ok: the release's files, their checksums, one licence in each, and lintian without errors"
