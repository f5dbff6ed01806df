#!/usr/bin/env bash
# The release program carries no symbol table and no debugging information.
set -euo pipefail
# The tools' messages are parsed: untranslated, whatever the caller's language.
export LC_ALL=C
exe=${RADIO_EXE:?RADIO_EXE: the program}
objdump=${RADIO_OBJDUMP:-i686-w64-mingw32-objdump}
nm=${objdump%objdump}nm

symbols=$("$objdump" -t "$exe")
if ! grep -q '^no symbols' <<<"$symbols"; then
  echo "FAIL: $exe has a symbol table:" >&2
  head -20 <<<"$symbols" >&2
  exit 1
fi
if ! "$nm" "$exe" 2>&1 | grep -q 'no symbols'; then
  echo "FAIL: $nm finds symbols in $exe" >&2
  exit 1
fi
if "$objdump" -h "$exe" | grep -q '\.debug'; then
  echo "FAIL: $exe has debugging sections" >&2
  exit 1
fi
echo "no symbols, no debugging sections"
