// The preview program on Windows: CreateProcessW and a wait, with the
// console's Ctrl+C, Ctrl+Break and close ending the program (a GUI program
// gets no console events of its own).
#include <windows.h>

#include <atomic>

#include "core/CommandLineParams.h"
#include "base/Exception.h"
#include "pack/ChildProcess.h"
#include "os/File.h"

namespace lumora {

namespace {

// STATUS_CONTROL_C_EXIT, the code of a console program ended by Ctrl+C.
constexpr DWORD kInterruptedCode = 0xC000013A;

// What the console handler (which runs on a thread of its own) may touch.
std::atomic<bool> gInterrupted{false};
std::atomic<HANDLE> gChild{nullptr};

BOOL WINAPI PassOn(DWORD) {
  gInterrupted = true;
  if (const HANDLE child = gChild.load()) ::TerminateProcess(child, kInterruptedCode);
  return TRUE;
}

class THandle {
 public:
  explicit THandle(HANDLE handle) : FHandle(handle) {}
  ~THandle() { ::CloseHandle(FHandle); }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  HANDLE Get() const { return FHandle; }

 private:
  HANDLE FHandle;
};

}  // namespace

TChildProcess::TInterruptGuard::TInterruptGuard() { ::SetConsoleCtrlHandler(PassOn, TRUE); }

TChildProcess::TInterruptGuard::~TInterruptGuard() { ::SetConsoleCtrlHandler(PassOn, FALSE); }

int TChildProcess::TInterruptGuard::Interrupted() { return gInterrupted ? static_cast<int>(kInterruptedCode) : 0; }

bool TChildProcess::CanAskToReload() { return false; }

int TChildProcess::Run(const String& program, const std::vector<String>& arguments, const TEnvironment& environment,
                       const std::function<bool()>&) {
  // The program inherits the packer's environment; the packer ends with it.
  for (const auto& [name, value] : environment) {
    ::SetEnvironmentVariableW(reinterpret_cast<const wchar_t*>(FromUtf8(name).c_str()),
                              reinterpret_cast<const wchar_t*>(FromUtf8(value).c_str()));
  }
  std::vector<String> all{program};
  all.insert(all.end(), arguments.begin(), arguments.end());
  String commandLine = TCommandLineParams::JoinCommandLine(all);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(reinterpret_cast<const wchar_t*>(program.c_str()),
                        reinterpret_cast<wchar_t*>(commandLine.data()), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    throw Exception(Format(u"Cannot start \"%s\". %s", {program, SysErrorMessage(LastOsError())}));
  }
  const THandle processHandle(process.hProcess);
  const THandle threadHandle(process.hThread);
  gChild = process.hProcess;
  if (gInterrupted) ::TerminateProcess(process.hProcess, kInterruptedCode);
  ::WaitForSingleObject(process.hProcess, INFINITE);
  gChild = nullptr;
  DWORD code = 1;
  ::GetExitCodeProcess(process.hProcess, &code);
  return static_cast<int>(code);
}

}  // namespace lumora
