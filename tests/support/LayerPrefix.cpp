#include "tests/support/LayerPrefix.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/support/LayerTest.h"
#include "ui/FileUtils.h"

namespace {

// A host shell step: Wine starts host programs as they are, and the prefix
// must be made and run from outside this one's Wine server. Wine reads the
// user's LogPixels first (before the machine's, under Hardware Profiles), at
// each process start. The report is moved into place only when complete, so
// its presence says the run ended.
const char kScript[] = R"(#!/bin/bash
state=$1 dpi=$2 exe=$3 filter=$4 report=$5
source "$RADIO_SOURCE_DIR/scripts/wine-env.sh" "$state"
if [ ! -f "$WINEPREFIX/.radio-dpi" ]; then
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  touch "$WINEPREFIX/.radio-dpi"
fi
wine "$exe" --gtest_also_run_disabled_tests --gtest_filter="$filter" >"$report.part" 2>&1
mv -f "$report.part" "$report"
)";

std::string Quoted(const std::string& argument) { return "\"" + argument + "\""; }

}  // namespace

std::string RunWithScreenDpi(int dpi, const std::string& filter, DWORD timeout) {
  const char* stateRoot = std::getenv("RADIO_WINE_STATE");
  if (!stateRoot || !*stateRoot || !std::getenv("RADIO_SOURCE_DIR")) return std::string();
  const std::string state = std::string(stateRoot) + "/dpi" + std::to_string(dpi);
  const std::string script = state + "/run-test.sh", report = state + "/report.txt";
  ForceDirectories(AnsiString(HostPath(state)));
  {
    std::ofstream out(HostPath(script), std::ios::binary);
    out << kScript;
  }
  DeleteFileA(HostPath(report).c_str());

  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string command = "/bin/bash " + Quoted(script) + " " + Quoted(state) + " " +
                        std::to_string(dpi) + " " + Quoted(exe) + " " + Quoted(filter) + " " +
                        Quoted(report);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA("Z:\\bin\\bash", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return std::string();
  }
  // A host process gives no handle to wait on.
  if (process.hProcess) CloseHandle(process.hProcess);
  if (process.hThread) CloseHandle(process.hThread);
  const DWORD start = GetTickCount();
  while (!FileExists(AnsiString(HostPath(report)))) {
    if (GetTickCount() - start > timeout) return std::string();
    Sleep(200);
  }
  std::ifstream in(HostPath(report), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}
