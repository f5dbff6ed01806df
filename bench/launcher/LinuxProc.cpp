#include "bench/launcher/LinuxProc.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "bench/launcher/Handles.h"

namespace linux_proc {
namespace {

std::string ProcPath(int pid, const char* rest) {
  return "Z:\\proc\\" + std::to_string(pid) + "\\" + rest;
}

}  // namespace

// /proc files report no size: read until the end.
std::string ReadAll(const std::string& path) {
  HANDLE opened = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  std::string text;
  if (opened == INVALID_HANDLE_VALUE) return text;
  UniqueKernelHandle file(opened);
  char buffer[8192];
  DWORD got;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    text.append(buffer, got);
  }
  return text;
}

namespace {

// The number after "key:" in a "key: value kB" file; 0 when absent.
long long Field(const std::string& text, const char* key) {
  std::string wanted = std::string("\n") + key + ":";
  size_t at = ("\n" + text).find(wanted);
  if (at == std::string::npos) return 0;
  return std::atoll(text.c_str() + at + wanted.size() - 1);
}

template <class Visit>
void ForEachNumberedEntry(const std::string& folder, Visit visit) {
  WIN32_FIND_DATAA found;
  HANDLE opened = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (opened == INVALID_HANDLE_VALUE) return;
  UniqueHandle<HANDLE, FindClose> search(opened);
  do {
    char* end;
    long number = std::strtol(found.cFileName, &end, 10);
    if (*end == '\0' && end != found.cFileName) visit(static_cast<int>(number));
  } while (FindNextFileA(search.get(), &found));
}

}  // namespace

std::set<int> Pids() {
  std::set<int> pids;
  ForEachNumberedEntry("Z:\\proc", [&](int pid) { pids.insert(pid); });
  return pids;
}

int FindWineProgram(const std::string& exeName, const std::set<int>& skip) {
  int newest = 0;
  unsigned long long newestStart = 0;
  ForEachNumberedEntry("Z:\\proc", [&](int pid) {
    if (skip.count(pid)) return;
    std::string commandLine = ReadAll(ProcPath(pid, "cmdline"));
    std::string first = commandLine.substr(0, commandLine.find('\0'));
    size_t slash = first.find_last_of("\\/");
    std::string name = slash == std::string::npos ? first : first.substr(slash + 1);
    if (_stricmp(name.c_str(), exeName.c_str()) != 0) return;
    // The start time, field 22 of stat, counted after the command's closing parenthesis.
    std::string stat = ReadAll(ProcPath(pid, "stat"));
    size_t at = stat.rfind(')');
    if (at == std::string::npos) return;
    const char* field = stat.c_str() + at + 1;
    for (int i = 3; i < 22 && field; ++i) field = std::strchr(field + 1, ' ');
    unsigned long long start = field ? std::strtoull(field, nullptr, 10) : 0;
    if (!newest || start >= newestStart) {
      newest = pid;
      newestStart = start;
    }
  });
  return newest;
}

Memory ReadMemory(int pid) {
  Memory memory;
  std::string status = ReadAll(ProcPath(pid, "status"));
  memory.rssKb = Field(status, "VmRSS");
  memory.anonKb = Field(status, "RssAnon");
  memory.threads = static_cast<int>(Field(status, "Threads"));
  memory.pssKb = Field(ReadAll(ProcPath(pid, "smaps_rollup")), "Pss");
  return memory;
}

std::map<int, long long> ThreadCpuNs(int pid) {
  std::map<int, long long> threads;
  std::string tasks = ProcPath(pid, "task");
  ForEachNumberedEntry(tasks, [&](int tid) {
    std::string schedstat = ReadAll(tasks + "\\" + std::to_string(tid) + "\\schedstat");
    if (!schedstat.empty()) threads[tid] = std::atoll(schedstat.c_str());
  });
  return threads;
}

double ProcessCpuMs(int pid) {
  std::string stat = ReadAll(ProcPath(pid, "stat"));
  size_t at = stat.rfind(')');
  if (at == std::string::npos) return -1;
  // utime and stime, fields 14 and 15, in ticks of 1/100 s (USER_HZ on Linux).
  const char* field = stat.c_str() + at + 1;
  for (int i = 3; i < 14 && field; ++i) field = std::strchr(field + 1, ' ');
  if (!field) return -1;
  char* end;
  unsigned long long user = std::strtoull(field, &end, 10);
  unsigned long long system = std::strtoull(end, nullptr, 10);
  return static_cast<double>(user + system) * 10.0;
}

}  // namespace linux_proc
