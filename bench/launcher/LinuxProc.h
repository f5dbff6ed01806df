#pragma once
// The Linux side of a Wine process, read through Wine's Z: drive (/proc).
// Wine's own answers for another process are built from the same files, but
// with tick (10 ms) resolution for CPU time; schedstat has nanoseconds.

#include <map>
#include <set>
#include <string>
#include <vector>

namespace linux_proc {

// The Unix processes now: taken just before a program starts, what
// FindWineProgram can skip.
std::set<int> Pids();

// The Unix process of a running Wine program: Wine puts the program's Windows
// path as its command line's first word, so the one matching `exeName`
// (case-insensitive, path ignored) that started last; 0 when none does.
// Processes in `skip` are not opened: listing /proc is the caller's own work,
// but Wine opens files in its server, which a starting program needs too.
int FindWineProgram(const std::string& exeName, const std::set<int>& skip = {});

// A whole /proc file ("Z:\\proc\\..."); empty when it cannot be read.
// The wineserver opens it, so /proc/self and /proc/thread-self are the
// server's, not the caller's.
std::string ReadAll(const std::string& path);

struct Memory {
  long long rssKb = 0;   // VmRSS
  long long anonKb = 0;  // RssAnon: the process's own pages
  long long pssKb = 0;   // Pss from smaps_rollup: shared pages split between their users
  int threads = 0;
};
Memory ReadMemory(int pid);

// CPU time of each live thread of `pid` by thread id, in nanoseconds
// (task/*/schedstat).
std::map<int, long long> ThreadCpuNs(int pid);

// User plus system time of the whole process, exited threads included, in
// milliseconds; resolution one clock tick (10 ms).
double ProcessCpuMs(int pid);

}  // namespace linux_proc
