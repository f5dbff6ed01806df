#!/usr/bin/env bash
# The program must start on a bare Windows: it may import the system's own
# DLLs only, none of the compiler's runtime (libstdc++, libgcc, winpthread),
# which are linked in statically.
set -euo pipefail
# The tools' messages are parsed: untranslated, whatever the caller's language.
export LC_ALL=C
exe=${RADIO_EXE:?RADIO_EXE: the program}
objdump=${RADIO_OBJDUMP:-i686-w64-mingw32-objdump}

allowed=(kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll
  comctl32.dll comdlg32.dll shlwapi.dll windowscodecs.dll msvcrt.dll uxtheme.dll version.dll
  urlmon.dll imm32.dll)
is_allowed() {
  local known
  for known in "${allowed[@]}"; do [ "$known" = "$1" ] && return 0; done
  return 1
}

imports=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr 'A-Z' 'a-z')
echo "imports:" $imports
# An empty list would mean the listing was not understood, not that all is well.
if ! grep -qx 'kernel32.dll' <<<"$imports"; then
  echo "FAIL: no KERNEL32.dll among the imports of $exe" >&2
  exit 1
fi
status=0
for dll in $imports; do
  if ! is_allowed "$dll"; then
    echo "FAIL: $exe imports $dll, which is not part of Windows" >&2
    status=1
  fi
done
exit $status
