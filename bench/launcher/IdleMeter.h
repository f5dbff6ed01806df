#pragma once
// CPU time a Wine program uses over a stretch of doing nothing, to the
// nanosecond. Wine reports no CPU time for another process, and the
// process-wide figure in /proc counts whole 10 ms ticks, so the meter adds
// up each thread's own counter instead. Threads come and go (Wine's thread
// pool lets an idle worker end): each is sampled every few hundred
// milliseconds, so one that ends loses at most its last interval.

#include <windows.h>

#include <map>

class IdleMeter {
 public:
  explicit IdleMeter(int unixPid);
  // Samples until `durationMs` have passed.
  void Run(DWORD durationMs, DWORD sampleMs = 250);
  double CpuMs() const;
  // The process-wide tick count over the same stretch, exited threads included.
  double TickCpuMs() const { return tickAfter_ - tickBefore_; }
  int ThreadsEnded() const { return ended_; }

 private:
  void Sample();

  int pid_;
  struct Thread {
    long long first;
    long long last;
    bool ended;
  };
  std::map<int, Thread> threads_;
  double tickBefore_ = 0;
  double tickAfter_ = 0;
  int ended_ = 0;
};
