// Shared helpers of the unit tests: waiting for a condition, scratch
// folders, whole-file I/O and environment variables set for one test.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "base/String.h"

namespace lumora::test {

// Between two polls of WaitUntil when nothing needs running: a short sleep.
inline void PauseBriefly() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

// Polls condition until it holds or limit has passed; true when it held.
// Between polls it runs step: one pass of the thread's event loop
// (RunMainLoopOnce, RunMessagesOnce in support/<platform>/) when what the
// test waits for comes through that loop, else a short sleep. The one way
// the unit tests wait; the limit only bounds a test that would otherwise
// hang, so it is generous.
template <typename Condition, typename Step = void (*)()>
bool WaitUntil(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(20),
               Step step = &PauseBriefly) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    step();
  }
  return true;
}

// A fresh folder below the system temporary folder, removed with everything
// in it when the object goes.
class TScratchDir {
 public:
  TScratchDir();
  ~TScratchDir();
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;

  const String& Path() const { return FPath; }
  // The path of name inside the folder.
  String File(StringView name) const;

 private:
  String FPath;
};

std::string ReadWholeFile(const String& path);

// Copies the program at programPath into dir, appends payload to the copy,
// runs it with arguments (already quoted) and returns what it printed;
// exitCode gets the process's exit code.
std::string RunWithAppended(const TScratchDir& dir, const std::string& programPath, const std::string& payload,
                            const std::string& arguments, int& exitCode);
void WriteWholeFile(const String& path, const std::string& bytes);

// Sets (or with no value, removes) an environment variable until the object
// goes, then puts back what was there.
class TScopedEnv {
 public:
  TScopedEnv(const char* name, std::optional<std::string> value);
  ~TScopedEnv();
  TScopedEnv(const TScopedEnv&) = delete;
  TScopedEnv& operator=(const TScopedEnv&) = delete;

 private:
  void Apply(const std::optional<std::string>& value);
  std::string FName;
  std::optional<std::string> FOld;
};

}  // namespace lumora::test
