#pragma once
// The component layer's exception: what start-up and message handling catch
// and show in the application's exception display.

#include "ui/AnsiString.h"

class Exception {
 public:
  explicit Exception(const AnsiString& message) : Message(message) {}
  virtual ~Exception() = default;

  AnsiString Message;
};

// The silent abort: caught like any Exception, but never shown.
class EAbort : public Exception {
 public:
  EAbort() : Exception(AnsiString()) {}
};

// Formats a failed COM or Win32 result for an exception's message.
AnsiString ResultText(const char* what, long result);
