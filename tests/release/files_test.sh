#!/usr/bin/env bash
# dist/ holds the five files of the version, their checksums hold, and lintian finds no error in
# the .deb (its warnings are printed).
# Usage: files_test.sh DIST_DIR
set -euo pipefail
dist=$1
version=$("$(dirname "$0")/../../scripts/version")
fail() { echo "FAIL: release files: $*" >&2; exit 1; }
cd "$dist"
for file in "ombrel-$version-linux-x86_64.tar.gz" "ombrel_${version}_amd64.deb" \
    "ombrel-$version-windows.zip" "ombrel-$version-web.zip" SHA256SUMS RELEASE-NOTES.md; do
  [ -s "$file" ] || fail "no $file in $dist (scripts/release)"
done
[ "$(wc -l <SHA256SUMS)" = 4 ] || fail "SHA256SUMS does not list the four files"
sha256sum --quiet -c SHA256SUMS || fail "a checksum does not hold"
if grep -n '@[A-Z_]*@' RELEASE-NOTES.md; then fail "RELEASE-NOTES.md has a blank left"; fi
rc=0
report=$(lintian --fail-on error "ombrel_${version}_amd64.deb" 2>&1) || rc=$?
grep -v 'running with root' <<<"$report" || true
[ "$rc" = 0 ] || fail "lintian reports errors"
echo "ok: the release's files, their checksums, and lintian without errors"
