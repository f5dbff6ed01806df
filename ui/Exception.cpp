#include "ui/Exception.h"

#include <cstdio>

AnsiString ResultText(const char* what, long result) {
  char text[160];
  std::snprintf(text, sizeof text, "%s (0x%08lX)", what, static_cast<unsigned long>(result));
  return AnsiString(text);
}
