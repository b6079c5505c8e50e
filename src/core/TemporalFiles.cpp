#include "core/TemporalFiles.h"

#include <algorithm>

#include "os/File.h"

namespace lumora {

std::unique_ptr<TTemporalFiles> TemporalFiles;

namespace {
constexpr uint32_t kRetryPauseMilliseconds = 100;
}  // namespace

void TTemporalFiles::Add(const String& path) {
  const bool known =
      std::any_of(FFileList.begin(), FFileList.end(), [&path](const String& f) { return SameTextLocale(f, path); });
  if (!known) FFileList.push_back(path);
}

const String& TTemporalFiles::Folder() {
  if (!FFolder) FFolder = std::make_unique<TProgramFolder>();
  return FFolder->Path();
}

TTemporalFiles::~TTemporalFiles() {
  for (const String& path : FFileList) {
    uint32_t waited = 0;
    // The pause follows every request, a successful one too: the platform
    // may finish a deletion only after the last handle to the file closes.
    while (FileExists(path) && waited < FGiveUpMilliseconds) {
      DeleteFilePath(path);
      SleepMilliseconds(kRetryPauseMilliseconds);
      waited += kRetryPauseMilliseconds;
    }
  }
}

}  // namespace lumora
