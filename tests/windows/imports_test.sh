#!/usr/bin/env bash
# The programs, the capture tool and bass.dll import only DLLs that Windows 10 ships (bass.dll
# itself lies beside the programs): the compo machine has nothing installed, no redistributable.
# Usage: imports_test.sh BIN_DIR
set -euo pipefail
bin=${1:?usage: imports_test.sh BIN_DIR}
shipped=(kernel32.dll user32.dll gdi32.dll advapi32.dll ole32.dll shell32.dll d3d11.dll dxgi.dll
  winmm.dll msacm32.dll msvcrt.dll)
shipped=" ${shipped[*]} "
objdump=x86_64-w64-mingw32-objdump
command -v "$objdump" >/dev/null || {
  echo "imports_test: no $objdump (binutils-mingw-w64-x86-64)" >&2
  exit 1
}
failed=0
for file in ombrel-window.exe ombrel-fs1080.exe ombrel-fs1440.exe ombrel-capture.exe bass.dll; do
  dlls=$("$objdump" -p "$bin/$file" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
  [ -n "$dlls" ] || {
    echo "FAILED: $file: no import table read"
    failed=1
    continue
  }
  for dll in $dlls; do
    if [[ "$shipped" != *" $dll "* && ("$file" == bass.dll || "$dll" != bass.dll) ]]; then
      echo "FAILED: $file imports $dll, which Windows 10 does not ship"
      failed=1
    fi
  done
  echo "$file:" $dlls
done
exit $failed
