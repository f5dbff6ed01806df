#include "bench/launcher/IdleMeter.h"

#include "bench/launcher/Clock.h"
#include "bench/launcher/LinuxProc.h"

IdleMeter::IdleMeter(int unixPid) : pid_(unixPid) {
  tickBefore_ = linux_proc::ProcessCpuMs(pid_);
  // Threads alive at the start count from their value now; later ones from zero.
  for (const auto& [tid, ns] : linux_proc::ThreadCpuNs(pid_)) threads_[tid] = {ns, ns, false};
}

void IdleMeter::Run(DWORD durationMs, DWORD sampleMs) {
  double end = NowMs() + durationMs;
  for (;;) {
    double left = end - NowMs();
    if (left <= 0) break;
    Sleep(static_cast<DWORD>(left < sampleMs ? left : sampleMs));
    Sample();
  }
  tickAfter_ = linux_proc::ProcessCpuMs(pid_);
}

void IdleMeter::Sample() {
  std::map<int, long long> now = linux_proc::ThreadCpuNs(pid_);
  for (auto& [tid, thread] : threads_) {
    auto found = now.find(tid);
    if (found != now.end()) {
      thread.last = found->second;
    } else if (!thread.ended) {
      thread.ended = true;  // its last sample stands
      ++ended_;
    }
  }
  for (const auto& [tid, ns] : now) {
    if (!threads_.count(tid)) threads_[tid] = {0, ns, false};
  }
}

double IdleMeter::CpuMs() const {
  long long total = 0;
  for (const auto& [tid, thread] : threads_) total += thread.last - thread.first;
  return total / 1e6;
}
