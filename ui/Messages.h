#pragma once
// The message record a window procedure method receives: the message as the
// system sent it and the result that goes back to the system.

#include <windows.h>

#include "ui/Method.h"

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

using TWndMethod = TMethod<TMessage&>;

class TObject;
using TNotifyEvent = TMethod<TObject*>;
