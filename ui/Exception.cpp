#include "ui/Exception.h"

AnsiString ResultText(const char* what, long result) {
  // By hand: a printf would bring the C runtime's whole formatter into the exe.
  char hex[] = " (0x00000000)";
  unsigned long value = static_cast<unsigned long>(result);
  for (int digit = 0; digit < 8; ++digit) {
    hex[11 - digit] = "0123456789ABCDEF"[value & 0xF];
    value >>= 4;
  }
  return AnsiString(what) + hex;
}
