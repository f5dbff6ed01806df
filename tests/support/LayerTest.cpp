#include "tests/support/LayerTest.h"

#include <algorithm>
#include <cstdlib>

void PumpFor(DWORD milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeout) {
  const DWORD start = GetTickCount();
  for (;;) {
    Application->ProcessMessages();
    if (done()) return true;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeout) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(timeout - elapsed, 10),
                              QS_ALLINPUT);
  }
}

ExceptionRecorder::ExceptionRecorder() : saved_(Application->OnException) {
  Application->OnException = TExceptionEvent(this, &ExceptionRecorder::Show);
}

ExceptionRecorder::~ExceptionRecorder() { Application->OnException = saved_; }

void ExceptionRecorder::Show(TObject*, Exception& exception) {
  messages_.push_back(exception.Message.str());
}

std::string HostPath(const std::string& path) {
  std::string converted = "Z:" + path;
  std::replace(converted.begin(), converted.end(), '/', '\\');
  return converted;
}

std::string EnvironmentPath(const char* name, const std::string& relative) {
  const char* value = std::getenv(name);
  if (!value || !*value) return std::string();
  return HostPath(relative.empty() ? std::string(value) : std::string(value) + "/" + relative);
}
