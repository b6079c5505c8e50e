// Shared helpers of the unit tests: scratch folders, whole-file I/O and
// environment variables set for one test.
#pragma once

#include <optional>
#include <string>

#include "base/String.h"

namespace lumora::test {

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
std::string RunWithAppended(const TScratchDir& dir, const std::string& programPath,
                            const std::string& payload, const std::string& arguments,
                            int& exitCode);
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
