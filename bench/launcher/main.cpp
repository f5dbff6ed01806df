// bench_launcher: starts one Windows program under Wine and measures it, on
// one clock, from the moment it is started:
//   visible_ms   its first visible top-level window larger than 100 x 100
//   request_ms   the first request line reaching the launcher's HTTP proxy
//                (the program gets http_proxy=http://127.0.0.1:<port>)
// then, `settle` ms after the window showed, its memory, then its CPU time
// over `idle` ms of doing nothing, then closes it (WM_CLOSE, else
// terminated). Prints one JSON line.
//
//   bench_launcher [--label NAME] [--port N] [--settle-ms N] [--idle-ms N]
//                  [--quiet-ms N] [--timeout-ms N] <exe>
//   bench_launcher --hold     stays until killed: keeps the prefix's Wine
//                             session (services, desktop) up between runs

#include <winsock2.h>
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <type_traits>

#include "bench/launcher/ChildProcess.h"
#include "bench/launcher/Clock.h"
#include "bench/launcher/IdleMeter.h"
#include "bench/launcher/Json.h"
#include "bench/launcher/LinuxProc.h"
#include "bench/launcher/ProxyServer.h"

namespace {

struct Options {
  std::string label;
  std::string exe;
  unsigned short port = 18080;
  DWORD settleMs = 2000;
  DWORD idleMs = 10000;
  DWORD timeoutMs = 30000;
  DWORD quietMs = 500;
  bool hold = false;
};

bool Parse(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto number = [&](auto* out) {
      if (i + 1 >= argc) return false;
      *out =
          static_cast<std::remove_pointer_t<decltype(out)>>(std::strtoul(argv[++i], nullptr, 10));
      return true;
    };
    if (arg == "--hold") {
      options->hold = true;
    } else if (arg == "--label" && i + 1 < argc) {
      options->label = argv[++i];
    } else if (arg == "--port") {
      if (!number(&options->port)) return false;
    } else if (arg == "--settle-ms") {
      if (!number(&options->settleMs)) return false;
    } else if (arg == "--idle-ms") {
      if (!number(&options->idleMs)) return false;
    } else if (arg == "--quiet-ms") {
      if (!number(&options->quietMs)) return false;
    } else if (arg == "--timeout-ms") {
      if (!number(&options->timeoutMs)) return false;
    } else if (!arg.empty() && arg[0] != '-' && options->exe.empty()) {
      options->exe = arg;
    } else {
      return false;
    }
  }
  if (options->label.empty()) {
    size_t slash = options->exe.find_last_of("\\/");
    options->label = options->exe.substr(slash == std::string::npos ? 0 : slash + 1);
  }
  return options->hold || !options->exe.empty();
}

void SleepUntil(double atMs) {
  double now = NowMs();
  if (atMs > now) Sleep(static_cast<DWORD>(atMs - now));
}

// The program's Unix process, found through its Windows path's file name.
int UnixPidOf(const std::string& exe, const std::set<int>& skip = {}) {
  size_t slash = exe.find_last_of("\\/");
  return linux_proc::FindWineProgram(slash == std::string::npos ? exe : exe.substr(slash + 1),
                                     skip);
}

double ThreadCpuMs(int unixPid) {
  long long total = 0;
  for (const auto& [tid, ns] : linux_proc::ThreadCpuNs(unixPid)) total += ns;
  return total / 1e6;
}

double LoadAverage() { return std::atof(linux_proc::ReadAll("Z:\\proc\\loadavg").c_str()); }

BOOL CALLBACK StopAtFirst(HWND, LPARAM) { return FALSE; }

int Report(Json& out, const char* error, int result) {
  if (error) out.Add("error", error);
  std::puts(out.Text().c_str());
  return result;
}

