#!/usr/bin/env bash
# The Windows package: its files, no DLL beyond the system's and ours, and ombrel-window.exe
# started from a folder holding nothing but the unpacked package, under Wine.
# Usage: package_test.sh WINDOWS_BUILD_DIR   (from a scratch folder)
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: package: $*" >&2; exit 1; }

"$here/../../scripts/windows-package" --no-build
name=ombrel-$("$here/../../scripts/version")
mkdir -p package && cd package
rm -rf unpacked && mkdir unpacked
unzip -q "$build/$name-windows.zip" -d unpacked
dir=unpacked/$name
for file in ombrel-window.exe ombrel-fs1080.exe ombrel-fs1440.exe ombrel-capture.exe bass.dll \
    README.txt data/music.mp3; do
    [ -f "$dir/$file" ] || fail "no $file in the package"
done
# Every DLL a program imports is Windows' own or the bass.dll beside it: mingw's runtime is
# linked in, not expected on the user's machine.
system_dlls='^(kernel32|user32|gdi32|advapi32|shell32|ole32|winmm|msvcrt|d3d11|dxgi|msacm32|ucrtbase|api-ms-win-.*)\.dll$'
for program in "$dir"/*.exe "$dir"/bass.dll; do
    while read -r dll; do
        dll_lower=${dll,,}
        [[ $dll_lower =~ $system_dlls || $dll_lower = bass.dll ]] ||
            fail "$(basename "$program") needs $dll, which the package does not hold"
    done < <(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^\tDLL Name: //p')
done
"$here/../../scripts/wine" --run "$here/program_test.sh" package "$PWD/$dir"
echo "ok: the package holds what it needs and ombrel-window.exe runs from it"
