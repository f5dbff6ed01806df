#pragma once
// A window procedure hook as a caller of the layer writes one: it replaces a
// control's WindowProc, keeps every message it sees, answers the messages it
// is told to answer and hands all others to the procedure it replaced, which
// it puts back when removed or destroyed.

#include <map>
#include <vector>

#include "ui/WinControl.h"

class WindowProcSpy {
 public:
  explicit WindowProcSpy(TWinControl& control) : control_(control), saved_(control.WindowProc) {
    control_.WindowProc = TWndMethod(this, &WindowProcSpy::Hook);
  }
  ~WindowProcSpy() { Remove(); }
  WindowProcSpy(const WindowProcSpy&) = delete;
  WindowProcSpy& operator=(const WindowProcSpy&) = delete;

  // `msg` no longer reaches the saved procedure; it gets `result`.
  void Answer(UINT msg, LRESULT result) { answers_[msg] = result; }
  void Remove() {
    if (installed_) control_.WindowProc = saved_;
    installed_ = false;
  }

  const TWndMethod& Saved() const { return saved_; }
  TWndMethod Self() { return TWndMethod(this, &WindowProcSpy::Hook); }
  const std::vector<UINT>& Seen() const { return seen_; }
  int Count(UINT msg) const {
    int count = 0;
    for (UINT seen : seen_) count += seen == msg;
    return count;
  }
  void Clear() { seen_.clear(); }

 private:
  void Hook(TMessage& message) {
    seen_.push_back(message.Msg);
    auto answer = answers_.find(message.Msg);
    if (answer != answers_.end()) {
      message.Result = answer->second;
      return;
    }
    saved_(message);
  }

  TWinControl& control_;
  TWndMethod saved_;
  bool installed_ = true;
  std::map<UINT, LRESULT> answers_;
  std::vector<UINT> seen_;
};