int Measure(const Options& options) {
  Json out;
  out.Add("label", options.label);
  ProxyServer proxy;
  if (int error = proxy.Start(options.port)) {
    std::string text =
        "proxy on port " + std::to_string(options.port) + ": " + std::to_string(error);
    return Report(out, text.c_str(), 2);
  }
  // The launcher's own start (its console, its first window-station call)
  // and the previous run's exit settle before the clock starts.
  EnumWindows(StopAtFirst, 0);
  Sleep(options.quietMs);
  // Other users of the machine slow every start alike: the load is reported.
  out.Add("load_1min", LoadAverage());

  ChildProcess child;
  DWORD error = 0;
  std::set<int> before = linux_proc::Pids();
  double startMs = NowMs();
  if (!child.Start(options.exe, {"http_proxy=http://127.0.0.1:" + std::to_string(options.port)},
                   &error)) {
    return Report(out, ("CreateProcess: " + std::to_string(error)).c_str(), 2);
  }
  // Found now, before its window, so that the CPU time its start costs can be
  // read the moment the window shows: unlike the elapsed time, it hardly
  // depends on what else the machine is doing.
  double scanStart = NowMs();
  int unixPid = UnixPidOf(options.exe, before);
  out.Add("pid_scan_ms", NowMs() - scanStart);
  HWND window = child.WaitForMainWindow(options.timeoutMs);
  double visibleMs = NowMs();
  double cpuToVisibleMs = unixPid ? ThreadCpuMs(unixPid) : -1;
  if (!window) {
    const char* why = child.Running() ? "no window in time" : "exited without a window";
    child.Close(nullptr, 0);
    return Report(out, why, 1);
  }
  out.Add("visible_ms", visibleMs - startMs);
  if (unixPid) {
    out.Add("cpu_to_visible_ms", cpuToVisibleMs);
  } else {
    unixPid = UnixPidOf(options.exe);
  }
  out.Add("unix_pid", unixPid);
  SleepUntil(visibleMs + options.settleMs);
  if (!child.Running()) return Report(out, "exited while settling", 1);

  // Wine's answer for another process: the working set is VmRSS; private
  // bytes come back 0, hence RssAnon (its resident private pages) beside it.
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(child.Handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters)) {
    out.Add("ws_mb", counters.WorkingSetSize / 1048576.0);
    out.Add("private_mb_wine", counters.PrivateUsage / 1048576.0);
  }
  if (unixPid) {
    linux_proc::Memory memory = linux_proc::ReadMemory(unixPid);
    out.Add("rss_mb", memory.rssKb / 1024.0);
    out.Add("private_mb", memory.anonKb / 1024.0);
    out.Add("pss_mb", memory.pssKb / 1024.0);
    out.Add("threads", memory.threads);

    IdleMeter idle(unixPid);
    idle.Run(options.idleMs);
    out.Add("idle_window_ms", static_cast<double>(options.idleMs));
    out.Add("idle_cpu_ms", idle.CpuMs());
    out.Add("idle_cpu_ms_ticks", idle.TickCpuMs());
    out.Add("idle_threads_ended", idle.ThreadsEnded());
  }

  ProxyServer::FirstRequest first = proxy.First();
  if (first.seen) {
    out.Add("request_ms", first.atMs - startMs);
    out.Add("request_line", first.line);
  }
  out.Add("requests", first.count);
  out.Add("ended", child.Close(window, 5000) ? "closed" : "terminated");
  proxy.Stop();
  return Report(out, unixPid ? nullptr : "no Unix process found", unixPid ? 0 : 1);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!Parse(argc, argv, &options)) {
    std::fputs(
        "usage: bench_launcher [--label NAME] [--port N] [--settle-ms N] [--idle-ms N] "
        "[--quiet-ms N] [--timeout-ms N] <exe>\n       bench_launcher --hold\n",
        stderr);
    return 2;
  }
  if (options.hold) {
    Sleep(INFINITE);
    return 0;
  }
  int result = Measure(options);
  std::fflush(stdout);
  return result;
}
