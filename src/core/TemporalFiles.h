// The list of temporary files the process deletes when it ends.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/String.h"
#include "core/TemporaryFile.h"

namespace lumora {

class TTemporalFiles {
 public:
  // How long a file that will not go (held open elsewhere, not ours to
  // delete) may keep the process alive before it is left behind.
  static constexpr uint32_t kDefaultGiveUpMilliseconds = 10000;

  TTemporalFiles() = default;
  // Deletes every registered file that exists, in registration order,
  // pausing 100 ms after each deletion request; then removes the program's
  // folder with whatever is left in it.
  ~TTemporalFiles();
  TTemporalFiles(const TTemporalFiles&) = delete;
  TTemporalFiles& operator=(const TTemporalFiles&) = delete;

  // Registers path for deletion at exit unless an equal path (compared
  // without regard to case under the user's locale) is already registered.
  void Add(const String& path);

  const std::vector<String>& Files() const { return FFileList; }
  // The folder where this program's temporary files go (with a trailing
  // separator), made at the first call (TProgramFolder). Raises
  // EFCreateError when it cannot be made.
  const String& Folder();
  void SetGiveUpMilliseconds(uint32_t milliseconds) { FGiveUpMilliseconds = milliseconds; }

 private:
  std::vector<String> FFileList;
  std::unique_ptr<TProgramFolder> FFolder;
  uint32_t FGiveUpMilliseconds = kDefaultGiveUpMilliseconds;
};

// The process-wide list, alive from start-up until the site object is gone.
extern std::unique_ptr<TTemporalFiles> TemporalFiles;

}  // namespace lumora
