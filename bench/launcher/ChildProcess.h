#pragma once
// The measured program: started with its own environment, watched for its
// main window, and ended.

#include <windows.h>

#include <string>
#include <vector>

#include "bench/launcher/Handles.h"

class ChildProcess {
 public:
  // Starts `exe` in its own folder with the launcher's environment plus
  // `extra` ("NAME=value" each, replacing same-named variables); false and
  // the Win32 error in `error` on failure.
  bool Start(const std::string& exe, const std::vector<std::string>& extra, DWORD* error);

  HANDLE Handle() const { return process_.get(); }
  bool Running() const;

  // Polls the process's top-level windows every millisecond for a visible
  // one larger than 100 x 100 (the program's own zero-size application
  // window does not count); nullptr when the process ends or time runs out.
  HWND WaitForMainWindow(DWORD timeoutMs) const;

  // WM_CLOSE to `window` and up to `graceMs` to end; otherwise terminated.
  // True if it ended by itself.
  bool Close(HWND window, DWORD graceMs);

 private:
  UniqueKernelHandle process_;
  DWORD id_ = 0;
};
